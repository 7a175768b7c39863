#include "app/qt/controls.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QSlider>
#include <QStringConverter>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <cstdlib>

namespace quill::app::qt {

QString toQtText(std::string_view utf8) {
    // A leading U+FEFF is text here (the file's own byte-order mark is gone already): fromUtf8 would
    // drop it.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::ConvertInitialBom);
    QString text = decoder.decode(QByteArrayView(utf8.data(), static_cast<qsizetype>(utf8.size())));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QStringList toQtNameFilters(const std::string& filter) {
    const QStringList parts =
        QString::fromUtf8(filter.data(), static_cast<qsizetype>(filter.size())).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        const QString& pattern = parts[i + 1];
        // Qt reads the patterns from the last parentheses of an entry; file names match them
        // regardless of case, so "(*.RTF)" covers the pattern "*.rtf".
        const QString named = QLatin1Char('(') + pattern + QLatin1Char(')');
        if (description.contains(named, Qt::CaseInsensitive))
            filters << description;
        else
            filters << description + QLatin1Char(' ') + named;
    }
    return filters;
}

RichTextEditor::RichTextEditor(QTextEdit& edit) : edit_(edit) {
    counting_ = QObject::connect(edit_.document(), &QTextDocument::contentsChanged, [this] { ++revision_; });
}

RichTextEditor::~RichTextEditor() {
    QObject::disconnect(counting_);
}

std::u16string RichTextEditor::plainText() const {
    // toRawText keeps every character as it is in the document (toPlainText would turn
    // non-breaking spaces into blanks); paragraph and line separators become CR LF.
    const QString raw = edit_.document()->toRawText();
    std::u16string text;
    text.reserve(static_cast<std::size_t>(raw.size()) +
                 static_cast<std::size_t>(edit_.document()->blockCount()));
    for (const QChar c : raw) {
        switch (c.unicode()) {
            case QChar::ParagraphSeparator:
            case QChar::LineSeparator:
                text += u"\r\n";
                break;
            case QChar::ObjectReplacementCharacter:
            case 0xFDD0:  // beginning of a frame (table, embedded frame)
            case 0xFDD1:  // end of a frame
                break;
            default:
                text += static_cast<char16_t>(c.unicode());
        }
    }
    return text;
}

void RichTextEditor::clear() {
    edit_.clear();
    ++revision_;
}

void RichTextEditor::setDocument(const document::Document& document) {
    // The document is built away from the editor, where no layout follows each insertion, and handed
    // over whole: the editor lays it out lazily, the visible part first. Plain text goes in one piece.
    QTextDocument* shown = edit_.document();
    // The editor deletes its first document itself when it is replaced; one of ours is deleted here.
    const bool ours = shown->parent() == &edit_;
    auto* fresh = new QTextDocument(&edit_);
    fresh->setDefaultFont(shown->defaultFont());
    fresh->setDefaultTextOption(shown->defaultTextOption());
    fresh->setDocumentMargin(shown->documentMargin());
    fresh->setUndoRedoEnabled(false);
    if (document.format == document::Format::PlainText) {
        // Plain text takes the editor's own font.
        fresh->setPlainText(toQtText(document.plainText()));
    } else {
        // A formatted document brings its own looks.
        QTextCursor cursor(fresh);
        for (const document::TextRun& run : document.runs) {
            QTextCharFormat format;
            const document::TextFormat& looks = run.format;
            format.setFontWeight(looks.bold ? QFont::Bold : QFont::Normal);
            format.setFontItalic(looks.italic);
            format.setFontUnderline(looks.underline);
            format.setFontStrikeOut(looks.strikeOut);
            if (looks.pointSize > 0) format.setFontPointSize(looks.pointSize);
            if (looks.color) format.setForeground(QColor::fromRgb(static_cast<QRgb>(*looks.color)));
            if (!looks.fontFamily.empty()) format.setFontFamilies({QString::fromStdString(looks.fontFamily)});
            cursor.insertText(toQtText(run.text), format);
        }
    }
    fresh->setUndoRedoEnabled(true);
    QObject::disconnect(counting_);
    edit_.setDocument(fresh);
    counting_ = QObject::connect(fresh, &QTextDocument::contentsChanged, [this] { ++revision_; });
    if (ours) delete shown;
    edit_.moveCursor(QTextCursor::Start);
    ++revision_;
}

PasteCheckingTextEdit::PasteCheckingTextEdit(QWidget* parent) : QTextEdit(parent) {}

namespace {

// Lines of an HTML text, counted from the tags that begin a block (<p, <br, <div, <li, <tr, <h1..<h6).
qsizetype htmlLines(const QString& html) {
    qsizetype lines = 1;
    for (qsizetype i = html.indexOf(QLatin1Char('<')); i >= 0; i = html.indexOf(QLatin1Char('<'), i + 1)) {
        qsizetype end = i + 1;
        while (end < html.size() && html[end].isLetterOrNumber()) ++end;
        const QStringView tag = QStringView(html).mid(i + 1, end - i - 1);
        for (const char* block : {"p", "br", "div", "li", "tr", "h1", "h2", "h3", "h4", "h5", "h6"}) {
            if (tag.compare(QLatin1String(block), Qt::CaseInsensitive) == 0) {
                ++lines;
                break;
            }
        }
    }
    return lines;
}

}  // namespace

void PasteCheckingTextEdit::insertFromMimeData(const QMimeData* source) {
    if (source && pasteAllowed_) {
        // The plain text the source offers; HTML only: its lines are counted from its block tags.
        QString text = source->text();
        if (!source->hasText() && source->hasHtml())
            text = QString(htmlLines(source->html()) - 1, QLatin1Char('\n'));
        if (!pasteAllowed_(text.toStdU16String())) return;
    }
    QTextEdit::insertFromMimeData(source);
}

void CaptionLabel::setCaption(const std::string& caption) {
    label_.setText(toQtText(caption));
}

int DelaySlider::value() const {
    return slider_.value();
}

TickTimer::TickTimer(std::function<void()> onTick) {
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, std::move(onTick));
}

