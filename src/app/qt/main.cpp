// The Linux program: FrmMain on Qt, typing through X11.
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>
#include <string>

#include "about/version.h"
#include "app/qt/controls.h"
#include "app/qt/main_window.h"
#include "app/qt/unavailable_window_system.h"

#if QUILL_HAVE_X11
#include "platform/x11/x11_window_system.h"
#endif

namespace {

// In a Wayland session clients run under Wine or as X11 programs are windows of XWayland.
bool waylandSession() {
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

const char* const kXWaylandAdvice =
    "\r\nIn einer Wayland-Sitzung erreicht Quillpost UO Clients nur über XWayland, den X-Server der "
    "Sitzung für X11-Programme. Schalten Sie XWayland ein (in sway mit \"xwayland enable\" in der "
    "Konfiguration; GNOME und KDE Plasma starten es von selbst), starten Sie den Client über XWayland "
    "(Wine mit seinem X11-Treiber, nicht dem Wayland-Treiber) und danach Quillpost neu.";

// The window system to type through, or nullptr with the reason in `error` (German). Clients are
// found and typed into through X11 whatever platform Qt draws our own window on: a window of ours
// on Wayland still reaches the clients on the XWayland server that DISPLAY names.
std::unique_ptr<quill::platform::WindowSystem> openWindowSystem(std::string& error) {
#if QUILL_HAVE_X11
    std::unique_ptr<quill::platform::WindowSystem> windowSystem;
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        error = "Es ist kein X-Server erreichbar: die Umgebungsvariable DISPLAY ist nicht gesetzt.";
    } else {
        windowSystem = quill::platform::x11::X11WindowSystem::open(nullptr, &error);
    }
    if (!windowSystem && waylandSession()) error += kXWaylandAdvice;
    return windowSystem;
#else
    error = "Dieses Programm wurde ohne X11-Anbindung gebaut.";
    return nullptr;
#endif
}

}  // namespace

int main(int argc, char** argv) {
    // The client windows can only be found and typed into through X11, so a session that offers
    // both (Wayland with XWayland) runs the window as an X11 window.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillpost"));
    QApplication::setApplicationVersion(QStringLiteral(QUILL_VERSION_TEXT));
    QApplication::setDesktopFileName(QStringLiteral("quillpost"));
    quill::app::qt::prepareApplication();

    // Qt's own dialogs (the file dialog) in the user's language.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    std::string error;
    std::unique_ptr<quill::platform::WindowSystem> windowSystem = openWindowSystem(error);
    quill::app::qt::UnavailableWindowSystem noWindowSystem;
    quill::app::qt::ProgramService program;

    auto* window = new quill::app::qt::FrmMain({windowSystem ? *windowSystem : noWindowSystem, program});
    if (!windowSystem) {
        quill::app::qt::MessageBoxService().show(
            error +
                "\r\nOhne X11 kann Quillpost keine UO Clients finden und keine Tasten senden. Texte "
                "bearbeiten, laden und speichern geht trotzdem.",
            "Hey, Dude!");
    }
    window->loadAndShow();
    return application.exec();
}
