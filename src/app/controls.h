// The controls the main window's handlers touch, as small interfaces. Each front-end puts real
// widgets behind them; tests put in-memory ones.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "document/document.h"
#include "transfer/transfer_engine.h"

namespace quill::app {

// Text1: the rich-text editor. plainText() has CR LF between lines.
class EditorControl : public transfer::TextSource {
  public:
    virtual void clear() = 0;
    // Replaces the content with a loaded document, keeping its formatting where the editor can.
    virtual void setDocument(const document::Document& document) = 0;
};

// Label1.
class LabelControl {
  public:
    virtual ~LabelControl() = default;
    virtual void setCaption(const std::string& caption) = 0;
};

// Slider1.
class SliderControl {
  public:
    virtual ~SliderControl() = default;
    virtual int value() const = 0;
};

// Timer1 is a transfer::PacingTimer.
using TimerControl = transfer::PacingTimer;

// Message boxes with an OK button and no icon.
class MessageBoxes {
  public:
    virtual ~MessageBoxes() = default;
    virtual void show(const std::string& text, const std::string& title) = 0;
};

// CD: the open and save dialogs. An empty result means the user cancelled.
struct FileDialogRequest {
    std::string title;
    std::filesystem::path initialDirectory;
    std::string filter;   // "description|pattern|description|pattern..."
    int filterIndex = 1;  // 1-based, the entry preselected
};

class FileDialog {
  public:
    virtual ~FileDialog() = default;
    virtual std::optional<std::filesystem::path> showOpen(const FileDialogRequest& request) = 0;
    virtual std::optional<std::filesystem::path> showSave(const FileDialogRequest& request) = 0;
};

// frmAbout as the main window sees it: shown modeless, created on first use, at most one.
class AboutDialogHost {
  public:
    virtual ~AboutDialogHost() = default;
    virtual void showAbout() = 0;
};

// What the handlers need from the running program.
class ProgramServices {
  public:
    virtual ~ProgramServices() = default;
    // Ends the process at once: no closing events, nothing saved.
    virtual void endProgram() = 0;
    // The folder that holds the program file.
    virtual std::filesystem::path applicationDirectory() const = 0;
    // The user's decimal separator ("," under a German locale).
    virtual std::string decimalSeparator() const = 0;
};

}  // namespace quill::app
