#include "app/win32/about_dialog.h"

#include "about/about.h"
#include "app/layout.h"
#include "app/win32/dpi.h"
#include "app/win32/painting.h"
#include "app/win32/resource_ids.h"
#include "platform/win32/wide_text.h"

namespace quill::app::win32 {

using platform::win32::toWide;

namespace {

constexpr wchar_t kAboutClass[] = L"QuillpostAbout";
constexpr wchar_t kOwnerClass[] = L"QuillpostAboutOwner";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
// The dialog frame without an icon in the caption.
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;

int controlIdOf(layout::ControlId id) {
    return id == layout::ControlId::cmdOK ? IDOK : QUILL_FIRST_CONTROL_ID + static_cast<int>(id);
}

}  // namespace

FrmAbout::FrmAbout(HINSTANCE instance, std::function<void()> closed)
    : instance_(instance), closed_(std::move(closed)) {
    WNDCLASSEXW owner{};
    owner.cbSize = sizeof owner;
    owner.lpfnWndProc = DefWindowProcW;
    owner.hInstance = instance_;
    owner.lpszClassName = kOwnerClass;
    RegisterClassExW(&owner);

    WNDCLASSEXW about{};
    about.cbSize = sizeof about;
    about.lpfnWndProc = &FrmAbout::windowProc;
    about.hInstance = instance_;
    about.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    about.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    about.lpszClassName = kAboutClass;
    RegisterClassExW(&about);
}

FrmAbout::~FrmAbout() {
    if (font_) DeleteObject(font_);
    if (icon_) DestroyIcon(icon_);
}

void FrmAbout::show() {
    if (window_) {
        ShowWindow(window_, SW_SHOWNORMAL);
        SetForegroundWindow(window_);
        return;
    }
    if (!create()) {
        MessageBoxW(nullptr, L"Das Info-Fenster konnte nicht angelegt werden.", L"Quillpost", MB_OK);
        return;
    }
    ShowWindow(window_, SW_SHOWNORMAL);
    UpdateWindow(window_);
}

bool FrmAbout::create() {
    if (!owner_) {
        owner_ =
            CreateWindowExW(0, kOwnerClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance_, nullptr);
        if (!owner_) return false;
    }
    // Form_Load: every text is built again each time the dialog is created.
    const about::AboutTexts texts = about::frmAbout_Form_Load();

    // The client area sits at a fixed place on the screen, measured on the primary screen.
    dpi_ = systemDpi();
    const int left = twips(layout::kAboutClientLeft, dpi_);
    const int top = twips(layout::kAboutClientTop, dpi_);
    RECT client{left, top, left + twips(layout::kAboutClientWidth, dpi_),
                top + twips(layout::kAboutClientHeight, dpi_)};
    const RECT frame = windowRectForClient(client, kStyle, false, kExStyle, dpi_);
    window_ =
        CreateWindowExW(kExStyle, kAboutClass, toWide(texts.caption).c_str(), kStyle, frame.left, frame.top,
                        frame.right - frame.left, frame.bottom - frame.top, owner_, nullptr, instance_, this);
    if (!window_) return false;
    // Per-monitor awareness: the screen the dialog landed on may have another DPI.
    const UINT actualDpi = dpiForWindow(window_);
    if (actualDpi != dpi_) {
        dpi_ = actualDpi;
        const RECT scaled = windowRectForClient(RECT{left, top, left + twips(layout::kAboutClientWidth, dpi_),
                                                     top + twips(layout::kAboutClientHeight, dpi_)},
                                                kStyle, false, kExStyle, dpi_);
        SetWindowPos(window_, nullptr, scaled.left, scaled.top, scaled.right - scaled.left,
                     scaled.bottom - scaled.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }

    for (const layout::Control& control : layout::aboutControls()) {
        std::wstring caption = toWide(control.caption);
        const wchar_t* className = L"STATIC";
        DWORD style = WS_CHILD | WS_VISIBLE;
        switch (control.id) {
            case layout::ControlId::cmdOK:
                className = L"BUTTON";
                style |= BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP;
                break;
            case layout::ControlId::picIcon:
                style |= SS_ICON;
                caption.clear();
                break;
            default:
                style |= SS_LEFT | SS_NOPREFIX;
                break;
        }
        switch (control.id) {
            case layout::ControlId::lblTitle:
                caption = toWide(texts.title);
                break;
            case layout::ControlId::lblVersion:
                caption = toWide(texts.version);
                break;
            case layout::ControlId::lContact:
                caption = toWide(texts.contact);
                break;
            case layout::ControlId::lblDescription:
                caption = toWide(texts.description);
                break;
            case layout::ControlId::lblDisclaimer:
                caption = toWide(texts.disclaimer);
                break;
            default:
                break;
        }
        CreateWindowExW(0, className, caption.c_str(), style, 0, 0, 0, 0, window_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlIdOf(control.id))), instance_,
                        nullptr);
    }
    applyLayout(dpi_);
    SetFocus(GetDlgItem(window_, IDOK));
    return true;
}

void FrmAbout::applyLayout(UINT dpi) {
    dpi_ = dpi;
    const HFONT font = createMessageFont(dpi_);
    const int iconSize = MulDiv(32, static_cast<int>(dpi_), 96);
    const HICON icon = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_QUILLPOST), IMAGE_ICON,
                                                     iconSize, iconSize, LR_DEFAULTCOLOR));
    for (const layout::Control& control : layout::aboutControls()) {
        const HWND child = GetDlgItem(window_, controlIdOf(control.id));
        if (!child) continue;
        const RECT place = pixelRect(control, dpi_);
        int width = place.right - place.left;
        int height = place.bottom - place.top;
        if (control.id == layout::ControlId::picIcon) {
            // The box takes the picture's size.
            width = height = iconSize;
            if (icon) SendMessageW(child, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
        }
        SetWindowPos(child, nullptr, place.left, place.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    if (font_) DeleteObject(font_);
    font_ = font;
    if (icon_) DestroyIcon(icon_);
    icon_ = icon;
    InvalidateRect(window_, nullptr, TRUE);
}

LRESULT CALLBACK FrmAbout::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<FrmAbout*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self || !self->window_) return DefWindowProcW(window, message, wParam, lParam);
    return self->handle(message, wParam, lParam);
}

LRESULT FrmAbout::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case DM_GETDEFID:
            return MAKELRESULT(IDOK, DC_HASDEFID);
        case WM_COMMAND:
            // cmdOK is the default and the cancel button: OK, Enter and Esc all close the dialog.
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                DestroyWindow(window_);
                return 0;
            }
            break;
        case WM_PAINT:
            paint();
            return 0;
        case WM_CTLCOLORSTATIC: {
            // Black text on the button face, whatever text colour the theme has.
            const auto dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, RGB(0, 0, 0));
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
        case WM_DPICHANGED:
            // Moved to a screen of another DPI: the size the system suggests, everything scaled.
            applyLayout(moveToSuggestedRect(window_, wParam, lParam));
            return 0;
        case WM_DESTROY: {
            window_ = nullptr;
            if (closed_) closed_();
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

void FrmAbout::paint() {
    PAINTSTRUCT ps;
    const HDC dc = BeginPaint(window_, &ps);
    // The etched separator, dark line first, then the white one over it.
    paintDrawing(dc, layout::aboutDrawing(), dpi_);
    EndPaint(window_, &ps);
}

}  // namespace quill::app::win32
