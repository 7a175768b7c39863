#include "practice/win32/book_widget.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "core/unicode.h"
#include "platform/win32/wide_text.h"

namespace quill::practice::win32 {

using platform::win32::toWide;

namespace {

constexpr wchar_t kWindowClass[] = L"QuillpostPracticeBook";

COLORREF rgb(unsigned colour) {
    return RGB((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF);
}
RECT toRect(const Box& box) {
    return {box.x, box.y, box.x + box.width, box.y + box.height};
}

int CALLBACK noteFontFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM flag) {
    *reinterpret_cast<bool*>(flag) = true;
    return 0;
}

bool fontInstalled(HDC dc, std::wstring_view family) {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    const std::size_t length = std::min<std::size_t>(family.size(), LF_FACESIZE - 1);
    std::copy_n(family.begin(), length, wanted.lfFaceName);
    bool exists = false;
    EnumFontFamiliesExW(dc, &wanted, noteFontFound, reinterpret_cast<LPARAM>(&exists), 0);
    return exists;
}

// Those of the given font families the system has, in the order given.
std::vector<std::wstring> installedFonts(std::initializer_list<const wchar_t*> families) {
    HDC screen = GetDC(nullptr);
    std::vector<std::wstring> found;
    for (const wchar_t* family : families) {
        if (fontInstalled(screen, family)) found.emplace_back(family);
    }
    ReleaseDC(nullptr, screen);
    return found;
}

// The first of the given font families the system has, else the last one named.
std::wstring firstInstalledFont(std::initializer_list<const wchar_t*> families) {
    const std::vector<std::wstring> found = installedFonts(families);
    return found.empty() ? std::wstring(*(families.end() - 1)) : found.front();
}

HFONT makeFont(const std::wstring& family, int pixels, bool italic, int weight = FW_NORMAL) {
    return CreateFontW(-pixels, 0, 0, 0, weight, italic ? TRUE : FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_ROMAN,
                       family.c_str());
}

void fill(HDC dc, const RECT& area, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &area, brush);
    DeleteObject(brush);
}

void roundBox(HDC dc, const RECT& area, COLORREF inside, COLORREF edge, int edgeWidth, int radius) {
    HBRUSH brush = CreateSolidBrush(inside);
    HPEN pen = edgeWidth > 0 ? CreatePen(PS_SOLID, edgeWidth, edge) : CreatePen(PS_NULL, 0, 0);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    RoundRect(dc, area.left, area.top, area.right, area.bottom, radius, radius);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(brush);
    DeleteObject(pen);
}

// The book font and, for characters it lacks (Chinese, Japanese, symbols, characters outside the
// Basic Multilingual Plane), the first installed font that has them. Lines are drawn run by run on
// one baseline.
class FontSet {
  public:
    FontSet(const std::wstring& family, const std::vector<std::wstring>& fallbacks, int pixels, bool italic)
        : fallbackFamilies_(fallbacks), pixels_(pixels), italic_(italic) {
        fonts_.push_back(makeFont(family, pixels, italic));
        fonts_.resize(1 + fallbacks.size(), nullptr);
    }
    ~FontSet() {
        for (HFONT font : fonts_) {
            if (font != nullptr) DeleteObject(font);
        }
    }
    FontSet(const FontSet&) = delete;
    FontSet& operator=(const FontSet&) = delete;

    HFONT primary() const { return fonts_[0]; }

    int width(HDC dc, const std::wstring& text) {
        int total = 0;
        forEachRun(dc, text, [&](HFONT font, const wchar_t* run, int length) {
            SelectObject(dc, font);
            SIZE size{};
            GetTextExtentPoint32W(dc, run, length, &size);
            total += size.cx;
        });
        SelectObject(dc, fonts_[0]);
        return total;
    }
    // Draws the line with its baseline at y.
    void draw(HDC dc, int x, int y, const std::wstring& text) {
        const UINT oldAlign = SetTextAlign(dc, TA_BASELINE | TA_LEFT);
        forEachRun(dc, text, [&](HFONT font, const wchar_t* run, int length) {
            SelectObject(dc, font);
            TextOutW(dc, x, y, run, length);
            SIZE size{};
            GetTextExtentPoint32W(dc, run, length, &size);
            x += size.cx;
        });
        SelectObject(dc, fonts_[0]);
        SetTextAlign(dc, oldAlign);
    }

