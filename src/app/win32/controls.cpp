#include "app/win32/controls.h"

#include <commctrl.h>
#include <commdlg.h>
#include <richedit.h>

#include <algorithm>
#include <cstring>
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

// --- RichTextEditor ----------------------------------------------------------------------------------

void RichTextEditor::attach(HWND edit, HFONT font) {
    edit_ = edit;
    font_ = font;
    // No limit but memory: the control's default of 32767 characters would cut loaded texts.
    SendMessageW(edit_, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    SendMessageW(edit_, EM_SETEVENTMASK, 0, ENM_CHANGE);
    SetWindowSubclass(edit_, &RichTextEditor::watch, kWatchId, reinterpret_cast<DWORD_PTR>(this));
    applyDefaultFormat();
}

void RichTextEditor::setFont(HFONT font) {
    font_ = font;
    SendMessageW(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
}

bool RichTextEditor::pasteRefused() const {
    // The plain text on the clipboard; RTF only: its lines are counted from its paragraph marks.
    const UINT rtfFormat = RegisterClipboardFormatW(L"Rich Text Format");
    const bool plain = IsClipboardFormatAvailable(CF_UNICODETEXT);
    if (!pasteAllowed_ || !(plain || IsClipboardFormatAvailable(rtfFormat)) || !OpenClipboard(edit_))
        return false;
    std::u16string text;
    if (const HANDLE data = GetClipboardData(plain ? CF_UNICODETEXT : rtfFormat)) {
        const std::size_t bytes = GlobalSize(data);
        if (const void* locked = GlobalLock(data)) {
            if (plain) {
                const auto* units = static_cast<const wchar_t*>(locked);
                std::size_t length = 0;
                while (length < bytes / sizeof(wchar_t) && units[length] != L'\0') ++length;
                text.assign(units, units + length);
            } else {
                const std::string_view rtf(static_cast<const char*>(locked), bytes);
                for (std::size_t at = rtf.find("\\par"); at != std::string_view::npos;
                     at = rtf.find("\\par", at + 4)) {
                    const char next = at + 4 < rtf.size() ? rtf[at + 4] : ' ';
                    if (!(next >= 'a' && next <= 'z')) text += u'\n';  // \par, not \pard
                }
            }
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return !pasteAllowed_(text);
}

LRESULT CALLBACK RichTextEditor::watch(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR self) {
    // Pasting, by message or by key, is held to what the editor can show.
    const bool control = GetKeyState(VK_CONTROL) < 0;
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    const bool pasteKey =
        message == WM_KEYDOWN && ((control && wParam == 'V') || (shift && !control && wParam == VK_INSERT));
    if ((message == WM_PASTE || message == EM_PASTESPECIAL || pasteKey) &&
        reinterpret_cast<RichTextEditor*>(self)->pasteRefused())
        return 0;
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
            ++reinterpret_cast<RichTextEditor*>(self)->revision_;
            break;
        case WM_NCDESTROY:
            RemoveWindowSubclass(window, &RichTextEditor::watch, kWatchId);
            break;
        default:
            break;
    }
    return result;
}

std::u16string RichTextEditor::plainText() const {
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

void RichTextEditor::setRawText(const std::wstring& text) {
    SETTEXTEX settings{ST_DEFAULT, 1200};
    SendMessageW(edit_, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&settings),
                 reinterpret_cast<LPARAM>(text.c_str()));
}

void RichTextEditor::applyDefaultFormat() {
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

void RichTextEditor::clear() {
    setRawText(L"");
    applyDefaultFormat();
    ++revision_;
}

namespace {

// A formatted document as RTF, streamed into the control in one piece: the control reads it at once,
// where setting the format of every run on its own costs a new layout each.
std::string rtfOf(const document::Document& document) {
    std::vector<std::string> fonts{std::string(layout::kMainFontFamily)};
    std::vector<std::uint32_t> colors;
    std::string body;
    bool afterCr = false;
    for (const document::TextRun& run : document.runs) {
        const document::TextFormat& looks = run.format;
        std::size_t font = 0;
        if (!looks.fontFamily.empty()) {
            font = std::find(fonts.begin(), fonts.end(), looks.fontFamily) - fonts.begin();
            if (font == fonts.size()) fonts.push_back(looks.fontFamily);
        }
        body += "{\\f" + std::to_string(font);
        body += "\\fs" + std::to_string(looks.pointSize > 0 ? static_cast<long>(looks.pointSize * 2.0 + 0.5)
                                                            : long{layout::kMainFontPoints} * 2);
        body += looks.bold ? "\\b" : "\\b0";
        if (looks.italic) body += "\\i";
        if (looks.underline) body += "\\ul";
        if (looks.strikeOut) body += "\\strike";
        if (looks.color) {
            std::size_t color = std::find(colors.begin(), colors.end(), *looks.color) - colors.begin();
            if (color == colors.size()) colors.push_back(*looks.color);
            body += "\\cf" + std::to_string(color + 1);
        }
        body += ' ';
        for (const char16_t unit : core::utf8ToUtf16(run.text)) {
            // CR LF, CR and LF each end a paragraph.
            if (unit == u'\n' && afterCr) {
                afterCr = false;
                continue;
            }
            afterCr = unit == u'\r';
            if (unit == u'\n' || unit == u'\r') {
                body += "\\par\n";
            } else if (unit == u'\t') {
                body += "\\tab ";
            } else if (unit == u'\\' || unit == u'{' || unit == u'}') {
                body += '\\';
                body += static_cast<char>(unit);
            } else if (unit >= 0x20 && unit < 0x80) {
                body += static_cast<char>(unit);
            } else {
                const char16_t shown = unit == 0 ? u'\uFFFD' : unit;  // the control cannot hold a NUL
                body += "\\u" + std::to_string(static_cast<std::int16_t>(shown)) + "?";
            }
        }
        body += '}';
    }
    std::string rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl";
    for (std::size_t i = 0; i < fonts.size(); ++i) {
        rtf += "{\\f" + std::to_string(i) + "\\fnil ";
        for (const char16_t unit : core::utf8ToUtf16(fonts[i])) {
            if (unit < 0x80 && unit != u';' && unit != u'\\' && unit != u'{' && unit != u'}')
                rtf += static_cast<char>(unit);
            else
                rtf += "\\u" + std::to_string(static_cast<std::int16_t>(unit)) + "?";
        }
        rtf += ";}";
    }
    rtf += "}{\\colortbl;";
    for (const std::uint32_t rgb : colors) {
        rtf += "\\red" + std::to_string((rgb >> 16) & 0xFF) + "\\green" + std::to_string((rgb >> 8) & 0xFF) +
               "\\blue" + std::to_string(rgb & 0xFF) + ";";
    }
    return rtf + "}\n" + body + "}";
}

struct StreamSource {
    const std::string* bytes;
    std::size_t done;
};

DWORD CALLBACK readStream(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) {
    auto* source = reinterpret_cast<StreamSource*>(cookie);
    const std::size_t count =
        std::min<std::size_t>(static_cast<std::size_t>(wanted), source->bytes->size() - source->done);
    std::memcpy(buffer, source->bytes->data() + source->done, count);
    source->done += count;
    *given = static_cast<LONG>(count);
    return 0;
}

}  // namespace

void RichTextEditor::setDocument(const document::Document& document) {
    SendMessageW(edit_, WM_SETREDRAW, FALSE, 0);
    const LRESULT eventMask = SendMessageW(edit_, EM_GETEVENTMASK, 0, 0);
    SendMessageW(edit_, EM_SETEVENTMASK, 0, 0);
    if (document.format == document::Format::PlainText) {
        // Plain text takes the editor's own font, in one piece; the control ends paragraphs with CR.
        std::wstring text;
        bool afterCr = false;
        for (const document::TextRun& run : document.runs) {
            for (char16_t unit : core::utf8ToUtf16(run.text)) {
                if (unit == u'\n' && afterCr) {
                    afterCr = false;
                    continue;
                }
                afterCr = unit == u'\r';
                // The control cannot hold a NUL (its text ends there): it shows as U+FFFD.
                text.push_back(unit == u'\n' ? L'\r' : unit == 0 ? L'\uFFFD' : static_cast<wchar_t>(unit));
            }
        }
        setRawText(text);
        applyDefaultFormat();
    } else {
        // A formatted document brings its own looks.
        setRawText(L"");
        applyDefaultFormat();
        const std::string rtf = rtfOf(document);
        StreamSource source{&rtf, 0};
        EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, &readStream};
        SendMessageW(edit_, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    }
    CHARRANGE caret{0, 0};
    SendMessageW(edit_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&caret));
    SendMessageW(edit_, EM_SETEVENTMASK, 0, eventMask);
    SendMessageW(edit_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(edit_, nullptr, TRUE);
    ++revision_;
}

// --- the small ones ------------------------------------------------------------------------------

void CaptionLabel::setCaption(const std::string& caption) {
    SetWindowTextW(label_, toWide(caption).c_str());
}

int DelaySlider::value() const {
    return static_cast<int>(SendMessageW(trackbar_, TBM_GETPOS, 0, 0));
}

void TickTimer::setEnabled(bool enabled) {
    enabled_ = enabled;
    update();
}

void TickTimer::setInterval(int milliseconds) {
    if (milliseconds == interval_) return;
    interval_ = milliseconds;
    if (enabled_) update();
}

void TickTimer::update() {
    if (!owner_) return;
    // SetTimer with 0 would tick as fast as it can; 0 means no ticks.
    if (enabled_ && interval_ > 0) {
        armed_ = SetTimer(owner_, kTimerId, static_cast<UINT>(interval_), nullptr) != 0;
    } else if (armed_) {
        KillTimer(owner_, kTimerId);
        armed_ = false;
    }
}

void MessageBoxService::show(const std::string& text, const std::string& title) {
    const HWND owner = owner_ && IsWindowVisible(owner_) ? owner_ : nullptr;
    MessageBoxW(owner, toWide(text).c_str(), toWide(title).c_str(), MB_OK);
}

std::optional<std::filesystem::path> FileDialogService::showOpen(const FileDialogRequest& request) {
    return show(request, false);
}

std::optional<std::filesystem::path> FileDialogService::showSave(const FileDialogRequest& request) {
    return show(request, true);
}

std::optional<std::filesystem::path> FileDialogService::show(const FileDialogRequest& request, bool save) {
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

void ProgramService::endProgram() {
    ExitProcess(0);
}

std::filesystem::path ProgramService::applicationDirectory() const {
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

std::string ProgramService::decimalSeparator() const {
    wchar_t separator[8] = {};
    if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8) <= 0) return ",";
    return fromWide(separator);
}

}  // namespace quill::app::win32
