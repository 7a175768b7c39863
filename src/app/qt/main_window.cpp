#include "app/qt/main_window.h"

#include <QAction>
#include <QApplication>
#include <QFont>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QStyleFactory>
#include <QTextEdit>
#include <array>
#include <string_view>
#include <utility>

#include "app/qt/menu.h"
#include "app/qt/painting.h"
#include "transfer/delay.h"

namespace quill::app::qt {

using app::FrmMainLogic;
using app::layout::ControlId;

namespace {

// The window's client area: the grey background with the decorative drawing beneath the controls.
class MainClientArea : public QWidget {
  public:
    using QWidget::QWidget;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        paintDrawing(painter, app::layout::mainDrawing(), logicalDpiX());
    }
};

}  // namespace

void prepareApplication() {
    if (QStyle* classic = QStyleFactory::create(QStringLiteral("Windows"))) QApplication::setStyle(classic);
    // Liberation Mono has the metrics of Courier New, so every caption keeps its width.
    QFont::insertSubstitution(toQtText(app::layout::kMainFontFamily), QStringLiteral("Liberation Mono"));
}

FrmMain::FrmMain(const FrmMainServices& services)
    : QMainWindow(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                               Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      qtMessages_(this),
      qtFileDialog_(this) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("FrmMain"));
    setWindowTitle(toQtText(app::layout::kMainCaption));
    setWindowIcon(QIcon(QStringLiteral(":/quillpost/quillpost.png")));

    auto* area = new MainClientArea(this);
    area->setObjectName(QStringLiteral("clientArea"));
    QFont font(toQtText(app::layout::kMainFontFamily));
    font.setPointSize(app::layout::kMainFontPoints);
    font.setWeight(static_cast<QFont::Weight>(app::layout::kMainFontWeight));
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    area->setFont(font);
    QPalette grey = area->palette();
    grey.setColor(QPalette::Window, QColor(app::layout::kWindowGrey.red, app::layout::kWindowGrey.green,
                                           app::layout::kWindowGrey.blue));
    area->setPalette(grey);
    area->setAutoFillBackground(true);
    setCentralWidget(area);

    const int dpi = area->logicalDpiX();
    buildControls(dpi);
    menu_ = buildMenu(*menuBar());

    area->setFixedSize(pixels(app::layout::kMainClientWidth, dpi),
                       pixels(app::layout::kMainClientHeight, dpi));
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    editor_ = std::make_unique<RichTextEditor>(*text1_);
    label_ = std::make_unique<CaptionLabel>(*label1_);
    slider_ = std::make_unique<DelaySlider>(*slider1_);
    timer1_ = std::make_unique<TickTimer>([this] {
        logic_->Timer1_Timer();
        showProgress();
    });
    logic_ = std::make_unique<FrmMainLogic>(
        services.windows,
        app::MainWindowControls{
            *editor_, *label_, *slider_, *timer1_, services.messages ? *services.messages : qtMessages_,
            services.fileDialog ? *services.fileDialog : qtFileDialog_, about_, services.program},
        services.saveEncoding);
    text1_->setPasteCheck([this](const std::u16string& pasted) { return logic_->Text1_Paste(pasted); });
    connectHandlers();
}

FrmMain::~FrmMain() {
    // The controls go first, while everything their signals could still reach exists.
    timer1_->setEnabled(false);
    delete takeCentralWidget();
}

