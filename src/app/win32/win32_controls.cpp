#include "app/win32/win32_controls.h"

#include <commctrl.h>
#include <commdlg.h>
#include <richedit.h>

#include <vector>

#include "app/layout.h"
#include "core/unicode.h"
#include "platform/win32/wide_text.h"

namespace quill::app::win32 {

using platform::win32::fromWide;
using platform::win32::toWide;

namespace {

constexpr UINT_PTR kWatchId = 1;

// A font name into a CHARFORMAT's fixed field, cut to fit and NUL-terminated.
void copyFaceName(const std::wstring& face, WCHAR (&field)[LF_FACESIZE]) {
    std::size_t i = 0;
    for (; i < face.size() && i + 1 < LF_FACESIZE; ++i) field[i] = face[i];
    field[i] = L'\0';
}

CHARFORMAT2W charFormatOf(const document::TextFormat& format) {
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof cf;
    cf.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;
    if (format.bold) cf.dwEffects |= CFE_BOLD;
    if (format.italic) cf.dwEffects |= CFE_ITALIC;
    if (format.underline) cf.dwEffects |= CFE_UNDERLINE;
    if (format.strikeOut) cf.dwEffects |= CFE_STRIKEOUT;
    if (format.pointSize > 0) {
        cf.dwMask |= CFM_SIZE;
        cf.yHeight = static_cast<LONG>(format.pointSize * 20.0 + 0.5);
    }
    if (format.color) {
        cf.dwMask |= CFM_COLOR;
        const std::uint32_t rgb = *format.color;
        cf.crTextColor = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    }
    if (!format.fontFamily.empty()) {
        const std::wstring face = toWide(format.fontFamily);
        if (face.size() < LF_FACESIZE) {
            cf.dwMask |= CFM_FACE;
            copyFaceName(face, cf.szFaceName);
        }
    }
    return cf;
}

}  // namespace

std::u16string withCrLf(std::wstring_view text) {
    std::u16string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c == L'\r') {
            out += u"\r\n";
            if (i + 1 < text.size() && text[i + 1] == L'\n') ++i;
        } else if (c == L'\n' || c == L'\v') {
            out += u"\r\n";
        } else {
            out.push_back(static_cast<char16_t>(c));
        }
    }
    return out;
}

std::wstring dialogFilter(const std::string& filter) {
    std::wstring wide = toWide(filter);
    for (wchar_t& c : wide)
        if (c == L'|') c = L'\0';
    wide.push_back(L'\0');
    wide.push_back(L'\0');
    return wide;
}

// --- RichEditText ----------------------------------------------------------------------------------

void RichEditText::attach(HWND edit, HFONT font) {
    edit_ = edit;
    font_ = font;
    // No limit but memory: the control's default of 32767 characters would cut loaded texts.
    SendMessageW(edit_, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    SendMessageW(edit_, EM_SETEVENTMASK, 0, ENM_CHANGE);
    SetWindowSubclass(edit_, &RichEditText::watch, kWatchId, reinterpret_cast<DWORD_PTR>(this));
    applyDefaultFormat();
}

void RichEditText::setFont(HFONT font) {
    font_ = font;
    SendMessageW(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
}

LRESULT CALLBACK RichEditText::watch(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                     DWORD_PTR self) {
    const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
    switch (message) {
        // Text put in by any program, this one or another: EN_CHANGE does not report all of these.
        case WM_SETTEXT:
        case EM_SETTEXTEX:
        case EM_REPLACESEL:
        case EM_STREAMIN:
        case WM_CUT:
        case WM_PASTE:
        case WM_CLEAR:
        case WM_UNDO:
        case EM_UNDO:
        case EM_REDO:
            ++reinterpret_cast<RichEditText*>(self)->revision_;
            break;
        case WM_NCDESTROY:
            RemoveWindowSubclass(window, &RichEditText::watch, kWatchId);
            break;
        default:
            break;
    }
    return result;
}

std::u16string RichEditText::plainText() const {
    if (!edit_) return {};
    GETTEXTLENGTHEX lengthQuery{GTL_USECRLF | GTL_PRECISE | GTL_NUMCHARS, 1200};
    const LRESULT length = SendMessageW(edit_, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&lengthQuery), 0);
    if (length <= 0) return {};
    std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
    GETTEXTEX query{};
    query.cb = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    query.flags = GT_USECRLF;
    query.codepage = 1200;
    const LRESULT copied = SendMessageW(edit_, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&query),
                                        reinterpret_cast<LPARAM>(buffer.data()));
    buffer.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return withCrLf(buffer);
}

void RichEditText::setRawText(const std::wstring& text) {
    SETTEXTEX settings{ST_DEFAULT, 1200};
    SendMessageW(edit_, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&settings),
                 reinterpret_cast<LPARAM>(text.c_str()));
}

void RichEditText::applyDefaultFormat() {
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof cf;
    cf.dwMask = CFM_FACE | CFM_SIZE | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_COLOR;
    cf.dwEffects = CFE_AUTOCOLOR | (layout::kMainFontWeight >= FW_BOLD ? CFE_BOLD : 0);
    cf.yHeight = layout::kMainFontPoints * 20;
    const std::wstring face = toWide(layout::kMainFontFamily);
    copyFaceName(face, cf.szFaceName);
    SendMessageW(edit_, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&cf));
    SendMessageW(edit_, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf));
}

