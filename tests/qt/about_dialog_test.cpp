// frmAbout: texts, looks, closing keys, the one-dialog rule and the end of the program.
#include "app/qt/about_dialog.h"

#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/qt/main_window.h"
#include "support/fake_controls.h"
#include "support/fake_desktop.h"

using namespace quill;
using app::layout::ControlId;
using qt::FrmAbout;

namespace {

QList<FrmAbout*> openDialogs() {
    QList<FrmAbout*> dialogs;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* about = qobject_cast<FrmAbout*>(w); about && about->isVisible()) dialogs << about;
    return dialogs;
}

}  // namespace

class AboutDialogTest : public QObject {
    Q_OBJECT

    qt::QtAboutDialogHost host;

    FrmAbout* show() {
        host.showAbout();
        FrmAbout* dialog = host.dialog();
        if (dialog && !QTest::qWaitForWindowActive(dialog)) return nullptr;
        return dialog;
    }

  private slots:
    void cleanup() {
        QList<QPointer<FrmAbout>> dialogs;
        for (FrmAbout* about : openDialogs()) dialogs << about;
        qDeleteAll(dialogs);
    }

    void loadBuildsTheTexts() {
        FrmAbout* dialog = show();
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QString("Info zu Quillpost"));
        QCOMPARE(dialog->label(ControlId::lblTitle)->text(), QString("Quillpost"));
        QCOMPARE(dialog->label(ControlId::lblVersion)->text(), QString("Version 2.0.1"));
        const QStringList contact = dialog->label(ControlId::lContact)->text().split('\n');
        QCOMPARE(contact.size(), 4);
        QCOMPARE(contact[0], QString("Contact:"));
        QVERIFY(contact[1].startsWith("EMail: "));
        QVERIFY(contact[2].startsWith("ICQ: "));
        QCOMPARE(contact[3], QString("Website: -wieder keine-"));
        QCOMPARE(dialog->label(ControlId::lblDisclaimer)->text(),
                 QString("Warnung: Nicht geeignet für Kinder unter 8 Jahren *g*"));
        QVERIFY(dialog->label(ControlId::lblDescription)
                    ->text()
                    .endsWith("mit dem selben Inhalt zu schreiben ;)"));
        QCOMPARE(dialog->cmdOK()->text(), QString("OK"));
    }

    void looksAndPlaceFollowTheLayout() {
        FrmAbout* dialog = show();
        QVERIFY(dialog);
        if (dialog->logicalDpiX() != 96) QSKIP("the screen is not at 96 DPI");
        QCOMPARE(dialog->geometry(), QRect(156, 129, 382, 241));  // client area, not centred
        QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
        QVERIFY(!(dialog->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(!dialog->isModal());
        QCOMPARE(dialog->cmdOK()->geometry(), QRect(283, 215, 84, 23));
        QCOMPARE(dialog->label(ControlId::lblDescription)->geometry(), QRect(70, 75, 259, 54));
        QCOMPARE(dialog->label(ControlId::picIcon)->geometry(), QRect(16, 16, 32, 32));
        QCOMPARE(dialog->label(ControlId::picIcon)->pixmap().size(), QSize(32, 32));
        QVERIFY(QFontInfo(dialog->font()).family() != "Liberation Mono");
        // Every text is readable in full within its box.
        for (ControlId id : {ControlId::lblDescription, ControlId::lblDisclaimer, ControlId::lblTitle,
                             ControlId::lblVersion, ControlId::lContact}) {
            QLabel* label = dialog->label(id);
            QVERIFY(label->wordWrap());
            QVERIFY2(label->heightForWidth(label->width()) <= label->height(),
                     qPrintable(label->objectName()));
        }
    }

    void okEnterAndEscapeClose_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("Escape") << int(Qt::Key_Escape);
        QTest::newRow("OK") << 0;
    }
    void okEnterAndEscapeClose() {
        QFETCH(int, key);
        FrmAbout* dialog = show();
        QVERIFY(dialog);
        QVERIFY(dialog->cmdOK()->isDefault());
        if (key == 0)
            dialog->cmdOK()->click();
        else
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
        QTRY_VERIFY(host.dialog() == nullptr);  // closed and destroyed
    }

    void showingTwiceKeepsOneDialog() {
        FrmAbout* first = show();
        QVERIFY(first);
        first->label(ControlId::lblTitle)->setText("geändert");
        QCOMPARE(show(), first);
        QCOMPARE(openDialogs().size(), 1);
        QCOMPARE(first->label(ControlId::lblTitle)->text(), QString("geändert"));  // not loaded again
    }

    void reopeningLoadsAgain() {
        FrmAbout* first = show();
        QVERIFY(first);
        first->label(ControlId::lblVersion)->setText("alt");
        first->close();
        QTRY_VERIFY(host.dialog() == nullptr);
        FrmAbout* second = show();
        QVERIFY(second);
        QCOMPARE(second->label(ControlId::lblVersion)->text(), QString("Version 2.0.1"));
        QCOMPARE(openDialogs().size(), 1);
    }

    // Closing the main window leaves the About dialog open; the program ends once it is closed too.
    void programEndsWhenTheLastWindowCloses() {
        testing::FakeDesktop desktop;
        desktop.addWindow("Ultima Online - Leser");
        testing::FakeProgram program;
        testing::FakeMessages messages;
        testing::FakeFileDialog files;
        QPointer<qt::FrmMain> main = new qt::FrmMain({desktop, program, &messages, &files});
        main->loadAndShow();
        QVERIFY(QTest::qWaitForWindowExposed(main));
        main->command(4)->click();
        QPointer<FrmAbout> about = main->aboutHost().dialog();
        QVERIFY(about);

        bool aboutOpenAfterMainClosed = false;
        QObject context;  // cancels the timers below if the loop ends early
        QTimer::singleShot(100, &context, [main] { main->close(); });
        QTimer::singleShot(600, &context, [&] {
            aboutOpenAfterMainClosed = main.isNull() && about && about->isVisible();
            if (about) about->close();
        });
        QTimer watchdog;
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, &context, [] { QCoreApplication::exit(99); });
        watchdog.start(10000);
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(aboutOpenAfterMainClosed);
        QVERIFY(program.ended == 0);  // ended by closing its windows, not by the end command
    }
};

QTEST_MAIN(AboutDialogTest)
#include "about_dialog_test.moc"
