#include "practice/qt/book_widget.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include "core/unicode.h"
#include "practice/book_geometry.h"
#include "practice/practice_client.h"

namespace quill::practice::qt {
namespace {

QColor colour(unsigned rgb) {
    return QColor::fromRgb(static_cast<QRgb>(rgb));
}
QRect toRect(const Box& box) {
    return {box.x, box.y, box.width, box.height};
}
QString text(std::u32string_view line) {
    return QString::fromUcs4(line.data(), static_cast<qsizetype>(line.size()));
}
QString text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// The largest font not above the planned size with which every line fits the page's width.
QFont pageFont(const BookGeometry& g, const std::vector<QString>& lines, bool italic) {
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setStyleHint(QFont::Serif);
    font.setItalic(italic);
    int pixels = std::max(g.fontPixels, 6);
    font.setPixelSize(pixels);
    while (pixels > 6) {
        const QFontMetrics metrics(font);
        bool fits = true;
        for (const QString& line : lines) fits = fits && metrics.horizontalAdvance(line) <= g.text[0].width;
        if (fits) break;
        font.setPixelSize(--pixels);
    }
    return font;
}

void paintButton(QPainter& p, const Box& box, const QString& caption, bool enabled) {
    p.setPen(Qt::NoPen);
    p.setBrush(colour(enabled ? kButtonColour : kButtonDisabledColour));
    p.drawRoundedRect(toRect(box), 6, 6);
    p.setPen(colour(enabled ? kStatusColour : kButtonColour));
    p.drawText(toRect(box), Qt::AlignCenter, caption);
}

}  // namespace

BookWidget::BookWidget(const QString& title, Recorder& recorder, QWidget* parent)
    : QWidget(parent), recorder_(recorder) {
    setWindowTitle(title);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    resize(kDefaultWidth, kDefaultHeight);
}

bool BookWidget::event(QEvent* event) {
    // Tab is a character for the book, not a move to another widget.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            keyPressEvent(key);
            return true;
        }
    }
    return QWidget::event(event);
}

void BookWidget::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    const bool plain = mods == Qt::NoModifier;
    switch (event->key()) {
        case Qt::Key_PageUp:
            book_.previousSpread();
            update();
            return;
        case Qt::Key_PageDown:
            book_.nextSpread();
            update();
            return;
        case Qt::Key_Home:
        case Qt::Key_End:
            if (mods == Qt::ControlModifier) {
                event->key() == Qt::Key_Home ? book_.firstPage() : book_.lastPage();
                update();
            }
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (plain) receive(kEnter);
            return;
        case Qt::Key_Tab:
            if (plain) receive(kTab);
            return;
        case Qt::Key_Backtab:
            return;
        case Qt::Key_Backspace:
            if (plain) receive(kBackspace);
            return;
        default:
            receiveText(event->text(), false);
    }
}

void BookWidget::inputMethodEvent(QInputMethodEvent* event) {
    receiveText(event->commitString(), true);
    event->accept();
}

QVariant BookWidget::inputMethodQuery(Qt::InputMethodQuery query) const {
    switch (query) {
        case Qt::ImEnabled:
            return true;
        case Qt::ImHints:
            return static_cast<int>(Qt::ImhMultiLine | Qt::ImhNoPredictiveText);
        case Qt::ImSurroundingText:
        case Qt::ImCurrentSelection:
        case Qt::ImTextBeforeCursor:
        case Qt::ImTextAfterCursor:
            return QString();
        case Qt::ImCursorPosition:
        case Qt::ImAnchorPosition:
            return 0;
        case Qt::ImCursorRectangle: {
            const BookGeometry g = layoutBook(width(), height());
            const int line = static_cast<int>(book_.lines().size() - 1) % kLinesPerPage;
            const int side = (book_.pageCount() - 1) % 2;
            return QRect(g.text[side].x, g.text[side].y + line * g.lineHeight, 1, g.lineHeight);
        }
        default:
            return QWidget::inputMethodQuery(query);
    }
}

void BookWidget::mousePressEvent(QMouseEvent* event) {
    const BookGeometry g = layoutBook(width(), height());
    const QPoint at = event->position().toPoint();
    if (g.previousButton.contains(at.x(), at.y())) {
        book_.previousSpread();
    } else if (g.nextButton.contains(at.x(), at.y())) {
        book_.nextSpread();
    }
    setFocus(Qt::MouseFocusReason);
    update();
}

void BookWidget::receiveText(const QString& text, bool committed) {
    // Committed text may carry line breaks as CR, LF or CR LF: each is one Enter. In the text of a
    // key event they come from Ctrl+M or Ctrl+J, which are no line breaks.
    const QList<uint> characters = text.toUcs4();
    for (qsizetype i = 0; i < characters.size(); ++i) {
        const char32_t c = characters[i];
        if (c == U'\r' || c == U'\n') {
            if (committed && (c == U'\r' || i == 0 || characters[i - 1] != U'\r')) receive(kEnter);
        } else {
            receive(c);
        }
    }
}

