// FrmMain on the offscreen platform against the in-memory desktop.
#include "app/qt/main_window.h"

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
#include <memory>

#include "app/layout.h"
#include "app/main_window_logic.h"
#include "support/fake_controls.h"
#include "support/fake_desktop.h"

using namespace quill;
using app::layout::ControlId;
using qt::FrmMain;

namespace {

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

  private slots:
    void initTestCase() { qt::prepareApplication(); }  // the program's own looks and font fallback
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
            if (qobject_cast<qt::FrmAbout*>(w)) dialogs << w;
        qDeleteAll(dialogs);
    }

    void warningComesBeforeTheWindowIsShown() {
        QVERIFY(open());
        QCOMPARE(messages.shown.size(), std::size_t{1});
        QCOMPARE(messages.shown[0].text, std::string(app::kNoClientText));
        QCOMPARE(messages.shown[0].title, std::string("Hey, Dude!"));
        QCOMPARE(messages.windowVisible, std::vector<bool>{false});
        QVERIFY(window->isVisible());
        QCOMPARE(focused(), window->command(1));
    }

    void clientsAreRecordedButTheListsStayHidden() {
        desktop.addWindow("Ultima Online - Erster", 101);
        desktop.addWindow("ultima online - klein", 102);
        desktop.addWindow("Ultima Online - Zweiter", 103);
        QVERIFY(open());
        QVERIFY(messages.shown.empty());
        QCOMPARE(window->list1(1)->count(), 2);
        QCOMPARE(window->list1(1)->item(0)->text(), QString("Ultima Online - Erster"));
        QCOMPARE(window->list1(2)->item(1)->text(), QString("103"));
        for (int i = 0; i < 3; ++i) QVERIFY(!window->list1(i)->isVisible());
    }

    void windowMatchesTheLayoutAt96Dpi() {
        QVERIFY(open());
        if (window->clientArea()->logicalDpiX() != 96) QSKIP("the screen is not at 96 DPI");
        QCOMPARE(window->clientArea()->size(), QSize(601, 432));
        QCOMPARE(window->minimumSize(), window->maximumSize());
        QCOMPARE(window->windowTitle(),
                 QString("UO Quillpost v2") + QString(12, ' ') + "by the Quillpost team");
        const Qt::WindowFlags flags = window->windowFlags();
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(flags & Qt::WindowSystemMenuHint);
        QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(!window->windowIcon().isNull());

        // Twips / 15 at 96 DPI; children of a frame are placed from the frame's outer corner.
        QCOMPARE(window->text1()->parentWidget(), window->control(ControlId::Frame1));
        QCOMPARE(window->text1()->geometry(), QRect(8, 16, 441, 361));
        QCOMPARE(window->label1()->parentWidget(), window->control(ControlId::Frame2));
        for (const app::layout::Control& control : app::layout::mainControls()) {
            const QRect expected(
                app::layout::twipsToPixels(control.left), app::layout::twipsToPixels(control.top),
                app::layout::twipsToPixels(control.width), app::layout::twipsToPixels(control.height));
            QCOMPARE(window->control(control.id)->geometry(), expected);
        }

        QCOMPARE(static_cast<QGroupBox*>(window->control(ControlId::Frame1))->title(),
                 QString("Text der in den Client (Buch) übertragen werden soll"));
        QVERIFY(static_cast<QGroupBox*>(window->control(ControlId::Frame2))->title().isEmpty());
        QCOMPARE(window->clientArea()->palette().color(QPalette::Window), QColor(192, 192, 192));
        QCOMPARE(window->slider1()->orientation(), Qt::Horizontal);
        QCOMPARE(window->slider1()->minimum(), 0);
        QCOMPARE(window->slider1()->maximum(), 5);
        QCOMPARE(window->slider1()->value(), 2);
        QCOMPARE(window->timer1().interval(), 200);
        QVERIFY(!window->timer1().enabled());
    }

    void everyControlUsesBoldCourier() {
        QVERIFY(open());
        for (const app::layout::Control& control : app::layout::mainControls()) {
            const QFont font = window->control(control.id)->font();
            QCOMPARE(font.family(), QString("Courier New"));
            QCOMPARE(font.pointSize(), 9);
            QCOMPARE(font.weight(), QFont::Bold);
            QVERIFY(!font.italic() && !font.underline() && !font.strikeOut());
            // Resolved to the font itself or its metric twin, never to some other monospace font.
            const QString shown = QFontInfo(font).family();
            QVERIFY2(shown == "Courier New" || shown == "Liberation Mono", qPrintable(shown));
        }
    }

    void menuBarHasTheDateiMenuAndTwoCommands() {
        QVERIFY(open());
        const QList<QAction*> bar = window->menuBar()->actions();
        QCOMPARE(bar.size(), 3);
        QCOMPARE(bar[0]->text(), QString("&Datei"));
        QCOMPARE(bar[1]->text(), QString("&Features v2..."));
        QCOMPARE(bar[2]->text(), QString("&Info..."));
        QVERIFY(bar[1]->menu() == nullptr && bar[2]->menu() == nullptr);
        QStringList items;
        for (QAction* action : bar[0]->menu()->actions())
            items << (action->isSeparator() ? QString("-")
                                            : action->text() + "|" + action->shortcut().toString());
        QCOMPARE(items, (QStringList{"&Neu|Ctrl+N", "-", "Oe&ffnen|Ctrl+O", "&Speichern|Ctrl+S", "-",
                                     "&Beenden|Ctrl+X"}));

        window->menuAction("mnu_datei_beenden")->trigger();
        QCOMPARE(program.ended, 1);
        bar[1]->trigger();
        QCOMPARE(messages.shown.back().title, std::string("New Features v2, Dude!"));
        QCOMPARE(messages.shown.back().text, std::string(app::kFeaturesText));
    }

    void accessKeysPressTheirButtons() {
        QVERIFY(open());
        QCOMPARE(window->command(4)->text(), QString("About"));
        window->text1()->setPlainText("alt");

        QTest::keyClick(window->text1(), Qt::Key_L, Qt::AltModifier);
        QTRY_VERIFY(window->text1()->document()->isEmpty());

        const std::size_t before = messages.shown.size();
        QTest::keyClick(focused(), Qt::Key_T, Qt::AltModifier);
        QTRY_COMPARE(messages.shown.size(), before + 1);  // no client: the warning
        QCOMPARE(messages.shown.back().title, std::string("Hey, Dude!"));

        QTest::keyClick(focused(), Qt::Key_A, Qt::AltModifier);  // "About" has no access key
        QTest::qWait(250);
        QVERIFY(window->aboutHost().dialog() == nullptr);

        QTest::keyClick(focused(), Qt::Key_X, Qt::AltModifier);
        QTRY_COMPARE(program.ended, 1);
    }

    void menuShortcutsWorkWhileTheEditorHasTheFocus() {
        QVERIFY(open());
        QTextEdit* editor = window->text1();
        editor->setFocus();
        QTest::keyClicks(editor, "Erste Zeile");
        editor->selectAll();

        QTest::keyClick(editor, Qt::Key_O, Qt::ControlModifier);
        QTest::keyClick(editor, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(files.requests.size(), std::size_t{2});
        QCOMPARE(files.requests[0].title, std::string("Datei öffnen..."));
        QCOMPARE(files.requests[1].title, std::string("Datei speichern..."));
        QCOMPARE(editor->toPlainText(), QString("Erste Zeile"));  // both cancelled: nothing changed

        // Ctrl+X is "Beenden", not "cut": the program ends and the text stays where it is.
        QTest::keyClick(editor, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(program.ended, 1);
        QCOMPARE(editor->toPlainText(), QString("Erste Zeile"));

        QTest::keyClick(editor, Qt::Key_N, Qt::ControlModifier);
        QVERIFY(editor->document()->isEmpty());
        QCOMPARE(focused(), editor);
    }

    void focusFollowsTheTabOrder() {
        QVERIFY(open());
        QCOMPARE(focused(), window->command(1));
        const QList<QWidget*> order{window->command(2), window->command(3), window->command(4),
                                    window->text1()};
        for (QWidget* next : order) {
            QTest::keyClick(focused(), Qt::Key_Tab);
            QCOMPARE(focused(), next);
        }
        // Tab is typed into the text; Ctrl+Tab leaves the editor.
        QTest::keyClick(focused(), Qt::Key_Tab);
        QCOMPARE(focused(), window->text1());
        QCOMPARE(window->editor().plainText(), std::u16string(u"\t"));
        QTest::keyClick(focused(), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(focused(), window->slider1());
        QTest::keyClick(focused(), Qt::Key_Tab);
        QCOMPARE(focused(), window->command(1));
        QTest::keyClick(focused(), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(focused(), window->slider1());
        QTest::keyClick(focused(), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(focused(), window->text1());
        QTest::keyClick(focused(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(focused(), window->command(4));
    }

    void delayLabelFollowsTheLocale_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("half");
        QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany)
                                << "Delay von Zeichen zu Zeichen (0,5s)";
        QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates)
                                 << "Delay von Zeichen zu Zeichen (0.5s)";
    }
    void delayLabelFollowsTheLocale() {
        QFETCH(QLocale, locale);
        QFETCH(QString, half);
        qt::QtProgramServices services(locale);
        QVERIFY(open(services));
        QCOMPARE(window->label1()->text(),
                 QString("Delay von Zeichen zu Zeichen (0,2s)"));  // before any move
        QTest::keyClick(window->slider1(), Qt::Key_End);
        QCOMPARE(window->label1()->text(), half);
        QCOMPARE(window->timer1().interval(), 500);
        QTest::keyClick(window->slider1(), Qt::Key_Home);
        QCOMPARE(window->label1()->text(), QString("Delay von Zeichen zu Zeichen (0s)"));
        QCOMPARE(window->timer1().interval(), 0);
    }

    void delayZeroPausesTheTransferUntilTheSliderMoves() {
        const platform::WindowHandle client = desktop.addWindow("Ultima Online - Schreiber");
        QVERIFY(open());
        window->text1()->setPlainText("Hallo\nWelt");
        window->slider1()->setValue(0);
        window->command(1)->click();
        QVERIFY(window->timer1().enabled());
        QVERIFY(!window->timer1().ticking());
        QTest::qWait(300);
        QVERIFY(desktop.window(client).received.empty());

        window->slider1()->setValue(1);
        QTRY_COMPARE_WITH_TIMEOUT(desktop.window(client).received, std::u32string(U"Hallo\nWelt"), 5000);
        QVERIFY(!window->timer1().enabled());
        QCOMPARE(window->logic().transfer().TransferPos,
                 std::int64_t{12});  // 11 characters: "Hallo" CR LF "Welt"
    }

    void closingTheWindowStopsTheTransfer() {
        const platform::WindowHandle client = desktop.addWindow("Ultima Online - Schreiber");
        QVERIFY(open());
        window->text1()->setPlainText(QString(200, 'x'));
        window->slider1()->setValue(1);
        window->command(1)->click();
        QTRY_VERIFY(!desktop.window(client).received.empty());
        window->close();
        QTRY_VERIFY(window.isNull());  // unloaded
        const std::size_t typed = desktop.window(client).received.size();
        QTest::qWait(400);
        QCOMPARE(desktop.window(client).received.size(), typed);
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
