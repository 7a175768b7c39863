// The Qt adapters behind the control interfaces: editor text, timer, message boxes, file dialog.
#include "app/qt/controls.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextTable>
#include <QTimer>
#include <functional>

#include "app/main_window_logic.h"
#include "core/unicode.h"

using namespace quill;

namespace {

// Runs `inspect` on the next modal dialog once it is up; `inspect` returns false to keep waiting.
void whenModal(std::function<bool(QWidget*)> inspect) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, inspect] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && inspect(modal)) {
            poll->stop();
            poll->deleteLater();
        }
    });
    poll->start(20);
}

}  // namespace

class ControlsTest : public QObject {
    Q_OBJECT

  private slots:
    // The text exactly, lines with CR LF; its revision changes on every edit (not on reading),
    // also after the editor was cleared.
    void editorTextIsExactWithCrLf() {
        QTextEdit edit;
        app::qt::RichTextEditor editor(edit);
        const auto start = editor.revision();
        QTextCursor cursor(edit.document());
        cursor.insertText(QString::fromUtf8("ein\u00A0Wort\t€"));
        cursor.insertBlock();
        cursor.insertText(QString::fromUtf8("𝄞 zwei"));
        cursor.insertText(QString(QChar::LineSeparator));  // Shift+Enter
        cursor.insertBlock();
        const auto typed = editor.revision();
        QVERIFY(typed != start);
        QCOMPARE(editor.plainText(), std::u16string(u"ein\u00A0Wort\t€\r\n𝄞 zwei\r\n\r\n"));
        QCOMPARE(editor.revision(), typed);
        editor.clear();
        QVERIFY(editor.revision() != typed);
        QVERIFY(editor.plainText().empty());
        const auto cleared = editor.revision();
        QTest::keyClicks(&edit, "b");
        QVERIFY(editor.revision() != cleared);
        QCOMPARE(editor.plainText(), std::u16string(u"b"));

        // Embedded objects and table frames leave no marks in the text.
        QTextEdit tableEdit;
        app::qt::RichTextEditor tables(tableEdit);
        QTextCursor at(tableEdit.document());
        at.insertText("vor");
        QTextTable* table = at.insertTable(1, 2);
        table->cellAt(0, 0).firstCursorPosition().insertText("a");
        table->cellAt(0, 1).firstCursorPosition().insertText("b");
        at.movePosition(QTextCursor::End);
        at.insertText(QString(QChar::ObjectReplacementCharacter));
        at.insertText("nach");
        const std::u16string text = tables.plainText();
        for (char16_t c : text) QVERIFY(c != 0xFDD0 && c != 0xFDD1 && c != 0xFFFC);
        QVERIFY(text.find(u"vor") == 0);
        QVERIFY(text.find(u"nach") != std::u16string::npos);
    }

    void loadedDocumentKeepsItsLooks() {
        QTextEdit edit;
        QFont courier("Courier New", 9, QFont::Bold);
        edit.setFont(courier);
        app::qt::RichTextEditor editor(edit);

        document::Document rich;
        rich.format = document::Format::Rtf;
        rich.append("normal ");
        document::TextFormat red;
        red.italic = true;
        red.underline = true;
        red.pointSize = 14;
        red.color = 0xC00000;
        red.fontFamily = "Liberation Serif";
        rich.append("rot\nzweite", red);
        const auto before = editor.revision();
        editor.setDocument(rich);
        QVERIFY(editor.revision() != before);
        QCOMPARE(editor.plainText(), std::u16string(u"normal rot\r\nzweite"));
        QTextCursor cursor(edit.document());
        cursor.setPosition(2);
        QCOMPARE(cursor.charFormat().fontWeight(), int(QFont::Normal));
        cursor.setPosition(9);
        const QTextCharFormat looks = cursor.charFormat();
        QVERIFY(looks.fontItalic() && looks.fontUnderline() && !looks.fontStrikeOut());
        QCOMPARE(looks.fontPointSize(), 14.0);
        QCOMPARE(looks.foreground().color(), QColor(0xC0, 0, 0));
        QCOMPARE(looks.fontFamilies().toStringList(), QStringList{"Liberation Serif"});

        // Plain text takes the editor's own bold font.
        document::Document plain;
        plain.append("schlicht\n");
        editor.setDocument(plain);
        QCOMPARE(editor.plainText(), std::u16string(u"schlicht\r\n"));
        cursor = QTextCursor(edit.document());
        cursor.setPosition(3);
        QCOMPARE(QFontInfo(cursor.charFormat().font()).bold(), true);
    }

    // Pasting or dropping goes through the check first; refused, nothing goes in.
    void pasteIsOfferedToTheCheckFirst() {
        app::qt::PasteCheckingTextEdit edit;
        std::vector<std::u16string> offered;
        bool allow = false;
        edit.setPasteCheck([&](const std::u16string& text) {
            offered.push_back(text);
            return allow;
        });
        QMimeData plain;
        plain.setText(QStringLiteral("eins\nzwei"));
        QMimeData html;
        html.setHtml(QStringLiteral("<p>a</p><P class=x>b</P><br/><pre>c</pre>"));
        for (const QMimeData* data : {&plain, &html}) {
            allow = false;
            edit.insertFromMimeData(data);
            QVERIFY(edit.document()->isEmpty());
            allow = true;
            edit.insertFromMimeData(data);
            QVERIFY(!edit.document()->isEmpty());
            edit.clear();
        }
        QCOMPARE(offered.size(), std::size_t{4});
        QCOMPARE(offered[0], std::u16string(u"eins\nzwei"));
        QCOMPARE(offered[2], std::u16string(u"\n\n\n"));  // three block tags: four lines
    }