void BookWidget::receive(char32_t character) {
    if (!book_.receive(character)) return;
    recorder_.append(character);
    update();
}

void BookWidget::paintEvent(QPaintEvent*) {
    const BookGeometry g = layoutBook(width(), height());
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.fillRect(rect(), colour(kBackgroundColour));

    p.setPen(QPen(colour(kCoverEdgeColour), 3));
    p.setBrush(colour(kCoverColour));
    p.drawRoundedRect(QRectF(toRect(g.cover)).adjusted(1.5, 1.5, -1.5, -1.5), 10, 10);

    const bool hint = book_.received().empty();
    const int first = book_.spreadStart();
    std::vector<QString> lines[2];
    for (int side = 0; side < 2; ++side) {
        if (hint && side == 0) {
            for (const auto& line : wrapLine(core::utf8ToUtf32(kHint))) lines[0].push_back(text(line));
        } else {
            for (const auto& line : book_.page(first + side)) lines[side].push_back(text(line));
        }
    }
    std::vector<QString> all = lines[0];
    all.insert(all.end(), lines[1].begin(), lines[1].end());
    const QFont font = pageFont(g, all, hint);
    p.setFont(font);
    const QFontMetrics metrics(font);

    for (int side = 0; side < 2; ++side) {
        const QRect page = toRect(g.pages[side]);
        QLinearGradient shade(page.topLeft(), page.topRight());
        shade.setColorAt(side == 0 ? 0.0 : 1.0, colour(kPageColour));
        shade.setColorAt(side == 0 ? 0.86 : 0.14, colour(kPageColour));
        shade.setColorAt(side == 0 ? 1.0 : 0.0, colour(kPageShadeColour));
        p.setPen(Qt::NoPen);
        p.setBrush(shade);
        p.drawRect(page);

        const QRect area = toRect(g.text[side]);
        p.setPen(QPen(colour(kRuleColour), 1));
        for (int row = 1; row <= kLinesPerPage; ++row) {
            const int y = area.top() + row * g.lineHeight - g.lineHeight / 5;
            p.drawLine(area.left(), y, area.right(), y);
        }
        p.setPen(colour(hint ? kHintColour : kInkColour));
        for (std::size_t row = 0; row < lines[side].size(); ++row) {
            const int baseline =
                area.top() + static_cast<int>(row + 1) * g.lineHeight - g.lineHeight / 5 - metrics.descent();
            p.drawText(area.left(), baseline, lines[side][row]);
        }
        const int pageIndex = first + side;
        if (!hint && pageIndex < book_.pageCount()) {
            p.setPen(colour(kHintColour));
            p.drawText(toRect(g.pageNumbers[side]), Qt::AlignCenter, text(pageNumberText(pageIndex)));
            if (pageIndex == book_.pageCount() - 1) {
                // The writing position, after the last character of the book.
                const int row = static_cast<int>(lines[side].size()) - 1;
                const int x = area.left() + metrics.horizontalAdvance(lines[side].back()) + 2;
                const int bottom = area.top() + (row + 1) * g.lineHeight - g.lineHeight / 5 - 2;
                p.setPen(QPen(colour(kInkColour), 2));
                p.drawLine(x, bottom - metrics.ascent(), x, bottom);
            }
        }
    }
    p.setPen(QPen(colour(kCoverEdgeColour), 2));
    const int spine = g.pages[1].x;
    p.drawLine(spine, g.pages[0].y, spine, g.pages[0].y + g.pages[0].height);

    QFont small = QWidget::font();
    small.setPixelSize(std::max(12, g.status.height * 9 / 20));
    p.setFont(small);
    paintButton(p, g.previousButton, QStringLiteral("◀ Zurück"), first > 0);
    paintButton(p, g.nextButton, QStringLiteral("Weiter ▶"), first + 2 < book_.pageCount());
    std::string status = statusText(book_.currentPage(), book_.pageCount(), book_.received().size());
    const bool failing = !recorder_.error().empty();
    if (failing) status = recorder_.error();
    p.setPen(colour(failing ? kErrorColour : kStatusColour));
    const QRect statusBox = toRect(g.status);
    p.drawText(statusBox, Qt::AlignCenter,
               QFontMetrics(small).elidedText(text(status), Qt::ElideMiddle, statusBox.width()));
}

void BookWidget::closeEvent(QCloseEvent* event) {
    if (!recorder_.retry()) {
        QMessageBox::warning(this, QStringLiteral("Übungsbuch"), text(recorder_.error()));
    }
    event->accept();
}

}  // namespace quill::practice::qt
