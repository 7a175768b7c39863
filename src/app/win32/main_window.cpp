#include "app/win32/main_window.h"

#include <commctrl.h>
#include <richedit.h>
#include <shobjidl.h>

#include <algorithm>
#include <array>
#include <string_view>

#include "app/layout.h"
#include "app/win32/dpi.h"
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
int menuIdAt(std::size_t index) {
    return QUILL_FIRST_MENU_ID + static_cast<int>(index);
}

// "Ctrl+N" -> Ctrl with the N key.
bool parseShortcut(std::string_view shortcut, ACCEL& accel) {
    constexpr std::string_view kCtrl = "Ctrl+";
    if (shortcut.size() != kCtrl.size() + 1 || shortcut.substr(0, kCtrl.size()) != kCtrl) return false;
    const char key = shortcut.back();
    if (!((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))) return false;
    accel.fVirt = FCONTROL | FVIRTKEY;
    accel.key = static_cast<WORD>(key);
    return true;
}

HFONT createMainFont(UINT dpi) {
    // Courier New 9 pt bold, Western character set.
    return CreateFontW(-MulDiv(layout::kMainFontPoints, static_cast<int>(dpi), 72), 0, 0, 0,
                       layout::kMainFontWeight, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN,
                       toWide(layout::kMainFontFamily).c_str());
}

COLORREF colourOf(layout::Rgb rgb) {
    return RGB(rgb.red, rgb.green, rgb.blue);
}

}  // namespace

MainWindow::MainWindow(HINSTANCE instance, platform::WindowSystem& windows, std::function<void()> showAbout,
                       std::function<void()> closed)
    : instance_(instance), windows_(windows), closed_(std::move(closed)), about_(std::move(showAbout)) {
    logic_ = std::make_unique<FrmMainLogic>(
        windows_, MainWindowControls{text1_, label1_, slider1_, timer1_, messages_, cd_, about_, program_},
        document::SaveEncoding{GetACP()});
    greyBrush_ = CreateSolidBrush(colourOf(layout::kWindowGrey));
    taskbarButtonCreated_ = RegisterWindowMessageW(L"TaskbarButtonCreated");
}

MainWindow::~MainWindow() {
    if (window_) DestroyWindow(window_);
    if (accelerators_) DestroyAcceleratorTable(accelerators_);
    if (font_) DeleteObject(font_);
    if (greyBrush_) DeleteObject(greyBrush_);
}

bool MainWindow::create(int showCommand) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &MainWindow::windowProc;
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

    createMenu();
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
    const client::ClientList& clients = logic_->List1();
    const std::array<std::pair<ControlId, const std::vector<std::string>*>, 3> lists{{
        {ControlId::List1_0, &clients.handles},
        {ControlId::List1_1, &clients.titles},
        {ControlId::List1_2, &clients.processIds},
    }};
    for (const auto& [id, entries] : lists)
        for (const std::string& entry : *entries)
            SendMessageW(controlHandle(id), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(toWide(entry).c_str()));

    ShowWindow(window_, showCommand);
    UpdateWindow(window_);
    // The first control of the focus order.
    lastFocus_ = controlHandle(layout::mainFocusOrder().front());
    SetFocus(lastFocus_);
    return true;
}

