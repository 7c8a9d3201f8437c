#include "durationprobe.h"

#include "protocol/toolarguments.h"

#include <QDeadlineTimer>
#include <QProcess>

DurationProbe::DurationProbe(const QString &program, int timeLimitMs)
    : program(program)
    , timeLimitMs(timeLimitMs)
{
}

QByteArray DurationProbe::run(const QString &path) const
{
    QProcess process;
    // Nothing is ever written to the tool, and its diagnostics are not read:
    // neither a tool waiting for input nor one filling its error pipe may stall.
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, probeToolArguments(path), QIODevice::ReadOnly);

    // waitFor...() runs no event loop, so the window takes no input meanwhile.
    const QDeadlineTimer deadline(timeLimitMs);
    if (!process.waitForStarted(int(deadline.remainingTime())))
        return {};
    process.waitForFinished(int(deadline.remainingTime()));
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return process.readAllStandardOutput();
}
