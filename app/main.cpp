#include "app/desktopid.h"
#include "app/mainwindow.h"
#include "app/programfolder.h"
#include "app/runnotifier.h"
#include "app/singleinstance.h"
#include "app/stopsignalwatcher.h"
#include "app/translations.h"

#include <QApplication>
#include <QDir>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // Lets Wayland compositors and task bars tie the window to its menu entry
    // and icon; on X11 the entry's StartupWMClass matches the window class.
    QGuiApplication::setDesktopFileName(desktopId);

    // One window per user: a later start hands its files to it and ends,
    // without loading the catalogues it would never show.
    SingleInstance instance(app.arguments());
    if (instance.handedOver())
        return 0;
    installTranslations(&app, programFolder() + QStringLiteral("translations"));

    // Logout, shutdown and Ctrl+C end the application as closing it does.
    StopSignalWatcher stopSignals;

    MainWindow window;
    window.show();
    instance.serve(&window);
    RunNotifier notifier(&window);

    // From here on the tool and the help page are found by their bare names.
    QDir::setCurrent(programFolder());

    return app.exec();
}
