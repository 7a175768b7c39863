// A Qt window for the typing tests: a plain-text editor that writes its whole text to a file at
// every change. Arguments: window title, output file, file to create once the window is up.
#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 4) return 2;
    const QString output = QString::fromLocal8Bit(argv[2]);
    const QString ready = QString::fromLocal8Bit(argv[3]);

    QPlainTextEdit editor;
    editor.setWindowTitle(QString::fromUtf8(argv[1]));
    editor.resize(500, 300);
    QObject::connect(&editor, &QPlainTextEdit::textChanged, [&] {
        QSaveFile file(output);
        if (file.open(QIODevice::WriteOnly)) {
            file.write(editor.toPlainText().toUtf8());
            file.commit();
        }
    });
    editor.show();
    editor.setFocus();
    QTimer::singleShot(0, [&] {
        QFile file(ready);
        file.open(QIODevice::WriteOnly);
    });
    return QApplication::exec();
}
