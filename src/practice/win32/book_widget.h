// The Windows practice client's window: two facing book pages that take the characters typed into
// them from WM_CHAR, as the Qt program's BookWidget does from key events.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>
#include <vector>

#include "practice/book.h"
#include "practice/book_geometry.h"
#include "practice/practice_client.h"
#include "practice/recorder.h"

namespace quill::practice::win32 {

// A message box of the practice client, with its title.
void showMessage(HWND owner, const std::string& text);

class BookWidget {
  public:
    // `recorder` must outlive the widget; a recorder that is not active records nothing.
    explicit BookWidget(Recorder& recorder);

    // Creates the window titled `title` at its default size for the screen's DPI; nullptr when the
    // system refuses (GetLastError says why).
    HWND create(HINSTANCE instance, const std::string& title);
    const Book& book() const { return book_; }

  private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    void receive(HWND window, char32_t character) {
        if (!book_.receive(character)) return;
        recorder_.append(character);
        InvalidateRect(window, nullptr, FALSE);
    }
    void onChar(HWND window, wchar_t unit);
    bool onKeyDown(HWND window, WPARAM key);
    void paint(HWND window, HDC target);
    void paintPages(HDC dc, const BookGeometry& g);

    Book book_;
    Recorder& recorder_;
    CharMessageDecoder decoder_;
    std::wstring bookFont_;
    std::wstring uiFont_;
    std::vector<std::wstring> fallbackFonts_;
};

}  // namespace quill::practice::win32
