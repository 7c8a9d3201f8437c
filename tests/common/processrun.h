#ifndef PROCESSRUN_H
#define PROCESSRUN_H

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// One program run to its end, without a shell, and what it printed. A run that
// outlasts its time is killed and counts as unfinished.
struct ProcessRun
{
    bool finished = false;   // ended by itself, not by a signal
    int exitCode = -1;
    QByteArray out;
    QByteArray err;

    bool succeeded() const { return finished && exitCode == 0; }
};

ProcessRun runProcess(const QString &program, const QStringList &arguments,
                      const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
                      const QString &workingFolder = QString(), int timeLimitMs = 120000);

// The "NAME=value" settings that preload library into a program, under the
// sanitizers too: their runtime wants to be loaded first, which it cannot be.
QStringList preloadSettings(const QString &library);

#endif // PROCESSRUN_H
