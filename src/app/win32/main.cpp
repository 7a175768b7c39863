// Quillpost.exe: the main window and the About dialog on one UI thread.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// Headers that need windows.h first.
#include <commctrl.h>
#include <objbase.h>

#include "app/win32/about_dialog.h"
#include "app/win32/main_window.h"
#include "platform/win32/win32_window_system.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    using namespace quill::app::win32;

    // The RichEdit 4.1 class used for Text1.
    if (!LoadLibraryW(L"Msftedit.dll")) {
        MessageBoxW(nullptr, L"Die Systembibliothek Msftedit.dll fehlt, Quillpost kann nicht starten.",
                    L"Quillpost", MB_OK);
        return 1;
    }
    // COM for the file dialogs and the task-bar button, on this one UI thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    const auto windows = quill::platform::win32::Win32WindowSystem::create();
    // The program ends when neither window is left.
    bool mainOpen = true;
    FrmAbout about(instance, [&mainOpen] {
        if (!mainOpen) PostQuitMessage(0);
    });
    FrmMain main(
        instance, *windows, [&about] { about.show(); },
        [&mainOpen, &about] {
            mainOpen = false;
            if (!about.isOpen()) PostQuitMessage(0);
        });
    if (!main.create(showCommand)) {
        MessageBoxW(nullptr, L"Das Hauptfenster konnte nicht angelegt werden.", L"Quillpost", MB_OK);
        return 1;
    }

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (main.preTranslate(message)) continue;
        if (about.isOpen() && IsDialogMessageW(about.handle(), &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return static_cast<int>(message.wParam);
}
