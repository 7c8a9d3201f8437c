// The benchmark's driver: starts the real window, adds every .mp4 file of a
// folder through the real open-files dialog (picked in the listing, as with
// Ctrl+A), checks that each got its duration, and quits. It prints on
// standard error the time from its start to the dialog's acceptance and from
// there to the end of the add command.
//
// Usage: filelistbench PROGRAM_FOLDER MEDIA_FOLDER

#include "app/mainwindow.h"
#include "modalanswerer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 3) {
        err << "usage: filelistbench PROGRAM_FOLDER MEDIA_FOLDER\n";
        return 2;
    }
    const QString media = QDir(arguments.at(2)).absolutePath();
    const QStringList names = QDir(media).entryList({QStringLiteral("*.mp4")}, QDir::Files, QDir::Name);

    MainWindow window;
    window.show();
    QDir::setCurrent(arguments.at(1));

    ModalAnswerer answerer;
    answerer.answer(ModalAnswerer::Way::Pick, media, names);
    window.findChild<QPushButton *>(QStringLiteral("btnAddFile"))->click();
    const qint64 elapsed = answerer.acceptedAt.isValid() ? answerer.acceptedAt.elapsed() : -1;
    const qint64 beforeAccepting = sinceStart.elapsed() - elapsed;

    const bool complete = window.names().size() == names.size() && !window.durationList().contains(0u);
    err << "started and chose in " << beforeAccepting << " ms; added " << window.names().size() << " of "
        << names.size() << " files in " << elapsed << " ms\n";
    return complete ? 0 : 1;
}