  private:
    HFONT font(std::size_t index) {
        if (fonts_[index] == nullptr)
            fonts_[index] = makeFont(fallbackFamilies_[index - 1], pixels_, italic_);
        return fonts_[index];
    }
    bool hasGlyph(HDC dc, std::size_t index, const wchar_t* unit, int length) {
        if (length != 1) return index > 0;  // no glyph test for surrogate pairs: take the first fallback
        SelectObject(dc, font(index));
        WORD glyph = 0xFFFF;
        return GetGlyphIndicesW(dc, unit, 1, &glyph, GGI_MARK_NONEXISTING_GLYPHS) == 1 && glyph != 0xFFFF;
    }
    std::size_t fontFor(HDC dc, const wchar_t* unit, int length) {
        if (length == 1 && *unit < 0x0250) return 0;  // Latin: the book font has it
        for (std::size_t index = 0; index < fonts_.size(); ++index) {
            if (hasGlyph(dc, index, unit, length)) return index;
        }
        return 0;
    }
    template <typename Visit>
    void forEachRun(HDC dc, const std::wstring& text, Visit visit) {
        std::size_t start = 0;
        std::size_t current = 0;
        for (std::size_t i = 0; i < text.size();) {
            const bool pair =
                IS_HIGH_SURROGATE(text[i]) && i + 1 < text.size() && IS_LOW_SURROGATE(text[i + 1]);
            const int length = pair ? 2 : 1;
            const std::size_t index = fontFor(dc, &text[i], length);
            if (index != current && i > start) {
                visit(font(current), text.data() + start, static_cast<int>(i - start));
                start = i;
            }
            current = index;
            i += static_cast<std::size_t>(length);
        }
        if (start < text.size())
            visit(font(current), text.data() + start, static_cast<int>(text.size() - start));
    }

    std::vector<HFONT> fonts_;
    std::vector<std::wstring> fallbackFamilies_;
    int pixels_;
    bool italic_;
};

}  // namespace

void showMessage(HWND owner, const std::string& text) {
    MessageBoxW(owner, toWide(text).c_str(), L"Übungsbuch", MB_OK);
}

BookWidget::BookWidget(Recorder& recorder) : recorder_(recorder) {
    bookFont_ = firstInstalledFont(
        {L"Georgia", L"Palatino Linotype", L"DejaVu Serif", L"Liberation Serif", L"Times New Roman"});
    uiFont_ = firstInstalledFont({L"Segoe UI", L"DejaVu Sans", L"Tahoma"});
    fallbackFonts_ = installedFonts({L"Segoe UI Emoji", L"Segoe UI Symbol", L"Microsoft YaHei", L"SimSun",
                                     L"MS Gothic", L"Malgun Gothic", L"Droid Sans Fallback",
                                     L"Noto Sans CJK SC", L"DejaVu Sans", L"Arial Unicode MS"});
}

HWND BookWidget::create(HINSTANCE instance, const std::string& title) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = &BookWidget::windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    windowClass.lpszClassName = kWindowClass;
    RegisterClassExW(&windowClass);

    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    RECT frame{0, 0, MulDiv(kDefaultWidth, dpi, 96), MulDiv(kDefaultHeight, dpi, 96)};
    AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
    return CreateWindowExW(0, kWindowClass, toWide(title).c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                           CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, nullptr,
                           nullptr, instance, this);
}

void BookWidget::onChar(HWND window, wchar_t unit) {
    const bool control = GetKeyState(VK_CONTROL) < 0;
    for (char32_t c : decoder_.take(static_cast<char16_t>(unit), control)) receive(window, c);
}