void FrmMain::buildControls(int dpi) {
    QWidget* area = centralWidget();
    for (const app::layout::Control& control : app::layout::mainControls()) {
        const QString caption = toQtText(control.caption);
        QWidget* parent = area;
        if (control.insideContainer) parent = control.container == ControlId::Frame2 ? frame2_ : frame1_;
        QWidget* widget = nullptr;
        switch (control.id) {
            case ControlId::Frame1:
            case ControlId::Frame2: {
                auto* frame = new QGroupBox(caption, parent);
                (control.id == ControlId::Frame1 ? frame1_ : frame2_) = frame;
                widget = frame;
                break;
            }
            case ControlId::Command1:
            case ControlId::Command2:
            case ControlId::Command3:
            case ControlId::Command4: {
                auto* button = new QPushButton(caption, parent);
                button->setAutoDefault(false);
                commands_[static_cast<int>(control.id) - static_cast<int>(ControlId::Command1)] = button;
                widget = button;
                break;
            }
            case ControlId::Text1:
                text1_ = new PasteCheckingTextEdit(parent);
                text1_->setAcceptRichText(true);
                // Tab is typed into the text like any character; Ctrl+Tab and Ctrl+Shift+Tab leave it.
                text1_->setTabChangesFocus(false);
                text1_->installEventFilter(this);
                widget = text1_;
                break;
            case ControlId::Label1:
                label1_ = new QLabel(caption, parent);
                label1_->setTextFormat(Qt::PlainText);
                label1_->setBackgroundRole(QPalette::Button);
                label1_->setAutoFillBackground(true);
                widget = label1_;
                break;
            case ControlId::Slider1:
                slider1_ = new QSlider(Qt::Horizontal, parent);
                slider1_->setRange(transfer::kDelayMinimum, transfer::kDelayMaximum);
                slider1_->setSingleStep(1);
                slider1_->setPageStep(1);
                slider1_->setValue(transfer::kDelayStart);
                widget = slider1_;
                break;
            default:
                continue;
        }
        widget->setObjectName(toQtText(control.name));
        widget->setGeometry(pixelRect(control, dpi));
        widget->setVisible(control.visible);
    }

    const auto order = app::layout::mainFocusOrder();
    for (std::size_t i = 1; i < order.size(); ++i)
        setTabOrder(this->control(order[i - 1]), this->control(order[i]));
}

void FrmMain::connectHandlers() {
    // Each button and menu item runs the handler its action in the layout table names.
    for (const app::layout::Control& control : app::layout::mainControls()) {
        if (control.action == app::layout::Action::None) continue;
        auto* button = static_cast<QPushButton*>(this->control(control.id));
        connect(button, &QPushButton::clicked, this,
                [this, action = control.action] { logic_->run(action); });
    }
    // A started transfer shows its progress on the task-bar button from the first moment.
    connect(commands_[0], &QPushButton::clicked, this, [this] { showProgress(); });
    connect(slider1_, &QSlider::valueChanged, this, [this] { logic_->Slider1_Change(); });
    for (const MenuEntry& entry : menu_) {
        if (entry.item->action == app::layout::Action::None) continue;
        connect(entry.action, &QAction::triggered, this,
                [this, action = entry.item->action] { logic_->run(action); });
    }
}

void FrmMain::showProgress() {
    launcher_.show(transfer::progressOf(logic_->transfer()));
}

void FrmMain::loadAndShow() {
    // The native window exists from here on, so the scan can start from its place in the z-order.
    const WId own = winId();
    logic_->Form_Load(static_cast<platform::WindowHandle>(own));
    commands_[0]->setFocus(Qt::OtherFocusReason);
    show();
}

QWidget* FrmMain::control(ControlId id) const {
    switch (id) {
        case ControlId::Frame1:
            return frame1_;
        case ControlId::Frame2:
            return frame2_;
        case ControlId::Command1:
        case ControlId::Command2:
        case ControlId::Command3:
        case ControlId::Command4:
            return commands_[static_cast<int>(id) - static_cast<int>(ControlId::Command1)];
        case ControlId::Text1:
            return text1_;
        case ControlId::Label1:
            return label1_;
        case ControlId::Slider1:
            return slider1_;
        default:
            return nullptr;
    }
}

QPushButton* FrmMain::command(int number) const {
    return number >= 1 && number <= 4 ? commands_[number - 1] : nullptr;
}

QAction* FrmMain::menuAction(std::string_view name) const {
    for (const MenuEntry& entry : menu_)
        if (entry.item->name == name) return entry.action;
    return nullptr;
}

bool FrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched != text1_) return QMainWindow::eventFilter(watched, event);
    if (event->type() == QEvent::ShortcutOverride) {
        // The editor claims Ctrl+X (cut) and other standard keys for itself; the menu's shortcuts
        // win everywhere in the window.
        auto* key = static_cast<QKeyEvent*>(event);
        const QKeySequence pressed(
            QKeyCombination(key->modifiers() & ~Qt::KeypadModifier, Qt::Key(key->key())));
        for (const MenuEntry& entry : menu_) {
            if (!entry.action->shortcut().isEmpty() && entry.action->shortcut() == pressed) {
                event->ignore();
                return true;
            }
        }
    } else if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool control = key->modifiers() & Qt::ControlModifier;
        if (control && key->key() == Qt::Key_Tab) {
            focusNextPrevChild(true);
            return true;
        }
        if (control && key->key() == Qt::Key_Backtab) {
            focusNextPrevChild(false);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace quill::app::qt
