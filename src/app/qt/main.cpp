// The Linux program: FrmMain on Qt, typing through X11.
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>
#include <string>

#include "about/version.h"
#include "app/qt/main_window.h"
#include "app/qt/qt_controls.h"
#include "app/qt/unavailable_window_system.h"

#if QUILL_HAVE_X11
#include "platform/x11/x11_window_system.h"
#endif

namespace {

// The window system to type through, or nullptr with the reason in `error` (German).
std::unique_ptr<quill::platform::WindowSystem> openWindowSystem(std::string& error) {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        error = "Das Programm läuft nicht als X11-Fenster (Plattform \"" +
                QGuiApplication::platformName().toStdString() + "\").";
        return nullptr;
    }
#if QUILL_HAVE_X11
    return quill::platform::x11::X11WindowSystem::open(nullptr, &error);
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
    quill::qt::prepareApplication();

    // Qt's own dialogs (the file dialog) in the user's language.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    std::string error;
    std::unique_ptr<quill::platform::WindowSystem> windowSystem = openWindowSystem(error);
    quill::qt::UnavailableWindowSystem noWindowSystem;
    quill::qt::QtProgramServices program;

    auto* window = new quill::qt::FrmMain({windowSystem ? *windowSystem : noWindowSystem, program});
    if (!windowSystem) {
        quill::qt::QtMessageBoxes().show(
            error +
                "\r\nOhne X11 kann Quillpost keine UO Clients finden und keine Tasten senden. Texte "
                "bearbeiten, laden und speichern geht trotzdem.",
            "Hey, Dude!");
    }
    window->loadAndShow();
    return application.exec();
}
