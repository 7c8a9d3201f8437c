#include "processrun.h"

#include <QProcess>

ProcessRun runProcess(const QString &program, const QStringList &arguments,
                      const QProcessEnvironment &environment, const QString &workingFolder, int timeLimitMs)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    if (!workingFolder.isEmpty())
        process.setWorkingDirectory(workingFolder);
    process.start(program, arguments);
    ProcessRun run;
    if (!process.waitForFinished(timeLimitMs)) {
        process.kill();
        process.waitForFinished();
    } else {
        run.finished = process.exitStatus() == QProcess::NormalExit;
        run.exitCode = run.finished ? process.exitCode() : -1;
    }
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

QStringList preloadSettings(const QString &library)
{
    const QString asan = qEnvironmentVariable("ASAN_OPTIONS");
    return {"LD_PRELOAD=" + library,
            "ASAN_OPTIONS=" + asan + (asan.isEmpty() ? "" : ":") + "verify_asan_link_order=0"};
}
