#include "app/win32/main_window.h"

#include <commctrl.h>
#include <richedit.h>

#include "app/layout.h"
#include "app/win32/dpi.h"
#include "app/win32/menu.h"
#include "app/win32/painting.h"
#include "app/win32/resource_ids.h"
#include "platform/win32/wide_text.h"
#include "transfer/delay.h"
#include "transfer/progress.h"

namespace quill::app::win32 {

using layout::ControlId;
using layout::ControlKind;
using platform::win32::toWide;

namespace {

constexpr wchar_t kMainClass[] = L"QuillpostMain";
// Fixed single border: caption, system menu and close box; no sizing, no minimise or maximise box.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = 0;

int controlIdAt(std::size_t index) {
    return QUILL_FIRST_CONTROL_ID + static_cast<int>(index);
}
}  // namespace

FrmMain::FrmMain(HINSTANCE instance, platform::WindowSystem& windows, std::function<void()> showAbout,
                 std::function<void()> closed)
    : instance_(instance), windows_(windows), closed_(std::move(closed)), about_(std::move(showAbout)) {
    logic_ = std::make_unique<FrmMainLogic>(
        windows_, MainWindowControls{text1_, label1_, slider1_, timer1_, messages_, cd_, about_, program_},
        document::SaveEncoding{GetACP()});
    greyBrush_ = CreateSolidBrush(colourOf(layout::kWindowGrey));
}

FrmMain::~FrmMain() {
    if (window_) DestroyWindow(window_);
    if (accelerators_) DestroyAcceleratorTable(accelerators_);
    if (font_) DeleteObject(font_);
    if (greyBrush_) DeleteObject(greyBrush_);
}

bool FrmMain::create(int showCommand) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &FrmMain::windowProc;
    windowClass.hInstance = instance_;
    windowClass.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(IDI_QUILLPOST));
    windowClass.hIconSm = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_QUILLPOST),
                                                        IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                        GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    // The grey background is painted in WM_ERASEBKGND with this window's own brush.
    windowClass.hbrBackground = nullptr;
    windowClass.lpszClassName = kMainClass;
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;

    dpi_ = systemDpi();
    const RECT client{0, 0, twips(layout::kMainClientWidth, dpi_), twips(layout::kMainClientHeight, dpi_)};
    const RECT frame = windowRectForClient(client, kStyle, true, kExStyle, dpi_);
    window_ = CreateWindowExW(kExStyle, kMainClass, toWide(layout::kMainCaption).c_str(), kStyle,
                              CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                              frame.bottom - frame.top, nullptr, nullptr, instance_, this);
    if (!window_) return false;

    accelerators_ = buildMenu(window_);
    createControls();
    applyLayout(dpiForWindow(window_));

    text1_.attach(controlHandle(ControlId::Text1), font_);
    text1_.setPasteCheck([this](const std::u16string& pasted) { return logic_->Text1_Paste(pasted); });
    label1_.attach(controlHandle(ControlId::Label1));
    slider1_.attach(controlHandle(ControlId::Slider1));
    timer1_.attach(window_);
    messages_.attach(window_);
    cd_.attach(window_);

    // Form_Load runs before the window is first shown.
    logic_->Form_Load(HandleToULong(window_));

    ShowWindow(window_, showCommand);
    UpdateWindow(window_);
    // The first control of the focus order.
    lastFocus_ = controlHandle(layout::mainFocusOrder().front());
    SetFocus(lastFocus_);
    return true;
}

