#include "virtualdisplay.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

VirtualDisplay::~VirtualDisplay()
{
    if (m_server.state() != QProcess::NotRunning) {
        m_server.terminate();
        if (!m_server.waitForFinished(10000))
            m_server.kill();
        m_server.waitForFinished(10000);
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
        m_server.start(QStringLiteral("Xvfb"), {QStringLiteral(":%1").arg(number), "-screen", "0", "800x600x24",
                                                "-nolisten", "tcp"});
        if (!m_server.waitForStarted(10000))
            return false;
        QElapsedTimer waited;
        waited.start();
        while (m_server.state() == QProcess::Running && !QFileInfo::exists(socket) && waited.elapsed() < 20000)
            QThread::msleep(50);
        if (m_server.state() == QProcess::Running && QFileInfo::exists(socket)) {
            m_name = QStringLiteral(":%1").arg(number);
            return true;
        }
        m_server.kill();
        m_server.waitForFinished(10000);
    }
    return false;
}