bool BookWidget::onKeyDown(HWND window, WPARAM key) {
    const bool control = GetKeyState(VK_CONTROL) < 0;
    switch (key) {
        case VK_PRIOR:
            book_.previousSpread();
            break;
        case VK_NEXT:
            book_.nextSpread();
            break;
        case VK_HOME:
            if (!control) return false;
            book_.firstPage();
            break;
        case VK_END:
            if (!control) return false;
            book_.lastPage();
            break;
        default:
            return false;
    }
    InvalidateRect(window, nullptr, FALSE);
    return true;
}

void BookWidget::paintPages(HDC dc, const BookGeometry& g) {
    const bool hint = book_.received().empty();
    const int first = book_.spreadStart();
    std::array<std::vector<std::wstring>, 2> lines;
    if (hint) {
        for (const auto& line : wrapLine(quill::core::utf8ToUtf32(kHint))) lines[0].push_back(toWide(line));
    }
    for (int side = hint ? 1 : 0; side < 2; ++side) {
        for (const auto& line : book_.page(first + side)) lines[side].push_back(toWide(line));
    }

    // The largest font not above the planned size with which every line fits the page.
    int pixels = std::max(g.fontPixels, 6);
    auto fonts = std::make_unique<FontSet>(bookFont_, fallbackFonts_, pixels, hint);
    HGDIOBJ oldFont = SelectObject(dc, fonts->primary());
    for (;;) {
        bool fits = true;
        for (const auto& side : lines) {
            for (const auto& line : side) fits = fits && fonts->width(dc, line) <= g.text[0].width;
        }
        if (fits || pixels <= 6) break;
        SelectObject(dc, oldFont);
        fonts = std::make_unique<FontSet>(bookFont_, fallbackFonts_, --pixels, hint);
        SelectObject(dc, fonts->primary());
    }
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);

    for (int side = 0; side < 2; ++side) {
        const Box& page = g.pages[side];
        fill(dc, toRect(page), rgb(kPageColour));
        // A shade towards the spine.
        const int shade = page.width * 14 / 100;
        for (int k = 0; k < shade; ++k) {
            const double t = static_cast<double>(k) / shade;
            const auto mix = [&](int shift) {
                const int a = static_cast<int>((kPageColour >> shift) & 0xFF);
                const int b = static_cast<int>((kPageShadeColour >> shift) & 0xFF);
                return static_cast<BYTE>(a + (b - a) * t);
            };
            const int x = side == 0 ? page.x + page.width - shade + k : page.x + shade - 1 - k;
            const RECT strip{x, page.y, x + 1, page.y + page.height};
            fill(dc, strip, RGB(mix(16), mix(8), mix(0)));
        }

        const Box& area = g.text[side];
        HPEN rule = CreatePen(PS_SOLID, 1, rgb(kRuleColour));
        HGDIOBJ oldPen = SelectObject(dc, rule);
        for (int row = 1; row <= kLinesPerPage; ++row) {
            const int y = area.y + row * g.lineHeight - g.lineHeight / 5;
            MoveToEx(dc, area.x, y, nullptr);
            LineTo(dc, area.x + area.width, y);
        }
        SelectObject(dc, oldPen);
        DeleteObject(rule);

        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, rgb(hint && side == 0 ? kHintColour : kInkColour));
        int lastBaseline = 0;
        for (std::size_t row = 0; row < lines[side].size(); ++row) {
            lastBaseline =
                area.y + static_cast<int>(row + 1) * g.lineHeight - g.lineHeight / 5 - metrics.tmDescent;
            fonts->draw(dc, area.x, lastBaseline, lines[side][row]);
        }
        const int pageIndex = first + side;
        if (!hint && pageIndex == book_.pageCount() - 1 && !lines[side].empty()) {
            // The writing position, after the last character of the book.
            const int x = area.x + fonts->width(dc, lines[side].back()) + 2;
            HPEN caret = CreatePen(PS_SOLID, 2, rgb(kInkColour));
            oldPen = SelectObject(dc, caret);
            MoveToEx(dc, x, lastBaseline - metrics.tmAscent + metrics.tmDescent, nullptr);
            LineTo(dc, x, lastBaseline + metrics.tmDescent - 1);
            SelectObject(dc, oldPen);
            DeleteObject(caret);
        }
        if (!hint && pageIndex < book_.pageCount()) {
            SetTextColor(dc, rgb(kHintColour));
            RECT numberBox = toRect(g.pageNumbers[side]);
            const std::wstring number = toWide(pageNumberText(pageIndex));
            DrawTextW(dc, number.c_str(), static_cast<int>(number.size()), &numberBox,
                      DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        }
    }
    SelectObject(dc, oldFont);

    HPEN spine = CreatePen(PS_SOLID, 2, rgb(kCoverEdgeColour));
    HGDIOBJ oldPen = SelectObject(dc, spine);
    MoveToEx(dc, g.pages[1].x, g.pages[1].y, nullptr);
    LineTo(dc, g.pages[1].x, g.pages[1].y + g.pages[1].height);
    SelectObject(dc, oldPen);
    DeleteObject(spine);
}

