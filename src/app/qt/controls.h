// Qt widgets behind the control interfaces of the main window's handlers.
#pragma once

#include <QLocale>
#include <QPointer>
#include <QTextEdit>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "app/controls.h"

class QLabel;
class QSlider;
class QWidget;

namespace quill::app::qt {

// UTF-8 with CR LF line breaks (as the core writes texts) to a QString with '\n' line breaks.
QString toQtText(std::string_view utf8);

// "desc|pattern|desc|pattern" to Qt's "desc (pattern);;desc (pattern)". A description that already
// names its pattern in parentheses is taken as it is.
QStringList toQtNameFilters(const std::string& filter);

// Text1: a rich-text editor. The plain text is read straight from the document's buffer so that
// every character (non-breaking spaces included) comes out as typed, with CR LF between paragraphs.
class RichTextEditor : public app::EditorControl {
  public:
    explicit RichTextEditor(QTextEdit& edit);
    ~RichTextEditor() override;
    RichTextEditor(const RichTextEditor&) = delete;
    RichTextEditor& operator=(const RichTextEditor&) = delete;

    std::u16string plainText() const override;
    std::uint64_t revision() const override { return revision_; }
    void clear() override;
    void setDocument(const document::Document& document) override;

  private:
    QTextEdit& edit_;
    QMetaObject::Connection counting_;
    std::uint64_t revision_ = 1;
};

// The editor widget behind Text1. Text put in by pasting or dropping is offered to `pasteAllowed`
// first (its plain text, lines separated by '\n'); refused, it is not put in at all.
class PasteCheckingTextEdit : public QTextEdit {
  public:
    explicit PasteCheckingTextEdit(QWidget* parent = nullptr);
    void setPasteCheck(std::function<bool(const std::u16string&)> pasteAllowed) {
        pasteAllowed_ = std::move(pasteAllowed);
    }
    // Where every paste and drop arrives (public for the tests).
    void insertFromMimeData(const QMimeData* source) override;

  private:
    std::function<bool(const std::u16string&)> pasteAllowed_;
};

class CaptionLabel : public app::LabelControl {
  public:
    explicit CaptionLabel(QLabel& label) : label_(label) {}
    void setCaption(const std::string& caption) override;

  private:
    QLabel& label_;
};

class DelaySlider : public app::SliderControl {
  public:
    explicit DelaySlider(QSlider& slider) : slider_(slider) {}
    int value() const override;

  private:
    QSlider& slider_;
};

// Timer1. An interval of 0 gives no ticks while the timer stays enabled (a QTimer with interval 0
// would fire on every pass of the event loop), and a later interval above 0 resumes the ticks.
class TickTimer : public app::TimerControl {
  public:
    explicit TickTimer(std::function<void()> onTick);

    bool enabled() const override { return enabled_; }
    void setEnabled(bool enabled) override;
    int interval() const override { return interval_; }
    void setInterval(int milliseconds) override;

    // Whether the underlying timer is counting (enabled and interval above 0).
    bool ticking() const { return timer_.isActive(); }

  private:
    void apply();

    QTimer timer_;
    bool enabled_ = false;
    int interval_ = 200;
};

// Message boxes with an OK button, no icon and plain text. `parent` is used while it is visible.
class MessageBoxService : public app::MessageBoxes {
  public:
    explicit MessageBoxService(QWidget* parent = nullptr) : parent_(parent) {}
    void show(const std::string& text, const std::string& title) override;

  private:
    QPointer<QWidget> parent_;
};

// CD: Qt's own file dialog (the same on every desktop), started in the requested folder with the
// first filter entry preselected. An existing file is replaced without a question, as the save
// command promises.
class FileDialogService : public app::FileDialog {
  public:
    explicit FileDialogService(QWidget* parent = nullptr) : parent_(parent) {}
    std::optional<std::filesystem::path> showOpen(const app::FileDialogRequest& request) override;
    std::optional<std::filesystem::path> showSave(const app::FileDialogRequest& request) override;

  private:
    std::optional<std::filesystem::path> run(const app::FileDialogRequest& request, bool save);
    QPointer<QWidget> parent_;
};

// The running program: ends at once, knows its folder and the user's decimal separator.
class ProgramService : public app::ProgramServices {
  public:
    explicit ProgramService(QLocale locale = QLocale::system()) : locale_(std::move(locale)) {}
    [[noreturn]] void endProgram() override;
    std::filesystem::path applicationDirectory() const override;
    std::string decimalSeparator() const override;

  private:
    QLocale locale_;
};

}  // namespace quill::app::qt
