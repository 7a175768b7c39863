// In-memory controls for the main window's handlers.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/controls.h"
#include "core/unicode.h"

namespace quill::testing {

class FakeEditor : public app::EditorControl {
  public:
    std::u16string plainText() const override { return text_; }
    std::uint64_t revision() const override { return revision_; }
    void clear() override { setText(u""); }
    void setDocument(const document::Document& document) override {
        setText(core::utf32ToUtf16(core::withCrLfLineBreaks(core::utf8ToUtf32(document.plainText()))));
    }
    void setText(std::u16string text) {
        text_ = std::move(text);
        ++revision_;
    }
    void setUtf8(const std::string& text) { setText(core::utf8ToUtf16(text)); }

  private:
    std::u16string text_;
    std::uint64_t revision_ = 1;
};

class FakeLabel : public app::LabelControl {
  public:
    void setCaption(const std::string& text) override { caption = text; }
    std::string caption = "Delay von Zeichen zu Zeichen (0,2s)";
};

class FakeSlider : public app::SliderControl {
  public:
    int value() const override { return current; }
    int current = 2;
};

class FakeTimer : public app::TimerControl {
  public:
    bool enabled() const override { return on; }
    void setEnabled(bool value) override { on = value; }
    int interval() const override { return ms; }
    void setInterval(int value) override { ms = value; }
    bool on = false;
    int ms = 200;
};

struct ShownMessage {
    std::string text;
    std::string title;
};

class FakeMessages : public app::MessageBoxes {
  public:
    void show(const std::string& text, const std::string& title) override { shown.push_back({text, title}); }
    std::vector<ShownMessage> shown;
};

class FakeFileDialog : public app::FileDialog {
  public:
    std::optional<std::filesystem::path> showOpen(const app::FileDialogRequest& request) override {
        requests.push_back(request);
        return answer;
    }
    std::optional<std::filesystem::path> showSave(const app::FileDialogRequest& request) override {
        requests.push_back(request);
        return answer;
    }
    std::optional<std::filesystem::path> answer;  // nullopt: the user cancels
    std::vector<app::FileDialogRequest> requests;
};

class FakeAbout : public app::AboutDialogHost {
  public:
    void showAbout() override { ++shown; }
    int shown = 0;
};

class FakeProgram : public app::ProgramServices {
  public:
    void endProgram() override { ++ended; }
    std::filesystem::path applicationDirectory() const override { return directory; }
    std::string decimalSeparator() const override { return separator; }
    int ended = 0;
    std::filesystem::path directory = "/opt/quillpost";
    std::string separator = ",";
};

}  // namespace quill::testing