void FrmMain::createControls() {
    const auto table = layout::mainControls();
    controls_.assign(table.size(), nullptr);
    // Created in tab order: the dialog manager moves the focus in creation order.
    for (std::size_t i = 0; i < table.size(); ++i) {
        const layout::Control& control = table[i];
        const wchar_t* className = L"STATIC";
        DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (control.visible ? WS_VISIBLE : 0);
        DWORD exStyle = 0;
        switch (control.kind) {
            case ControlKind::Frame:
                className = L"BUTTON";
                style |= BS_GROUPBOX;
                break;
            case ControlKind::PushButton:
                className = L"BUTTON";
                style |= BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP;
                break;
            case ControlKind::RichEdit:
                className = MSFTEDIT_CLASS;
                style |= ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL | ES_WANTRETURN | WS_TABSTOP | WS_GROUP;
                exStyle |= WS_EX_CLIENTEDGE;
                break;
            case ControlKind::Label:
                style |= SS_LEFT | SS_NOPREFIX;
                break;
            case ControlKind::Slider:
                className = TRACKBAR_CLASSW;
                style |= TBS_HORZ | TBS_BOTTOM | TBS_AUTOTICKS | WS_TABSTOP | WS_GROUP;
                break;
        }
        controls_[i] = CreateWindowExW(exStyle, className, toWide(control.caption).c_str(), style, 0, 0, 0, 0,
                                       window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlIdAt(i))),
                                       instance_, nullptr);
        if (control.kind == ControlKind::Slider) {
            SendMessageW(controls_[i], TBM_SETRANGE, FALSE,
                         MAKELPARAM(transfer::kDelayMinimum, transfer::kDelayMaximum));
            SendMessageW(controls_[i], TBM_SETLINESIZE, 0, 1);
            SendMessageW(controls_[i], TBM_SETPAGESIZE, 0, 1);
            SendMessageW(controls_[i], TBM_SETPOS, TRUE, transfer::kDelayStart);
        }
    }
    // Frames lie beneath the controls they hold.
    for (std::size_t i = 0; i < table.size(); ++i)
        if (table[i].kind == ControlKind::Frame)
            SetWindowPos(controls_[i], HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void FrmMain::applyLayout(UINT dpi) {
    dpi_ = dpi;
    const HFONT font = createMainFont(dpi_);
    const auto table = layout::mainControls();
    for (std::size_t i = 0; i < table.size(); ++i) {
        const RECT place = pixelRect(table[i], dpi_);
        SetWindowPos(controls_[i], nullptr, place.left, place.top, place.right - place.left,
                     place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(controls_[i], WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    if (text1_.handle()) text1_.setFont(font);
    if (font_) DeleteObject(font_);
    font_ = font;

    const RECT client{0, 0, twips(layout::kMainClientWidth, dpi_), twips(layout::kMainClientHeight, dpi_)};
    const RECT frame = windowRectForClient(client, kStyle, true, kExStyle, dpi_);
    SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // A menu bar that wraps into two lines takes client height: measure and correct once.
    RECT actual{};
    GetClientRect(window_, &actual);
    const int missing = client.bottom - (actual.bottom - actual.top);
    if (missing != 0) {
        SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top + missing,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    InvalidateRect(window_, nullptr, TRUE);
}

HWND FrmMain::controlHandle(ControlId id) const {
    const auto table = layout::mainControls();
    for (std::size_t i = 0; i < table.size(); ++i)
        if (table[i].id == id) return controls_[i];
    return nullptr;
}

bool FrmMain::preTranslate(MSG& message) {
    if (!window_ || (message.hwnd != window_ && !IsChild(window_, message.hwnd))) return false;
    if (accelerators_ && TranslateAcceleratorW(window_, accelerators_, &message)) return true;
    // Tab is typed into the editor like any character; Ctrl+Tab and Ctrl+Shift+Tab leave it.
    if (message.message == WM_KEYDOWN && message.wParam == VK_TAB && message.hwnd == text1_.handle() &&
        (GetKeyState(VK_CONTROL) & 0x8000)) {
        const bool back = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
        SetFocus(GetNextDlgTabItem(window_, message.hwnd, back ? TRUE : FALSE));
        return true;
    }
    return IsDialogMessageW(window_, &message) != FALSE;
}

LRESULT CALLBACK FrmMain::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<FrmMain*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self || self->window_ != window) return DefWindowProcW(window, message, wParam, lParam);
    return self->handle(message, wParam, lParam);
}

LRESULT FrmMain::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == taskbar_.buttonCreatedMessage() && message != 0) {
        taskbar_.connect(window_, transfer::progressOf(logic_->transfer()));
        return 0;
    }
    switch (message) {
        case WM_COMMAND:
            onCommand(LOWORD(wParam), HIWORD(wParam));
            showProgress();
            return 0;
        case WM_HSCROLL:
            if (reinterpret_cast<HWND>(lParam) == slider1_.handle()) logic_->Slider1_Change();
            return 0;
        case WM_TIMER:
            if (wParam == TickTimer::kTimerId) logic_->Timer1_Timer();
            showProgress();
            return 0;
        case WM_ERASEBKGND: {
            RECT client{};
            GetClientRect(window_, &client);
            FillRect(reinterpret_cast<HDC>(wParam), &client, greyBrush_);
            return 1;
        }
        case WM_PAINT:
            paint();
            return 0;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return controlColour(message, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_ACTIVATE:
            // Give the focus back to the control that had it, as a dialog does.
            if (LOWORD(wParam) == WA_INACTIVE) {
                const HWND focus = GetFocus();
                if (focus && IsChild(window_, focus)) lastFocus_ = focus;
            } else if (lastFocus_ && IsWindow(lastFocus_)) {
                SetFocus(lastFocus_);
            }
            return 0;
        case WM_DPICHANGED:
            // Moved to a screen of another DPI: the size the system suggests, everything scaled.
            applyLayout(moveToSuggestedRect(window_, wParam, lParam));
            return 0;
        case WM_DESTROY: {
            KillTimer(window_, TickTimer::kTimerId);
            taskbar_.disconnect();
            const HWND gone = window_;
            window_ = nullptr;
            DefWindowProcW(gone, message, wParam, lParam);
            if (closed_) closed_();
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

void FrmMain::onCommand(int id, int notification) {
    if (id == IDOK) {
        // Enter on a focused button presses it.
        const HWND focus = GetFocus();
        const auto table = layout::mainControls();
        for (std::size_t i = 0; i < table.size(); ++i)
            if (controls_[i] == focus && table[i].kind == ControlKind::PushButton)
                onCommand(controlIdAt(i), BN_CLICKED);
        return;
    }
    const auto table = layout::mainControls();
    if (id >= QUILL_FIRST_CONTROL_ID && id < controlIdAt(table.size())) {
        const layout::Control& control = table[static_cast<std::size_t>(id - QUILL_FIRST_CONTROL_ID)];
        if (control.id == ControlId::Text1 && notification == EN_CHANGE) {
            text1_.noteChange();
        } else if (notification == BN_CLICKED) {
            logic_->run(control.action);
        }
        return;
    }
    if (const layout::MenuItem* item = menuItemOf(id)) logic_->run(item->action);
}

LRESULT FrmMain::controlColour(UINT message, HDC dc, HWND control) {
    // Frames, and the corners around the buttons, show the window's grey.
    const bool isFrame =
        control == controlHandle(ControlId::Frame1) || control == controlHandle(ControlId::Frame2);
    if (isFrame || message == WM_CTLCOLORBTN) {
        SetBkColor(dc, colourOf(layout::kWindowGrey));
        return reinterpret_cast<LRESULT>(greyBrush_);
    }
    // Label1 keeps the button-face colour; everything else its standard look.
    if (control == controlHandle(ControlId::Label1)) {
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    return DefWindowProcW(window_, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
}

void FrmMain::showProgress() {
    // The task-bar button shows how far a transfer has come.
    if (window_) taskbar_.show(transfer::progressOf(logic_->transfer()));
}

void FrmMain::paint() {
    PAINTSTRUCT ps;
    const HDC dc = BeginPaint(window_, &ps);
    paintDrawing(dc, layout::mainDrawing(), dpi_);
    EndPaint(window_, &ps);
}

}  // namespace quill::app::win32
