#include "virtualdisplay.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

VirtualDisplay::~VirtualDisplay()
{
    if (server.state() != QProcess::NotRunning) {
        server.terminate();
        if (!server.waitForFinished(10000))
            server.kill();
        server.waitForFinished(10000);
    }
}

bool VirtualDisplay::start()
{
    // Another server may take a free number between the look and the start:
    // then ours exits at once and the next number is tried.
    for (int number = 140; number < 200; ++number) {
        const QString socket = QStringLiteral("/tmp/.X11-unix/X%1").arg(number);
        if (QFileInfo::exists(socket) || QFileInfo::exists(QStringLiteral("/tmp/.X%1-lock").arg(number)))
            continue;
        server.start(QStringLiteral("Xvfb"), {QStringLiteral(":%1").arg(number), "-screen", "0", "800x600x24",
                                                "-nolisten", "tcp"});
        if (!server.waitForStarted(10000))
            return false;
        QElapsedTimer waited;
        waited.start();
        while (server.state() == QProcess::Running && !QFileInfo::exists(socket) && waited.elapsed() < 20000)
            QThread::msleep(50);
        if (server.state() == QProcess::Running && QFileInfo::exists(socket)) {
            displayName = QStringLiteral(":%1").arg(number);
            return true;
        }
        server.kill();
        server.waitForFinished(10000);
    }
    return false;
}
