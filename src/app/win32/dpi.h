// DPI helpers: twips to pixels at a window's real DPI, and window sizes for a wanted client area.
// The functions added in Windows 10 are looked up at run time, so the program still starts on
// older systems (at the system DPI there).
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace quill::app::win32 {

// The DPI the window is shown at (96 when nothing better is known).
UINT dpiForWindow(HWND window);
// The DPI of the primary screen.
UINT systemDpi();

// Window rectangle for a client rectangle at `dpi`.
RECT windowRectForClient(RECT client, DWORD style, bool hasMenu, DWORD exStyle, UINT dpi);

// The user's message font (the dialog font of the system) at `dpi`. The caller owns the font.
HFONT createMessageFont(UINT dpi);

// Pixels for a length in twips at `dpi`.
int twips(int value, UINT dpi);

// Handles WM_DPICHANGED: moves the window to the rectangle the system suggests (lParam) and
// returns the new DPI (wParam) for the caller to lay its controls out again.
UINT moveToSuggestedRect(HWND window, WPARAM wParam, LPARAM lParam);

}  // namespace quill::app::win32
