// A Tarvelo set up the way start-up sets it up, that lists the files named on
// its command line and converts them at once, answering "Overwrite" as a user
// would, or leaving the question open. The tests stop it from outside, with
// signals or by killing it; the title of every message box it leaves open is
// printed, so that they know when.
//
// Usage: convertingapp overwrite|none OUTPUT-FOLDER INPUT-FOLDER NAME...

#include "app/mainwindow.h"
#include "app/stopsignalwatcher.h"
#include "modalanswerer.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    StopSignalWatcher stopSignals;

    const QStringList arguments = app.arguments();
    if (arguments.size() < 5)
        return 2;
    const bool overwrite = arguments.at(1) == QLatin1String("overwrite");
    MainWindow window;
    window.show();
    QDir::setCurrent(QStringLiteral(TARVELO_PROGRAM_DIR));

    ModalAnswerer answerer;
    answerer.onFileDialog = [&](QFileDialog *dialog) {
        ModalAnswerer::chooseFiles(dialog, arguments.at(3), arguments.mid(4));
    };
    answerer.onMessageBox = [overwrite](QMessageBox *box) {
        if (overwrite && box->windowTitle() == QLatin1String("File Exists")) {
            ModalAnswerer::clickButton(box, QStringLiteral("Overwrite"));
            return;
        }
        std::printf("%s\n", qPrintable(box->windowTitle()));
        std::fflush(stdout);
    };
    QTimer::singleShot(0, &window, [&] {
        window.findChild<QPlainTextEdit *>(QStringLiteral("txtCurrentDir"))->setPlainText(arguments.at(2));
        window.findChild<QPushButton *>(QStringLiteral("btnAddFile"))->click();
        window.findChild<QPushButton *>(QStringLiteral("btnConvert"))->click();
    });
    return app.exec();
}