void TickTimer::setEnabled(bool enabled) {
    enabled_ = enabled;
    apply();
}

void TickTimer::setInterval(int milliseconds) {
    interval_ = milliseconds;
    apply();
}

void TickTimer::apply() {
    // Enabling or a new interval starts the count afresh: the next tick comes one interval later.
    if (enabled_ && interval_ > 0)
        timer_.start(interval_);
    else
        timer_.stop();
}

void MessageBoxService::show(const std::string& text, const std::string& title) {
    QWidget* parent = parent_ && parent_->isVisible() ? parent_.data() : nullptr;
    QMessageBox box(QMessageBox::NoIcon, toQtText(title), toQtText(text), QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok);
    box.exec();
}

std::optional<std::filesystem::path> FileDialogService::showOpen(const app::FileDialogRequest& request) {
    return run(request, false);
}

std::optional<std::filesystem::path> FileDialogService::showSave(const app::FileDialogRequest& request) {
    return run(request, true);
}

std::optional<std::filesystem::path> FileDialogService::run(const app::FileDialogRequest& request,
                                                            bool save) {
    QWidget* parent = parent_ && parent_->isVisible() ? parent_.data() : nullptr;
    QFileDialog dialog(parent, toQtText(request.title),
                       QFile::decodeName(QByteArray::fromStdString(request.initialDirectory.string())));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    const QStringList filters = toQtNameFilters(request.filter);
    dialog.setNameFilters(filters);
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
        dialog.selectNameFilter(filters[request.filterIndex - 1]);
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.front().isEmpty()) return std::nullopt;
    return std::filesystem::path(QFile::encodeName(chosen.front()).toStdString());
}

void ProgramService::endProgram() {
    std::_Exit(EXIT_SUCCESS);
}

std::filesystem::path ProgramService::applicationDirectory() const {
    return std::filesystem::path(QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString());
}

std::string ProgramService::decimalSeparator() const {
    return locale_.decimalPoint().toStdString();
}

}  // namespace quill::app::qt
