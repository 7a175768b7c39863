// The Qt practice client on the offscreen platform: key events and input-method commits in, the
// record file out. Typed keys are the smoke tests' part (x11_smoke.sh, wine_smoke.sh).
#include "practice/qt/book_widget.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using quill::practice::Recorder;
using quill::practice::qt::BookWidget;

class BookWidgetTest : public QObject {
    Q_OBJECT

  private:
    QByteArray recorded() const {
        QFile file(dir_.filePath(QStringLiteral("record.txt")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    void press(int key, const QString& text, Qt::KeyboardModifiers modifiers = {}) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
        QApplication::sendEvent(book_, &event);
    }
    void commit(const QString& commitString, const QString& preedit = {}) {
        QInputMethodEvent event(preedit, {});
        event.setCommitString(commitString);
        QApplication::sendEvent(book_, &event);
    }

    QTemporaryDir dir_;
    Recorder recorder_;
    std::unique_ptr<QWidget> window_;
    BookWidget* book_ = nullptr;

  private slots:
    // The book in a window with one more widget that could take the focus.
    void init() {
        QVERIFY(dir_.isValid());
        QFile::remove(dir_.filePath(QStringLiteral("record.txt")));
        QVERIFY(recorder_.open(dir_.filePath(QStringLiteral("record.txt")).toStdString()));
        window_ = std::make_unique<QWidget>();
        book_ = new BookWidget(QStringLiteral("Ultima Online - Übungsbuch"), recorder_, window_.get());
        (new QWidget(window_.get()))->setFocusPolicy(Qt::StrongFocus);
        window_->show();
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        book_->setFocus();
        QVERIFY(book_->hasFocus());
    }
    void cleanup() { window_.reset(); }

    void recordsComposedTextInOrderKeepsTheFocusOnTabAndIgnoresControlAndPagingKeys() {
        QVERIFY(book_->testAttribute(Qt::WA_InputMethodEnabled));
        QTest::keyClick(book_, Qt::Key_A);
        press(Qt::Key_Dead_Circumflex, QString());  // a dead key on its own types nothing
        commit(QString(), QStringLiteral("^"));     // nor does text still being composed
        commit(QStringLiteral("ê"));
        QTest::keyClick(book_, Qt::Key_Tab);
        QVERIFY(book_->hasFocus());
        commit(QStringLiteral("ñ€\U00020BB7"));
        commit(QStringLiteral("x\r\ny\nz"));
        QCOMPARE(recorded(), QByteArray("aê\tñ€\xF0\xA0\xAE\xB7x\ny\nz"));

        // Control combinations and paging keys type nothing.
        for (int i = 0; i < 20; ++i) QTest::keyClick(book_, Qt::Key_Return);
        QCOMPARE(book_->book().pageCount(), 3);
        QTest::keyClick(book_, Qt::Key_PageUp);
        QCOMPARE(book_->book().currentPage(), 0);
        QTest::keyClick(book_, Qt::Key_PageDown);
        QCOMPARE(book_->book().currentPage(), 2);
        press(Qt::Key_A, QStringLiteral("\x01"), Qt::ControlModifier);
        press(Qt::Key_M, QStringLiteral("\r"), Qt::ControlModifier);
        press(Qt::Key_J, QStringLiteral("\n"), Qt::ControlModifier);
        QTest::keyClick(book_, Qt::Key_Return, Qt::ControlModifier);
        QTest::keyClick(book_, Qt::Key_Escape);
        QTest::keyClick(book_, Qt::Key_Delete);
        QCOMPARE(recorded(), QByteArray("aê\tñ€\xF0\xA0\xAE\xB7x\ny\nz") + QByteArray(20, '\n'));
    }
};

QTEST_MAIN(BookWidgetTest)
#include "book_widget_test.moc"
