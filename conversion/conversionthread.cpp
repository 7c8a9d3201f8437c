#include "conversionthread.h"

#include "protocol/toolarguments.h"
#include "protocol/tooloutput.h"
#include "protocol/toolprotocol.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

namespace {

constexpr int pollMs = 100;

bool statFile(const QString &path, struct stat *info)
{
    return ::stat(QFile::encodeName(path).constData(), info) == 0;
}

} // namespace

ConversionThread::ConversionThread(QObject *parent, int stopGraceMs)
    : QThread(parent)
    , stopGraceMs(stopGraceMs)
{
}

bool ConversionThread::isListedInput(const QString &path) const
{
    // Compared by identity, so another spelling or a link is caught too.
    struct stat target {};
    if (!statFile(path, &target))
        return false;
    for (const QString &input : *pathList) {
        struct stat info {};
        if (statFile(input, &info) && info.st_dev == target.st_dev && info.st_ino == target.st_ino)
            return true;
    }
    return false;
}

void ConversionThread::clearStopRequest()
{
    stopRequested.storeRelease(0);
}

void ConversionThread::requestStop()
{
    stopRequested.storeRelease(1);
}

bool ConversionThread::isStopRequested() const
{
    return stopRequested.loadAcquire() != 0;
}

QString ConversionThread::outputNameFor(const QString &inputName)
{
    const int dot = inputName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return inputName + QLatin1String(".avi");
    return inputName.left(dot) + QLatin1String(".avi");
}

void ConversionThread::run()
{
    if (!pathList || pathList->isEmpty() || !nameList)
        return;

    currentIndex.storeRelease(0);
    for (int index = 0; index < pathList->size(); currentIndex.storeRelease(++index)) {
        if (isStopRequested())
            break;
        const bool converted = convertFile(index);
        emit fileCompleted(index, converted);
    }
}

bool ConversionThread::convertFile(int index)
{
    const QString inputPath = pathList->at(index);
    const QString outputName = outputNameFor(nameList->at(index));
    const QString outputPath = outputFolder + outputName;

    // Replacing the output must never destroy an input: the very file being
    // converted, or another one of the list that happens to carry that name.
    if (isListedInput(outputPath))
        return false;

    if (QFileInfo::exists(outputPath)) {
        emit fileExists(outputName);
        // The old file stays where it is: the tool replaces it in one rename,
        // and only once the new file is complete, so whatever ends this run
        // (a failure, a signal, a power cut) the name holds a whole file.
        if (!overwriteExisting || isStopRequested())
            return false;
    }

    return runTool(index, convertToolArguments(inputPath, outputPath, quality));
}

bool ConversionThread::runTool(int index, const QStringList &arguments)
{
    QProcess process;
    // The tool's reasons for a failure go where the application's own
    // diagnostics go; nothing here parses them.
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // If the application dies, even by SIGKILL, the tool is told to stop and
    // clean up. An application that died before the request took hold is
    // seen by the new parent; the tool is then not started at all.
    const pid_t application = ::getpid();
    process.setChildProcessModifier([application] {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != application)
            ::_exit(127);
    });
    process.start(QString::fromLatin1(toolProgram), arguments);
    if (!process.waitForStarted(-1))
        return false;

    ToolOutput output;
    while (process.state() != QProcess::NotRunning) {
        if (isStopRequested()) {
            stopTool(process);
            break;
        }
        if (!process.waitForReadyRead(pollMs))
            continue;
        for (uint seconds : output.append(process.readAllStandardOutput()))
            emit fileProgress(index, seconds);
    }
    output.append(process.readAllStandardOutput());
    const ToolOutput::Tracks &tracks = output.tracks();
    if (output.hasSuccessMarker() && !tracks.subtitles.isEmpty())
        emit fileTracks(index, tracks.soundLanguage, tracks.subtitles, tracks.subtitleLanguage);
    if (output.hasSuccessMarker() && output.fittedMegabytes() > 0)
        emit fileFitted(index, output.fittedMegabytes());
    return output.hasSuccessMarker();
}

void ConversionThread::stopTool(QProcess &process)
{
    process.terminate();
    if (!process.waitForFinished(stopGraceMs)) {
        process.kill();
        process.waitForFinished(-1);
    }
}