void MainWindow::createMenu() {
    const HMENU bar = CreateMenu();
    const HMENU datei = CreatePopupMenu();
    std::vector<ACCEL> accelerators;
    const auto items = layout::mainMenu();
    for (std::size_t i = 0; i < items.size(); ++i) {
        const layout::MenuItem& item = items[i];
        std::wstring caption = toWide(item.caption);
        if (!item.inDateiMenu) {
            if (item.name == "mnu_datei") {
                AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(datei), caption.c_str());
            } else {
                AppendMenuW(bar, MF_STRING, static_cast<UINT_PTR>(menuIdAt(i)), caption.c_str());
            }
            continue;
        }
        if (item.caption == "-") {
            AppendMenuW(datei, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        if (!item.shortcut.empty()) caption += L"\t" + toWide(item.shortcut);
        AppendMenuW(datei, MF_STRING, static_cast<UINT_PTR>(menuIdAt(i)), caption.c_str());
        ACCEL accel{};
        if (parseShortcut(item.shortcut, accel)) {
            accel.cmd = static_cast<WORD>(menuIdAt(i));
            accelerators.push_back(accel);
        }
    }
    SetMenu(window_, bar);
    if (!accelerators.empty())
        accelerators_ = CreateAcceleratorTableW(accelerators.data(), static_cast<int>(accelerators.size()));
}

void MainWindow::createControls() {
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
            case ControlKind::ListBox:
                className = L"LISTBOX";
                style |= LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER;
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

void MainWindow::applyLayout(UINT dpi) {
    dpi_ = dpi;
    const HFONT font = createMainFont(dpi_);
    const auto table = layout::mainControls();
    for (std::size_t i = 0; i < table.size(); ++i) {
        const layout::Control& control = table[i];
        int left = control.left;
        int top = control.top;
        if (control.insideContainer) {
            const layout::Control& container = layout::control(control.container);
            left += container.left;
            top += container.top;
        }
        const int x = twips(left, dpi_);
        const int y = twips(top, dpi_);
        SetWindowPos(controls_[i], nullptr, x, y, twips(left + control.width, dpi_) - x,
                     twips(top + control.height, dpi_) - y, SWP_NOZORDER | SWP_NOACTIVATE);
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

HWND MainWindow::controlHandle(ControlId id) const {
    const auto table = layout::mainControls();
    for (std::size_t i = 0; i < table.size(); ++i)
        if (table[i].id == id) return controls_[i];
    return nullptr;
}

bool MainWindow::preTranslate(MSG& message) {
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

LRESULT CALLBACK MainWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self || self->window_ != window) return DefWindowProcW(window, message, wParam, lParam);
    return self->handle(message, wParam, lParam);
}

LRESULT MainWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == taskbarButtonCreated_ && message != 0) {
        connectTaskbar();
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
            if (wParam == WindowTimer::kTimerId) logic_->Timer1_Timer();
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
            KillTimer(window_, WindowTimer::kTimerId);
            if (taskbar_) {
                taskbar_->Release();
                taskbar_ = nullptr;
            }
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

void MainWindow::onCommand(int id, int notification) {
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
            if (const Handler handler = handlerFor(control.name)) (logic_.get()->*handler)();
        }
        return;
    }
    const auto items = layout::mainMenu();
    if (id >= QUILL_FIRST_MENU_ID && id < menuIdAt(items.size())) {
        if (const Handler handler =
                handlerFor(items[static_cast<std::size_t>(id - QUILL_FIRST_MENU_ID)].name))
            (logic_.get()->*handler)();
    }
}

LRESULT MainWindow::controlColour(UINT message, HDC dc, HWND control) {
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

void MainWindow::connectTaskbar() {
    if (taskbar_) return;
    ITaskbarList3* taskbar = nullptr;
    if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                reinterpret_cast<void**>(&taskbar))))
        return;
    if (FAILED(taskbar->HrInit())) {
        taskbar->Release();
        return;
    }
    taskbar_ = taskbar;
    shownProgress_ = {};
    showProgress(true);
}

void MainWindow::showProgress(bool force) {
    // The task-bar button shows how far a transfer has come, paused while the client is not in front.
    if (!taskbar_ || !window_) return;
    const transfer::TransferProgress progress = transfer::progressOf(logic_->transfer());
    if (!force && progress == shownProgress_) return;
    using State = transfer::TransferProgress::State;
    if (progress.state == State::None) {
        taskbar_->SetProgressState(window_, TBPF_NOPROGRESS);
    } else {
        taskbar_->SetProgressState(window_, progress.state == State::Paused ? TBPF_PAUSED : TBPF_NORMAL);
        taskbar_->SetProgressValue(window_, progress.sent, progress.total == 0 ? 1 : progress.total);
    }
    shownProgress_ = progress;
}

void MainWindow::paint() {
    PAINTSTRUCT ps;
    const HDC dc = BeginPaint(window_, &ps);
    // The decorative drawing, in table order, each element over the ones before it.
    for (const layout::Drawing& item : layout::mainDrawing()) {
        const COLORREF colour = colourOf(item.color);
        switch (item.kind) {
            case layout::ShapeKind::FilledCircle: {
                const HBRUSH brush = CreateSolidBrush(colour);
                const HGDIOBJ oldBrush = SelectObject(dc, brush);
                const HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
                // Without an outline the ellipse leaves out its right and bottom edge: one more pixel.
                Ellipse(dc, twips(item.a, dpi_), twips(item.b, dpi_), twips(item.a + item.c, dpi_) + 1,
                        twips(item.b + item.c, dpi_) + 1);
                SelectObject(dc, oldPen);
                SelectObject(dc, oldBrush);
                DeleteObject(brush);
                break;
            }
            case layout::ShapeKind::FilledSquare: {
                const HBRUSH brush = CreateSolidBrush(colour);
                const RECT square{twips(item.a, dpi_), twips(item.b, dpi_), twips(item.a + item.c, dpi_),
                                  twips(item.b + item.c, dpi_)};
                FillRect(dc, &square, brush);
                DeleteObject(brush);
                break;
            }
            case layout::ShapeKind::Line: {
                const int width = std::max(1, MulDiv(item.penWidth, static_cast<int>(dpi_), 96));
                const HPEN pen = CreatePen(PS_SOLID, width, colour);
                const HGDIOBJ old = SelectObject(dc, pen);
                MoveToEx(dc, twips(item.a, dpi_), twips(item.b, dpi_), nullptr);
                LineTo(dc, twips(item.c, dpi_), twips(item.d, dpi_));
                SelectObject(dc, old);
                DeleteObject(pen);
                break;
            }
        }
    }
    EndPaint(window_, &ps);
}

}  // namespace quill::app::win32
