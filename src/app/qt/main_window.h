// FrmMain: the program's main window, built from the layout tables. Every event goes to the
// handlers of app::FrmMainLogic; this class only supplies widgets.
#pragma once

#include <QMainWindow>
#include <memory>
#include <string_view>
#include <vector>

#include "app/layout.h"
#include "app/main_window_logic.h"
#include "app/qt/about_dialog.h"
#include "app/qt/controls.h"
#include "app/qt/menu.h"
#include "app/qt/taskbar_progress.h"
#include "platform/window_system.h"

class QAction;
class QGroupBox;
class QLabel;
class QPushButton;
class QSlider;
class QTextEdit;

namespace quill::app::qt {

struct FrmMainServices {
    platform::WindowSystem& windows;
    app::ProgramServices& program;
    app::MessageBoxes* messages = nullptr;  // nullptr: Qt message boxes
    app::FileDialog* fileDialog = nullptr;  // nullptr: Qt's file dialog
    document::SaveEncoding saveEncoding{};
};

// Applies the looks the program's windows are drawn with: the classic widget style, and
// "Courier New" resolved to its metric twin where the font itself is missing. Call once, right
// after the QApplication exists.
void prepareApplication();

class FrmMain : public QMainWindow {
    Q_OBJECT
  public:
    // The window deletes itself when it is closed: it is unloaded, and a running transfer stops.
    explicit FrmMain(const FrmMainServices& services);
    ~FrmMain() override;

    // Creates the native window, runs the load handler (client scan, no-client warning), and only
    // then shows the window, with the focus on Command1.
    void loadAndShow();

    // The controls, for the program's tests.
    QWidget* control(app::layout::ControlId id) const;
    QPushButton* command(int number) const;
    QTextEdit* text1() const { return text1_; }
    QSlider* slider1() const { return slider1_; }
    QLabel* label1() const { return label1_; }
    QWidget* clientArea() const { return centralWidget(); }
    QAction* menuAction(std::string_view name) const;
    const TickTimer& timer1() const { return *timer1_; }
    const app::FrmMainLogic& logic() const { return *logic_; }
    AboutHost& aboutHost() { return about_; }
    RichTextEditor& editor() { return *editor_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildControls(int dpi);
    void connectHandlers();
    void showProgress();

    QGroupBox* frame1_ = nullptr;
    QGroupBox* frame2_ = nullptr;
    QPushButton* commands_[4] = {};
    PasteCheckingTextEdit* text1_ = nullptr;
    QLabel* label1_ = nullptr;
    QSlider* slider1_ = nullptr;
    std::vector<MenuEntry> menu_;

    std::unique_ptr<RichTextEditor> editor_;
    std::unique_ptr<CaptionLabel> label_;
    std::unique_ptr<DelaySlider> slider_;
    std::unique_ptr<TickTimer> timer1_;
    MessageBoxService qtMessages_;
    FileDialogService qtFileDialog_;
    AboutHost about_;
    std::unique_ptr<app::FrmMainLogic> logic_;
    TaskbarProgress launcher_;
};

}  // namespace quill::app::qt
