#include "durationprobe.h"

#include "protocol/toolarguments.h"

#include <QDeadlineTimer>
#include <QProcess>

// Half a minute: a clip on a slow network share may take the tool that long
// to open, and the window takes no input meanwhile. TARVELO_PROBE_SECONDS
// sets another limit, so that the tests need not wait out the real one.
int DurationProbe::windowTimeLimitMs()
{
    bool isNumber = false;
    const double seconds = qEnvironmentVariable("TARVELO_PROBE_SECONDS").toDouble(&isNumber);
    return isNumber && seconds >= 0.1 && seconds <= 3600 ? int(seconds * 1000) : 30000;
}

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