    // What the editor holds, saved and opened again, is the same text: NUL and other control
    // characters, a leading U+FEFF, another format's signature included.
    void savedTextOpensAgainTheSame() {
        QTemporaryDir folder;
        const std::filesystem::path file = QFile::encodeName(folder.filePath("rund.txt")).toStdString();
        QTextEdit edit;
        app::qt::RichTextEditor editor(edit);
        using namespace std::string_literals;  // the texts hold NUL
        for (const std::u16string& text : {u"\uFEFFa\r\n\0\x01\tä€\u00A0\U0001F600Ж\x7F\r\n"s,
                                           u"{\\rtf1 x\0"s, u"PK\x03\x04\r\n\r\n"s, u"\0"s}) {
            document::Document typed;
            typed.append(core::utf16ToUtf8(text));
            editor.setDocument(typed);
            const std::u16string held = editor.plainText();
            QCOMPARE(held.front(), text.front());
            QVERIFY(!document::savePlainTextFile(file, core::utf16ToUtf8(held), {}));
            const auto read = document::readDocumentFile(file);
            QVERIFY(std::holds_alternative<document::Document>(read));
            editor.setDocument(std::get<document::Document>(read));
            QCOMPARE(editor.plainText(), held);
        }
    }

    void messageBoxHasOnlyOkAndNoIcon() {
        QString title, text;  // stay empty unless the box comes up
        int buttons = 0;
        QMessageBox::Icon icon = QMessageBox::Critical;
        Qt::TextFormat format = Qt::RichText;
        whenModal([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (!box) return false;
            title = box->windowTitle();
            text = box->text();
            buttons = static_cast<int>(box->buttons().size());
            icon = box->icon();
            format = box->textFormat();
            QTest::keyClick(box, Qt::Key_Return);
            return true;
        });
        app::qt::MessageBoxService().show(app::kFeaturesText, app::kFeaturesTitle);
        QCOMPARE(title, QString("New Features v2, Dude!"));
        QCOMPARE(buttons, 1);
        QCOMPARE(icon, QMessageBox::NoIcon);
        QCOMPARE(format, Qt::PlainText);
        QVERIFY(text.startsWith("Neue Features...\n- Word (.doc)"));
        QVERIFY(text.contains("(Bug fixed <- hach, das sag ich gern *g*)\n"));
        QVERIFY(!text.contains('\r'));
    }

    void fileDialogStartsWhereAsked() {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        app::FileDialogRequest request{"Datei öffnen...", folder.path().toStdString(), app::kFileFilter, 1};

        QString title, directory, filter;
        QStringList filters;
        whenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            if (!dialog) return false;
            title = dialog->windowTitle();
            directory = dialog->directory().absolutePath();
            filter = dialog->selectedNameFilter();
            filters = dialog->nameFilters();
            dialog->reject();
            return true;
        });
        app::qt::FileDialogService files;
        QCOMPARE(files.showOpen(request), std::optional<std::filesystem::path>());  // cancelled
        QCOMPARE(title, QString("Datei öffnen..."));
        QCOMPARE(directory, QDir(folder.path()).absolutePath());
        QCOMPARE(filter, QString("Textdateien (*.txt)"));
        QCOMPARE(filters, (QStringList{"Textdateien (*.txt)", "Word-Dokumente (*.doc)",
                                       "Rich-Text Dokumente (*.RTF)", "Alle Dateien (*.*)"}));

        QFile existing(folder.filePath("alt.txt"));
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.close();
        bool asksBeforeReplacing = true;
        whenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            if (!dialog) return false;
            asksBeforeReplacing = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
            auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
            if (!name) return false;
            name->setText("alt.txt");
            static_cast<QDialog*>(dialog)->accept();
            return true;
        });
        request.title = "Datei speichern...";
        const auto chosen = files.showSave(request);
        QVERIFY(chosen);
        QCOMPARE(QString::fromStdString(chosen->string()), folder.filePath("alt.txt"));
        QVERIFY(!asksBeforeReplacing);
    }

    // Run by CTest under LC_ALL=de_DE.UTF-8 and LC_ALL=en_US.UTF-8.
    void systemLocaleSeparator() {
        const QByteArray locale = qgetenv("LC_ALL");
        if (!locale.startsWith("de") && !locale.startsWith("en")) QSKIP("needs LC_ALL=de_* or en_*");
        QCOMPARE(app::qt::ProgramService().decimalSeparator(),
                 std::string(locale.startsWith("de") ? "," : "."));
    }
};

QTEST_MAIN(ControlsTest)
#include "controls_test.moc"