void BookWidget::paint(HWND window, HDC target) {
    RECT client{};
    GetClientRect(window, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    HDC dc = CreateCompatibleDC(target);
    HBITMAP bitmap = CreateCompatibleBitmap(target, std::max(width, 1), std::max(height, 1));
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);

    const BookGeometry g = layoutBook(width, height);
    fill(dc, client, rgb(kBackgroundColour));
    roundBox(dc, toRect(g.cover), rgb(kCoverColour), rgb(kCoverEdgeColour), 3, 20);
    paintPages(dc, g);

    HFONT font = makeFont(uiFont_, std::max(12, g.status.height * 9 / 20), false);
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, TA_TOP | TA_LEFT);
    const auto button = [&](const Box& box, const wchar_t* caption, bool enabled) {
        roundBox(dc, toRect(box), rgb(enabled ? kButtonColour : kButtonDisabledColour), 0, 0, 12);
        SetTextColor(dc, rgb(enabled ? kStatusColour : kButtonColour));
        RECT area = toRect(box);
        DrawTextW(dc, caption, -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    };
    const int first = book_.spreadStart();
    button(g.previousButton, L"\u25C0 Zurück", first > 0);
    button(g.nextButton, L"Weiter \u25B6", first + 2 < book_.pageCount());
    const bool failing = !recorder_.error().empty();
    const std::wstring status =
        toWide(failing ? recorder_.error()
                       : statusText(book_.currentPage(), book_.pageCount(), book_.received().size()));
    SetTextColor(dc, rgb(failing ? kErrorColour : kStatusColour));
    RECT statusBox = toRect(g.status);
    DrawTextW(dc, status.c_str(), static_cast<int>(status.size()), &statusBox,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_PATH_ELLIPSIS);
    SelectObject(dc, oldFont);
    DeleteObject(font);

    BitBlt(target, 0, 0, width, height, dc, 0, 0, SRCCOPY);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

LRESULT BookWidget::handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CHAR:
            onChar(window, static_cast<wchar_t>(wParam));
            return 0;
        case WM_UNICHAR:
            if (wParam == UNICODE_NOCHAR) return TRUE;
            receive(window, static_cast<char32_t>(wParam));
            return FALSE;
        case WM_KEYDOWN:
            if (onKeyDown(window, wParam)) return 0;
            break;
        case WM_LBUTTONDOWN: {
            RECT client{};
            GetClientRect(window, &client);
            const BookGeometry g = layoutBook(client.right, client.bottom);
            const int x = static_cast<short>(LOWORD(lParam));
            const int y = static_cast<short>(HIWORD(lParam));
            if (g.previousButton.contains(x, y)) book_.previousSpread();
            if (g.nextButton.contains(x, y)) book_.nextSpread();
            InvalidateRect(window, nullptr, FALSE);
            return 0;
        }
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(window, &ps);
            paint(window, dc);
            EndPaint(window, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_SIZE:
            InvalidateRect(window, nullptr, FALSE);
            return 0;
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            RECT frame{0, 0, kMinimumWidth, kMinimumHeight};
            AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
            info->ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
            return 0;
        }
        case WM_CLOSE:
            if (!recorder_.retry()) showMessage(window, recorder_.error());
            DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK BookWidget::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<BookWidget*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    return self->handle(window, message, wParam, lParam);
}

}  // namespace quill::practice::win32
