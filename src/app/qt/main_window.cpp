#include "app/qt/main_window.h"

#include <QAction>
#include <QApplication>
#include <QFont>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QStyleFactory>
#include <QTextEdit>
#include <array>
#include <string_view>
#include <utility>

#include "app/qt/layout_painting.h"
#include "transfer/delay.h"

namespace quill::qt {

using app::FrmMainLogic;
using app::layout::ControlId;

namespace {

QString fromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

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
    QFont::insertSubstitution(fromView(app::layout::kMainFontFamily), QStringLiteral("Liberation Mono"));
}

FrmMain::FrmMain(const FrmMainServices& services)
    : QMainWindow(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                               Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      qtMessages_(this),
      qtFileDialog_(this) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("FrmMain"));
    setWindowTitle(fromView(app::layout::kMainCaption));
    setWindowIcon(QIcon(QStringLiteral(":/quillpost/quillpost.png")));

    auto* area = new MainClientArea(this);
    area->setObjectName(QStringLiteral("clientArea"));
    QFont font(fromView(app::layout::kMainFontFamily));
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
    buildMenu();

    area->setFixedSize(pixels(app::layout::kMainClientWidth, dpi),
                       pixels(app::layout::kMainClientHeight, dpi));
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    editor_ = std::make_unique<RichTextEditor>(*text1_);
    label_ = std::make_unique<QtLabel>(*label1_);
    slider_ = std::make_unique<QtSlider>(*slider1_);
    timer1_ = std::make_unique<QtPacingTimer>([this] {
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
        const QString caption = fromView(control.caption);
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
            case ControlId::List1_0:
            case ControlId::List1_1:
            case ControlId::List1_2: {
                // The client lists are kept as controls, as the window has them, but never shown.
                auto* list = new QListWidget(parent);
                list->setFocusPolicy(Qt::NoFocus);
                lists_[static_cast<int>(control.id) - static_cast<int>(ControlId::List1_0)] = list;
                widget = list;
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
        widget->setObjectName(fromView(control.name));
        widget->setGeometry(pixelRect(control, dpi));
        widget->setVisible(control.visible);
    }

    const auto order = app::layout::mainFocusOrder();
    for (std::size_t i = 1; i < order.size(); ++i)
        setTabOrder(this->control(order[i - 1]), this->control(order[i]));
}

void FrmMain::buildMenu() {
    QMenu* datei = nullptr;
    for (const app::layout::MenuItem& item : app::layout::mainMenu()) {
        const QString caption = fromView(item.caption);
        if (item.name == "mnu_datei") {
            datei = menuBar()->addMenu(caption);
            datei->setObjectName(fromView(item.name));
            continue;
        }
        QAction* action = nullptr;
        if (item.inDateiMenu && item.caption == "-") {
            action = datei->addSeparator();
        } else if (item.inDateiMenu) {
            action = datei->addAction(caption);
            if (!item.shortcut.empty()) action->setShortcut(QKeySequence(fromView(item.shortcut)));
        } else {
            action = menuBar()->addAction(caption);
        }
        action->setObjectName(fromView(item.name));
        actions_.emplace(std::string(item.name), action);
    }
}

void FrmMain::connectHandlers() {
    for (QPushButton* button : commands_) {
        const app::Handler handler = app::handlerFor(button->objectName().toStdString());
        connect(button, &QPushButton::clicked, this, [this, handler] { (logic_.get()->*handler)(); });
    }
    // A started transfer shows its progress on the task-bar button from the first moment.
    connect(commands_[0], &QPushButton::clicked, this, [this] { showProgress(); });
    connect(slider1_, &QSlider::valueChanged, this, [this] { logic_->Slider1_Change(); });
    for (const auto& [name, action] : actions_) {
        if (const app::Handler handler = app::handlerFor(name))
            connect(action, &QAction::triggered, this, [this, handler] { (logic_.get()->*handler)(); });
    }
}

void FrmMain::showProgress() {
    launcher_.show(transfer::progressOf(logic_->transfer()));
}

void FrmMain::loadAndShow() {
    // The native window exists from here on, so the scan can start from its place in the z-order.
    const WId own = winId();
    logic_->Form_Load(static_cast<platform::WindowHandle>(own));
    const client::ClientList& clients = logic_->List1();
    for (std::size_t i = 0; i < clients.count(); ++i) {
        lists_[0]->addItem(QString::fromStdString(clients.handles[i]));
        lists_[1]->addItem(QString::fromStdString(clients.titles[i]));
        lists_[2]->addItem(QString::fromStdString(clients.processIds[i]));
    }
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
        case ControlId::List1_0:
        case ControlId::List1_1:
        case ControlId::List1_2:
            return lists_[static_cast<int>(id) - static_cast<int>(ControlId::List1_0)];
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

QListWidget* FrmMain::list1(int index) const {
    return index >= 0 && index <= 2 ? lists_[index] : nullptr;
}

QAction* FrmMain::menuAction(const std::string& name) const {
    const auto found = actions_.find(name);
    return found == actions_.end() ? nullptr : found->second;
}

bool FrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched != text1_) return QMainWindow::eventFilter(watched, event);
    if (event->type() == QEvent::ShortcutOverride) {
        // The editor claims Ctrl+X (cut) and other standard keys for itself; the menu's shortcuts
        // win everywhere in the window.
        auto* key = static_cast<QKeyEvent*>(event);
        const QKeySequence pressed(
            QKeyCombination(key->modifiers() & ~Qt::KeypadModifier, Qt::Key(key->key())));
        for (const auto& [name, action] : actions_) {
            if (!action->shortcut().isEmpty() && action->shortcut() == pressed) {
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

}  // namespace quill::qt
