// FrmMain and frmAbout on the offscreen platform against the in-memory desktop, checked against what
// the windows are designed to look like (support/expected_ui.h).
#include "app/qt/main_window.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTextEdit>

#include "support/expected_ui.h"
#include "support/fake_controls.h"
#include "support/fake_desktop.h"

using namespace quill;
using app::layout::ControlId;
using app::qt::FrmAbout;
using app::qt::FrmMain;

namespace {

QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Remembers whether the main window was on screen when each message box came up.
class ProbingMessages : public testing::FakeMessages {
  public:
    void show(const std::string& text, const std::string& title) override {
        windowVisible.push_back(window && window->isVisible());
        FakeMessages::show(text, title);
    }
    QPointer<QWidget> window;
    std::vector<bool> windowVisible;
};

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

  private:
    testing::FakeDesktop desktop;
    testing::FakeProgram program;
    ProbingMessages messages;
    testing::FakeFileDialog files;
    QPointer<FrmMain> window;
    app::qt::AboutHost about;

    FrmMain* open(app::ProgramServices& services) {
        window = new FrmMain({desktop, services, &messages, &files});
        messages.window = window;
        window->loadAndShow();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window)) return nullptr;
        return window;
    }
    FrmMain* open() { return open(program); }
    QWidget* focused() const { return QApplication::focusWidget(); }
    QWidget* named(std::string_view name) const { return window->findChild<QWidget*>(qs(name)); }
    void checkMessage(std::string_view text, std::string_view title) {
        QVERIFY(!messages.shown.empty());
        QCOMPARE(qs(messages.shown.back().text), qs(text));
        QCOMPARE(qs(messages.shown.back().title), qs(title));
    }

    FrmAbout* showAbout() {
        about.showAbout();
        FrmAbout* dialog = about.dialog();
        return dialog && QTest::qWaitForWindowActive(dialog) ? dialog : nullptr;
    }
    static int aboutDialogsShown() {
        int shown = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            shown += qobject_cast<FrmAbout*>(w) && w->isVisible();
        return shown;
    }

  private slots:
    void initTestCase() { app::qt::prepareApplication(); }  // the program's own looks and font fallback
    void init() {
        desktop = {};
        program = {};
        messages = {};
        files = {};
    }
    void cleanup() {
        delete window.data();
        QList<QPointer<QWidget>> dialogs;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<FrmAbout*>(w)) dialogs << w;
        qDeleteAll(dialogs);
    }

    // Without a client the warning comes before the window is shown; then the window as designed.
    void windowLooksAsDesigned() {
        QVERIFY(open());
        QCOMPARE(messages.shown.size(), std::size_t{1});
        checkMessage(expected::kNoClientText, expected::kNoClientTitle);
        QCOMPARE(messages.windowVisible, std::vector<bool>{false});
        QCOMPARE(focused(), named("Command1"));
        QWidget* area = window->clientArea();
        if (area->logicalDpiX() != 96) QSKIP("the screen is not at 96 DPI");
        QCOMPARE(area->size(), QSize(expected::kMainWidth, expected::kMainHeight));
        QCOMPARE(window->windowTitle(), qs(expected::kMainCaption));  // its fixed frame: end_to_end.sh
        QVERIFY(!window->windowIcon().isNull());

        for (const expected::Control& control : expected::kMainControls) {
            QWidget* widget = named(control.name);
            QVERIFY2(widget, control.name.data());
            const expected::Rect& r = control.rect;
            QCOMPARE(QRect(widget->mapTo(area, QPoint(0, 0)), widget->size()),
                     QRect(r.left, r.top, r.width, r.height));
            QCOMPARE(widget->isVisible(), control.shown);
            QString caption;
            if (auto* button = qobject_cast<QAbstractButton*>(widget)) caption = button->text();
            if (auto* frame = qobject_cast<QGroupBox*>(widget)) caption = frame->title();
            if (auto* label = qobject_cast<QLabel*>(widget)) caption = label->text();
            QCOMPARE(caption, qs(control.caption));
            // One font for every control (upright, neither underlined nor struck out), resolved to
            // itself or its metric twin only.
            QCOMPARE(widget->font(),
                     QFont(qs(expected::kFont), expected::kFontPoints, QFont::Weight(expected::kFontWeight)));
            const QString shown = QFontInfo(widget->font()).family();
            QVERIFY2(shown == "Courier New" || shown == "Liberation Mono", qPrintable(shown));
        }
        const QImage image = area->grab().toImage();
        for (const expected::Probe& probe : expected::kDrawing)
            QVERIFY2(image.pixelColor(probe.x, probe.y) ==
                         QColor(probe.colour.red, probe.colour.green, probe.colour.blue),
                     probe.what.data());
        QCOMPARE(window->slider1()->orientation(), Qt::Horizontal);  // its range: transferToARecordedClient
        QCOMPARE(window->slider1()->value(), 2);
        QCOMPARE(window->timer1().interval(), 200);
        QVERIFY(!window->timer1().enabled());
    }

    void menuTreeAndItsCommands() {
        QVERIFY(open());
        const QList<QAction*> bar = window->menuBar()->actions();
        QCOMPARE(bar.size(), int(expected::kMenuBar.size()));
        for (int i = 0; i < bar.size(); ++i) QCOMPARE(bar[i]->text(), qs(expected::kMenuBar[i]));
        QVERIFY(bar[1]->menu() == nullptr && bar[2]->menu() == nullptr);
        const QList<QAction*> items = bar[0]->menu()->actions();
        QCOMPARE(items.size(), int(expected::kDateiMenu.size()));
        for (int i = 0; i < items.size(); ++i) {
            const expected::MenuLine& line = expected::kDateiMenu[i];
            QCOMPARE(items[i]->isSeparator() ? QString("-") : items[i]->text(), qs(line.caption));
            QCOMPARE(items[i]->shortcut().toString(), qs(line.shortcut));
            QVERIFY(items[i]->isEnabled() && !items[i]->isChecked());
        }
        bar[1]->trigger();
        checkMessage(expected::kFeaturesText, expected::kFeaturesTitle);
        bar[2]->trigger();
        QTRY_VERIFY(window->aboutHost().dialog() != nullptr);
        items[5]->trigger();
        QCOMPARE(program.ended, 1);
    }

    // Alt with the access key presses the button from anywhere ("About" has none); the menu's
    // shortcuts work while the editor has the focus, Ctrl+X there ends the program, not "cut". (And
    // the delay label takes another separator.)
    void keysPressTheirButtonsAndMenuItems() {
        program.separator = ".";
        QVERIFY(open());
        QTest::keyClick(window->slider1(), Qt::Key_End);
        QCOMPARE(window->label1()->text(), QString("Delay von Zeichen zu Zeichen (0.5s)"));
        QTextEdit* editor = window->text1();
        editor->setPlainText("alt");
        QTest::keyClick(editor, Qt::Key_L, Qt::AltModifier);
        QTRY_VERIFY(editor->document()->isEmpty());
        QTest::keyClick(focused(), Qt::Key_T, Qt::AltModifier);
        QTRY_COMPARE(messages.shown.size(), std::size_t{2});  // no client: the warning again
        checkMessage(expected::kNoClientText, expected::kNoClientTitle);
        QVERIFY(!window->timer1().enabled());
        QTest::keyClick(focused(), Qt::Key_A, Qt::AltModifier);
        QTest::qWait(250);
        QVERIFY(window->aboutHost().dialog() == nullptr);

        editor->setFocus();
        QTest::keyClicks(editor, "Erste Zeile");
        editor->selectAll();
        QTest::keyClick(editor, Qt::Key_O, Qt::ControlModifier);
        QTest::keyClick(editor, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(files.requests.size(), std::size_t{2});
        QCOMPARE(qs(files.requests[0].title), qs(expected::kOpenTitle));
        QCOMPARE(qs(files.requests[1].title), qs(expected::kSaveTitle));
        for (const app::FileDialogRequest& request : files.requests) {
            QCOMPARE(qs(request.filter), qs(expected::kFilter));
            QCOMPARE(request.filterIndex, 1);
            QCOMPARE(request.initialDirectory, program.directory);  // the program's folder
        }
        QCOMPARE(editor->toPlainText(), QString("Erste Zeile"));  // both cancelled: nothing changed
        QTest::keyClick(editor, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(program.ended, 1);
        QCOMPARE(editor->toPlainText(), QString("Erste Zeile"));
        QTest::keyClick(editor, Qt::Key_N, Qt::ControlModifier);
        QVERIFY(editor->document()->isEmpty());
        QCOMPARE(focused(), editor);
        QTest::keyClick(editor, Qt::Key_X, Qt::AltModifier);
        QTRY_COMPARE(program.ended, 2);
    }

    // Tab goes round the focus order; in the editor it is typed, and Ctrl+Tab leaves.
    void focusFollowsTheTabOrder() {
        QVERIFY(open());
        const auto& order = expected::kFocusOrder;
        for (std::size_t i = 0; i <= order.size(); ++i) {
            QCOMPARE(focused(), named(order[i % order.size()]));
            if (focused() == window->text1()) {
                QTest::keyClick(focused(), Qt::Key_Tab);
                QCOMPARE(focused(), window->text1());
                QCOMPARE(window->editor().plainText(), std::u16string(u"\t"));
                QTest::keyClick(focused(), Qt::Key_Tab, Qt::ControlModifier);
            } else {
                QTest::keyClick(focused(), Qt::Key_Tab);
            }
        }
        const Qt::KeyboardModifiers shift = Qt::ShiftModifier,
                                    leave = Qt::ControlModifier | Qt::ShiftModifier;
        for (const auto& [modifiers, next] :
             {std::pair{shift, "Command1"}, {shift, "Slider1"}, {shift, "Text1"}, {leave, "Command4"}}) {
            QTest::keyClick(focused(), Qt::Key_Backtab, modifiers);
            QCOMPARE(focused(), named(next));
        }
    }

    // Clients are recorded, never shown; the delay label follows the slider with the locale's
    // separator; at delay 0 the transfer waits for the slider; a finished transfer stays finished when
    // the slider moves; closing the window stops a transfer.
    void transferToARecordedClient() {
        desktop.addWindow("ultima online - klein", 102);
        const platform::WindowHandle client = desktop.addWindow("Ultima Online - Schreiber", 103);
        app::qt::ProgramService german(QLocale(QLocale::German, QLocale::Germany));
        QVERIFY(open(german));
        QVERIFY(messages.shown.empty());
        QCOMPARE(window->logic().List1().size(), std::size_t{1});
        QCOMPARE(window->logic().List1()[0].handle, client);
        QCOMPARE(window->logic().List1()[0].title, std::string("Ultima Online - Schreiber"));
        QCOMPARE(window->logic().List1()[0].processId, platform::ProcessId{103});
        QVERIFY(window->findChildren<QListWidget*>().isEmpty());  // kept as records, never shown

        QCOMPARE(window->label1()->text(), QString("Delay von Zeichen zu Zeichen (0,2s)"));
        QTest::keyClick(window->slider1(), Qt::Key_Home);
        QCOMPARE(window->label1()->text(), QString("Delay von Zeichen zu Zeichen (0s)"));
        QCOMPARE(window->timer1().interval(), 0);
        window->text1()->setPlainText("Hallo\nWelt");
        window->command(1)->click();
        QVERIFY(window->timer1().enabled());
        QVERIFY(!window->timer1().ticking());
        QTest::qWait(300);
        QVERIFY(desktop.window(client).received.empty());
        window->slider1()->setValue(1);
        QTRY_COMPARE_WITH_TIMEOUT(desktop.window(client).received, std::u32string(U"Hallo\nWelt"), 5000);
        QVERIFY(!window->timer1().enabled());
        QCOMPARE(window->logic().transfer().TransferPos, std::int64_t{12});  // "Hallo" CR LF "Welt"
        QTest::keyClick(window->slider1(), Qt::Key_End);
        QCOMPARE(window->label1()->text(), QString("Delay von Zeichen zu Zeichen (0,5s)"));
        QCOMPARE(window->timer1().interval(), 500);
        QVERIFY(!window->timer1().ticking());

        window->text1()->setPlainText(QString(200, 'x'));
        window->command(1)->click();
        QTRY_VERIFY(desktop.window(client).received.size() > 10);
        window->close();
        QTRY_VERIFY(window.isNull());  // unloaded
        const std::size_t typed = desktop.window(client).received.size();
        QTest::qWait(400);
        QCOMPARE(desktop.window(client).received.size(), typed);
    }

    // --- frmAbout, shown by its host as "Info..." and "About" do ------------------------------------
    // Texts, places and looks as designed; every text readable in full within its box.
    void aboutLooksAsDesigned() {
        FrmAbout* dialog = showAbout();
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), qs(expected::kAboutCaption));
        QVERIFY(!dialog->isModal());
        QVERIFY(QFontInfo(dialog->font()).family() != "Liberation Mono");
        QCOMPARE(dialog->palette().color(QPalette::WindowText), QColor(Qt::black));
        const bool at96 = dialog->logicalDpiX() == 96;
        const expected::Rect& client = expected::kAboutClient;
        if (at96) QCOMPARE(dialog->geometry(), QRect(client.left, client.top, client.width, client.height));
        for (const expected::Control& control : expected::kAboutControls) {
            auto* widget = dialog->findChild<QWidget*>(qs(control.name));
            QVERIFY2(widget, control.name.data());
            const expected::Rect& r = control.rect;
            if (at96) QCOMPARE(widget->geometry(), QRect(r.left, r.top, r.width, r.height));
            if (auto* button = qobject_cast<QPushButton*>(widget))
                QCOMPARE(button->text(), qs(control.caption));
            auto* label = qobject_cast<QLabel*>(widget);
            if (!label) continue;
            if (control.name == "picIcon") {
                QCOMPARE(label->pixmap().size(), QSize(32, 32));
                continue;
            }
            QCOMPARE(label->text(), qs(control.caption).replace("\r\n", "\n"));
            QVERIFY(label->wordWrap());
            QVERIFY2(label->heightForWidth(label->width()) <= label->height(), control.name.data());
        }
    }

    // Shown again while open: the same dialog, not loaded again. Escape, Enter and OK each close and
    // destroy it; shown again, it is loaded afresh.
    void aboutIsOneDialogClosedByEscapeEnterOrOk() {
        FrmAbout* dialog = showAbout();
        QVERIFY(dialog);
        QVERIFY(dialog->cmdOK()->isDefault());
        dialog->label(ControlId::lblVersion)->setText("geändert");
        QCOMPARE(showAbout(), dialog);
        QCOMPARE(aboutDialogsShown(), 1);
        QCOMPARE(dialog->label(ControlId::lblVersion)->text(), QString("geändert"));
        for (const int key : {int(Qt::Key_Escape), int(Qt::Key_Return), 0}) {
            if (key == 0)
                dialog->cmdOK()->click();
            else
                QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
            QTRY_VERIFY(about.dialog() == nullptr);
            dialog = showAbout();
            QVERIFY(dialog);
            QCOMPARE(dialog->label(ControlId::lblVersion)->text(), QString("Version 2.0.1"));
            QCOMPARE(aboutDialogsShown(), 1);
            dialog->label(ControlId::lblVersion)->setText("geändert");
        }
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
