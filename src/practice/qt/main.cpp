// quillpost-practice: a stand-in game client for trying Quillpost and for the end-to-end tests.
#include <QApplication>
#include <QMessageBox>
#include <cstdio>

#include "practice/practice_client.h"
#include "practice/qt/book_widget.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quillpost-practice"));

    std::vector<std::string> arguments;
    const QStringList list = QApplication::arguments();
    for (qsizetype i = 1; i < list.size(); ++i) arguments.push_back(list[i].toStdString());
    const auto parsed = quill::practice::parseOptions(arguments);

    const auto fail = [](const std::string& message) {
        std::fprintf(stderr, "%s\n", message.c_str());
        QMessageBox::critical(nullptr, QStringLiteral("Übungsbuch"), QString::fromStdString(message));
        return 2;
    };
    if (!parsed.error.empty()) return fail(parsed.error + "\n\n" + std::string(quill::practice::kUsage));
    if (parsed.options.showUsage) {
        std::fputs(std::string(quill::practice::kUsage).c_str(), stdout);
        return 0;
    }

    quill::practice::Recorder recorder;
    if (parsed.options.recordFile && !recorder.open(*parsed.options.recordFile))
        return fail(recorder.error());

    quill::practice::qt::BookWidget window(QString::fromStdString(parsed.options.title), recorder);
    window.show();
    return QApplication::exec();
}
