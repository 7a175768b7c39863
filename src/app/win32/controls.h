// The control interfaces of the main window's handlers, put on native Win32 controls.
// Mapping only: every decision is the handlers'.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "app/controls.h"

namespace quill::app::win32 {

// Text1 on a RichEdit control (msftedit).
class RichTextEditor : public EditorControl {
  public:
    // Takes the control and watches it for every way its text can change.
    void attach(HWND edit, HFONT font);
    void setFont(HFONT font);
    HWND handle() const { return edit_; }

    std::u16string plainText() const override;
    std::uint64_t revision() const override { return revision_; }
    void clear() override;
    void setDocument(const document::Document& document) override;

    // EN_CHANGE arrived.
    void noteChange() { ++revision_; }
    // Text about to be pasted (its plain text, CR LF between lines) is offered to `pasteAllowed`
    // first; refused, it is not put in at all.
    void setPasteCheck(std::function<bool(const std::u16string&)> pasteAllowed) {
        pasteAllowed_ = std::move(pasteAllowed);
    }

  private:
    static LRESULT CALLBACK watch(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                  DWORD_PTR self);
    void setRawText(const std::wstring& text);
    void applyDefaultFormat();
    bool pasteRefused() const;

    HWND edit_ = nullptr;
    HFONT font_ = nullptr;
    std::uint64_t revision_ = 1;
    std::function<bool(const std::u16string&)> pasteAllowed_;
};

// Label1 on a static control.
class CaptionLabel : public LabelControl {
  public:
    void attach(HWND label) { label_ = label; }
    void setCaption(const std::string& caption) override;

  private:
    HWND label_ = nullptr;
};

// Slider1 on a trackbar.
class DelaySlider : public SliderControl {
  public:
    void attach(HWND trackbar) { trackbar_ = trackbar; }
    HWND handle() const { return trackbar_; }
    int value() const override;

  private:
    HWND trackbar_ = nullptr;
};

// Timer1 on SetTimer/KillTimer. An interval of 0 means no ticks while enabled.
class TickTimer : public TimerControl {
  public:
    static constexpr UINT_PTR kTimerId = 1;
    void attach(HWND owner) { owner_ = owner; }
    bool enabled() const override { return enabled_; }
    void setEnabled(bool enabled) override;
    int interval() const override { return interval_; }
    void setInterval(int milliseconds) override;

  private:
    void update();
    HWND owner_ = nullptr;
    bool enabled_ = false;
    int interval_ = 200;
    bool armed_ = false;
};

// MessageBoxW with OK and no icon, owned by the main window once it is shown.
class MessageBoxService : public MessageBoxes {
  public:
    void attach(HWND owner) { owner_ = owner; }
    void show(const std::string& text, const std::string& title) override;

  private:
    HWND owner_ = nullptr;
};

// CD on GetOpenFileNameW / GetSaveFileNameW.
class FileDialogService : public FileDialog {
  public:
    void attach(HWND owner) { owner_ = owner; }
    std::optional<std::filesystem::path> showOpen(const FileDialogRequest& request) override;
    std::optional<std::filesystem::path> showSave(const FileDialogRequest& request) override;

  private:
    std::optional<std::filesystem::path> show(const FileDialogRequest& request, bool save);
    HWND owner_ = nullptr;
};

class ProgramService : public ProgramServices {
  public:
    void endProgram() override;
    std::filesystem::path applicationDirectory() const override;
    std::string decimalSeparator() const override;
};

// The filter of the file dialogs: "a|b|c|d" becomes "a\0b\0c\0d\0\0".
std::wstring dialogFilter(const std::string& filter);

// The editor's text as the handlers want it: every line break (CR, LF, CR LF, and the soft line
// break U+000B of rich text) as CR LF.
std::u16string withCrLf(std::wstring_view text);

}  // namespace quill::app::win32
