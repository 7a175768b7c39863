// The Qt practice client on the offscreen platform: key events and input-method commits in, the
// record file out.
#include "practice/qt/book_widget.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using quill::practice::BookWidget;
using quill::practice::Recorder;

class BookWidgetTest : public QObject {
    Q_OBJECT

  private:
    QByteArray recorded() const {
        QFile file(dir_.filePath(QStringLiteral("record.txt")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    static void press(QWidget* widget, int key, const QString& text, Qt::KeyboardModifiers mods = {}) {
        QKeyEvent event(QEvent::KeyPress, key, mods, text);
        QApplication::sendEvent(widget, &event);
    }
    static void commit(QWidget* widget, const QString& commitString, const QString& preedit = {}) {
        QInputMethodEvent event(preedit, {});
        event.setCommitString(commitString);
        QApplication::sendEvent(widget, &event);
    }

    QTemporaryDir dir_;
    Recorder recorder_;
    std::unique_ptr<BookWidget> widget_;

  private slots:
    void init() {
        QVERIFY(dir_.isValid());
        QFile::remove(dir_.filePath(QStringLiteral("record.txt")));
        QVERIFY(recorder_.open(dir_.filePath(QStringLiteral("record.txt")).toStdString()));
        widget_ = std::make_unique<BookWidget>(QStringLiteral("Ultima Online - Übungsbuch"), recorder_);
        widget_->show();
        QVERIFY(QTest::qWaitForWindowExposed(widget_.get()));
    }
    void cleanup() { widget_.reset(); }

    // Typed keys are the smoke tests' part (x11_smoke.sh, wine_smoke.sh); composed text is this one's.
    void recordsComposedTextFromTheInputMethodInOrder() {
        QCOMPARE(widget_->windowTitle(), QStringLiteral("Ultima Online - Übungsbuch"));
        QVERIFY(widget_->testAttribute(Qt::WA_InputMethodEnabled));
        QTest::keyClick(widget_.get(), Qt::Key_A);
        press(widget_.get(), Qt::Key_Dead_Circumflex, QString());  // a dead key on its own types nothing
        commit(widget_.get(), QString(), QStringLiteral("^"));     // nor does text still being composed
        commit(widget_.get(), QStringLiteral("ê"));
        QTest::keyClick(widget_.get(), Qt::Key_B);
        commit(widget_.get(), QStringLiteral("ñ€\U00020BB7"));
        commit(widget_.get(), QStringLiteral("x\r\ny\nz"));
        QCOMPARE(recorded(), QByteArray("aêbñ€\xF0\xA0\xAE\xB7x\ny\nz"));
    }

    void tabIsACharacterAndKeepsTheFocus() {
        QWidget window;
        Recorder none;
        auto* book = new BookWidget(QStringLiteral("Ultima Online - Übungsbuch"), none, &window);
        auto* other = new QWidget(&window);
        other->setFocusPolicy(Qt::StrongFocus);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        book->setFocus();
        QVERIFY(book->hasFocus());
        QTest::keyClick(book, Qt::Key_Tab);
        QVERIFY(book->hasFocus());
        QCOMPARE(book->book().text(), U"\t");
    }

    void ignoresControlCombinationsAndPagingKeys() {
        for (int i = 0; i < 20; ++i) QTest::keyClick(widget_.get(), Qt::Key_Return);
        QCOMPARE(widget_->book().pageCount(), 3);
        QTest::keyClick(widget_.get(), Qt::Key_PageUp);
        QCOMPARE(widget_->book().currentPage(), 0);
        QTest::keyClick(widget_.get(), Qt::Key_PageDown);
        QCOMPARE(widget_->book().currentPage(), 2);
        press(widget_.get(), Qt::Key_A, QStringLiteral("\x01"), Qt::ControlModifier);
        press(widget_.get(), Qt::Key_M, QStringLiteral("\r"), Qt::ControlModifier);
        press(widget_.get(), Qt::Key_J, QStringLiteral("\n"), Qt::ControlModifier);
        QTest::keyClick(widget_.get(), Qt::Key_Return, Qt::ControlModifier);
        QTest::keyClick(widget_.get(), Qt::Key_Escape);
        QTest::keyClick(widget_.get(), Qt::Key_Delete);
        QCOMPARE(recorded(), QByteArray(20, '\n'));
    }
};

QTEST_MAIN(BookWidgetTest)
#include "book_widget_test.moc"
