// frmAbout: texts, looks, closing keys and the one-dialog rule.
#include "app/qt/about_dialog.h"

#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include "support/expected_ui.h"

using namespace quill;
using app::layout::ControlId;
using qt::FrmAbout;

namespace {

QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

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

    // Texts, places and looks as designed; every text readable in full within its box.
    void dialogLooksAsDesigned() {
        FrmAbout* dialog = show();
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), qs(expected::kAboutCaption));
        QVERIFY(!dialog->isModal());
        QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
        QVERIFY(!(dialog->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
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
};

QTEST_MAIN(AboutDialogTest)
#include "about_dialog_test.moc"
