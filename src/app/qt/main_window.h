// FrmMain: the program's main window, built from the layout tables. Every event goes to the
// handlers of app::FrmMainLogic; this class only supplies widgets.
#pragma once

#include <QMainWindow>
#include <map>
#include <memory>
#include <string>

#include "app/layout.h"
#include "app/main_window_logic.h"
#include "app/qt/about_dialog.h"
#include "app/qt/launcher_progress.h"
#include "app/qt/qt_controls.h"
#include "platform/window_system.h"

class QAction;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSlider;
class QTextEdit;

namespace quill::qt {

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
    QListWidget* list1(int index) const;
    QWidget* clientArea() const { return centralWidget(); }
    QAction* menuAction(const std::string& name) const;
    const QtPacingTimer& timer1() const { return *timer1_; }
    const app::FrmMainLogic& logic() const { return *logic_; }
    QtAboutDialogHost& aboutHost() { return about_; }
    RichTextEditor& editor() { return *editor_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildControls(int dpi);
    void buildMenu();
    void connectHandlers();
    void showProgress();

    QGroupBox* frame1_ = nullptr;
    QGroupBox* frame2_ = nullptr;
    QPushButton* commands_[4] = {};
    QListWidget* lists_[3] = {};
    PasteCheckingTextEdit* text1_ = nullptr;
    QLabel* label1_ = nullptr;
    QSlider* slider1_ = nullptr;
    std::map<std::string, QAction*, std::less<>> actions_;

    std::unique_ptr<RichTextEditor> editor_;
    std::unique_ptr<QtLabel> label_;
    std::unique_ptr<QtSlider> slider_;
    std::unique_ptr<QtPacingTimer> timer1_;
    QtMessageBoxes qtMessages_;
    QtFileDialog qtFileDialog_;
    QtAboutDialogHost about_;
    std::unique_ptr<app::FrmMainLogic> logic_;
    LauncherProgress launcher_;
};

}  // namespace quill::qt
