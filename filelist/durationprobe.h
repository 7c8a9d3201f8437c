#ifndef DURATIONPROBE_H
#define DURATIONPROBE_H

#include <QByteArray>
#include <QString>

// Runs the transcoder in probe mode for one file and collects what it printed.
// The run is bounded: a tool that hangs must not freeze the window for ever.
class DurationProbe
{
public:
    explicit DurationProbe(const QString &program, int timeLimitMs = windowTimeLimitMs());

    // How long the window waits for a probe.
    static int windowTimeLimitMs();

    // The tool's standard output, read once after it has ended; empty when the
    // tool could not be started or was stopped at the time limit.
    QByteArray run(const QString &path) const;

private:
    QString program;
    int timeLimitMs;
};

#endif // DURATIONPROBE_H
