#include "app/qt/about_dialog.h"

#include <QApplication>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "app/layout.h"
#include "app/qt/controls.h"
#include "app/qt/painting.h"

#if QUILL_QT_X11
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#endif

namespace quill::app::qt {

using app::layout::ControlId;

namespace {

// The dialog has no task-bar button of its own: on X11 task bars leave out windows that carry
// _NET_WM_STATE_SKIP_TASKBAR. Set on the native window before it is mapped, where the window
// manager reads it.
void skipTaskBar([[maybe_unused]] QWidget& dialog) {
#if QUILL_QT_X11
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->display()) return;
    Display* display = x11->display();
    const auto window = static_cast<Window>(dialog.winId());
    const Atom state = XInternAtom(display, "_NET_WM_STATE", False);
    const Atom skip = XInternAtom(display, "_NET_WM_STATE_SKIP_TASKBAR", False);
    XChangeProperty(display, window, state, XA_ATOM, 32, PropModeAppend,
                    reinterpret_cast<const unsigned char*>(&skip), 1);
    XFlush(display);
#endif
}

}  // namespace

FrmAbout::FrmAbout(const about::ApplicationInfo& info)
    : QDialog(nullptr,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("frmAbout"));
    setModal(false);
    setSizeGripEnabled(false);
    const int dpi = logicalDpiX();

    const about::AboutTexts texts = about::frmAbout_Form_Load(info);
    setWindowTitle(toQtText(texts.caption));

    // Created in tab order; labels take no focus, so OK is the only stop.
    for (const app::layout::Control& control : app::layout::aboutControls()) {
        QWidget* widget = nullptr;
        switch (control.id) {
            case ControlId::cmdOK:
                cmdOK_ = new QPushButton(toQtText(control.caption), this);
                cmdOK_->setDefault(true);
                cmdOK_->setAutoDefault(true);
                connect(cmdOK_, &QPushButton::clicked, this, &QDialog::close);
                widget = cmdOK_;
                break;
            case ControlId::picIcon: {
                picIcon_ = new QLabel(this);
                const QPixmap icon = QIcon(QStringLiteral(":/quillpost/quillpost.png")).pixmap(32, 32);
                picIcon_->setPixmap(icon);
                widget = picIcon_;
                break;
            }
            default: {
                auto* label = new QLabel(this);
                label->setTextFormat(Qt::PlainText);
                label->setWordWrap(true);
                label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
                widget = label;
                if (control.id == ControlId::lblDescription) {
                    lblDescription_ = label;
                    label->setText(toQtText(texts.description));
                } else if (control.id == ControlId::lblDisclaimer) {
                    lblDisclaimer_ = label;
                    label->setText(toQtText(texts.disclaimer));
                } else if (control.id == ControlId::lblTitle) {
                    lblTitle_ = label;
                    label->setText(toQtText(texts.title));
                } else if (control.id == ControlId::lblVersion) {
                    lblVersion_ = label;
                    label->setText(toQtText(texts.version));
                } else if (control.id == ControlId::lContact) {
                    lContact_ = label;
                    label->setText(toQtText(texts.contact));
                }
                break;
            }
        }
        widget->setObjectName(
            QString::fromUtf8(control.name.data(), static_cast<qsizetype>(control.name.size())));
        QRect rect = pixelRect(control, dpi);
        if (control.id == ControlId::picIcon)
            rect.setSize(QSize(32, 32));  // the box takes the picture's size
        widget->setGeometry(rect);
    }

    fitFont();

    // Black text on the button-face colour of the system.
    QPalette colors = palette();
    colors.setColor(QPalette::WindowText, Qt::black);
    setPalette(colors);
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);

    const QSize client(pixels(app::layout::kAboutClientWidth, dpi),
                       pixels(app::layout::kAboutClientHeight, dpi));
    setFixedSize(client);
    // A fixed place on the screen: the client area's top-left corner, not centred.
    setGeometry(
        QRect(QPoint(pixels(app::layout::kAboutClientLeft, dpi), pixels(app::layout::kAboutClientTop, dpi)),
              client));
    cmdOK_->setFocus();
}

bool FrmAbout::textsFit() const {
    for (const QLabel* label : {lblDescription_, lblDisclaimer_, lblTitle_, lblVersion_, lContact_}) {
        if (label->heightForWidth(label->width()) > label->height()) return false;
        if (label->minimumSizeHint().width() > label->width()) return false;
    }
    return true;
}

void FrmAbout::fitFont() {
    // The desktop's dialog font, made smaller where it is too large for the boxes the texts were
    // laid out for, so no text is cut off.
    QFont font = QApplication::font(this);
    const int start = font.pointSize() > 0 ? font.pointSize() : 9;
    for (int points = start; points >= 6; --points) {
        font.setPointSize(points);
        setFont(font);
        if (textsFit()) return;
    }
}

QLabel* FrmAbout::label(ControlId id) const {
    switch (id) {
        case ControlId::picIcon:
            return picIcon_;
        case ControlId::lblDescription:
            return lblDescription_;
        case ControlId::lblDisclaimer:
            return lblDisclaimer_;
        case ControlId::lblTitle:
            return lblTitle_;
        case ControlId::lblVersion:
            return lblVersion_;
        case ControlId::lContact:
            return lContact_;
        default:
            return nullptr;
    }
}

void FrmAbout::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    paintDrawing(painter, app::layout::aboutDrawing(), logicalDpiX());
}

void AboutHost::showAbout() {
    if (!dialog_) {
        dialog_ = new FrmAbout();
        skipTaskBar(*dialog_);
    }
    dialog_->show();
    dialog_->raise();
    dialog_->activateWindow();
}

}  // namespace quill::app::qt