void RichEditText::clear() {
    setRawText(L"");
    applyDefaultFormat();
    ++revision_;
}

void RichEditText::setDocument(const document::Document& document) {
    // The control ends paragraphs with CR; each run's range is counted in UTF-16 units.
    struct Range {
        LONG start;
        LONG end;
        const document::TextFormat* format;
    };
    std::wstring text;
    std::vector<Range> ranges;
    bool afterCr = false;
    for (const document::TextRun& run : document.runs) {
        const auto start = static_cast<LONG>(text.size());
        for (char16_t unit : unicode::utf8ToUtf16(run.text)) {
            if (unit == u'\n' && afterCr) {
                afterCr = false;
                continue;
            }
            afterCr = unit == u'\r';
            text.push_back(unit == u'\n' ? L'\r' : static_cast<wchar_t>(unit));
        }
        ranges.push_back({start, static_cast<LONG>(text.size()), &run.format});
    }

    SendMessageW(edit_, WM_SETREDRAW, FALSE, 0);
    const LRESULT eventMask = SendMessageW(edit_, EM_GETEVENTMASK, 0, 0);
    SendMessageW(edit_, EM_SETEVENTMASK, 0, 0);
    setRawText(text);
    applyDefaultFormat();
    // Plain text takes the editor's own font; formatted documents bring theirs.
    if (document.format != document::Format::PlainText) {
        for (const Range& range : ranges) {
            if (range.start == range.end) continue;
            CHARRANGE selection{range.start, range.end};
            SendMessageW(edit_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
            CHARFORMAT2W cf = charFormatOf(*range.format);
            SendMessageW(edit_, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
        }
    }
    CHARRANGE caret{0, 0};
    SendMessageW(edit_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&caret));
    SendMessageW(edit_, EM_SETEVENTMASK, 0, eventMask);
    SendMessageW(edit_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(edit_, nullptr, TRUE);
    ++revision_;
}

// --- the small ones ------------------------------------------------------------------------------

void StaticLabel::setCaption(const std::string& caption) {
    SetWindowTextW(label_, toWide(caption).c_str());
}

int TrackbarSlider::value() const {
    return static_cast<int>(SendMessageW(trackbar_, TBM_GETPOS, 0, 0));
}

void WindowTimer::setEnabled(bool enabled) {
    enabled_ = enabled;
    update();
}

void WindowTimer::setInterval(int milliseconds) {
    if (milliseconds == interval_) return;
    interval_ = milliseconds;
    if (enabled_) update();
}

void WindowTimer::update() {
    if (!owner_) return;
    // SetTimer with 0 would tick as fast as it can; 0 means no ticks.
    if (enabled_ && interval_ > 0) {
        armed_ = SetTimer(owner_, kTimerId, static_cast<UINT>(interval_), nullptr) != 0;
    } else if (armed_) {
        KillTimer(owner_, kTimerId);
        armed_ = false;
    }
}

void NativeMessageBoxes::show(const std::string& text, const std::string& title) {
    const HWND owner = owner_ && IsWindowVisible(owner_) ? owner_ : nullptr;
    MessageBoxW(owner, toWide(text).c_str(), toWide(title).c_str(), MB_OK);
}

std::optional<std::filesystem::path> CommonFileDialog::showOpen(const FileDialogRequest& request) {
    return show(request, false);
}

std::optional<std::filesystem::path> CommonFileDialog::showSave(const FileDialogRequest& request) {
    return show(request, true);
}

std::optional<std::filesystem::path> CommonFileDialog::show(const FileDialogRequest& request, bool save) {
    const std::wstring filter = dialogFilter(request.filter);
    const std::wstring title = toWide(request.title);
    const std::wstring directory = request.initialDirectory.wstring();
    // A fresh, empty name each time: a cancelled dialog never hands back an older choice.
    std::vector<wchar_t> file(32768, L'\0');

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner_;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = static_cast<DWORD>(request.filterIndex);
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir = directory.empty() ? nullptr : directory.c_str();
    dialog.lpstrTitle = title.c_str();
    // Saving over an existing file replaces it without a question, as on Linux.
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR |
                   (save ? 0 : OFN_FILEMUSTEXIST);
    const BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    if (!chosen) {
        const DWORD error = CommDlgExtendedError();
        if (error != 0) {
            const std::wstring text =
                L"Der Dateidialog konnte nicht geöffnet werden (Fehler " + std::to_wstring(error) + L").";
            MessageBoxW(owner_, text.c_str(), title.c_str(), MB_OK);
        }
        return std::nullopt;
    }
    return std::filesystem::path(std::wstring(file.data()));
}

void NativeProgram::endProgram() {
    ExitProcess(0);
}

std::filesystem::path NativeProgram::applicationDirectory() const {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) {
            buffer.resize(length);
            break;
        }
        buffer.resize(buffer.size() * 2);
    }
    return std::filesystem::path(buffer).parent_path();
}

std::string NativeProgram::decimalSeparator() const {
    wchar_t separator[8] = {};
    if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8) <= 0) return ",";
    return fromWide(separator);
}

}  // namespace quill::app::win32
