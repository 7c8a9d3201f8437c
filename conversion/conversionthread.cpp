#include "conversionthread.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>

#include <sys/prctl.h>
#include <sys/stat.h>

#include <csignal>

ConversionThread *activeConversionThread = nullptr;

namespace {

const QString toolProgram = QStringLiteral("./tarvelo-transcode");
const QLatin1String commandTemplate("-i > -vcodec mpeg4 -aq ## -acodec libmp3lame -aq ## -f avi <");
const QLatin1String successMarker("##success##");

// How long a stopped tool gets to clean up before it is killed.
constexpr int stopGraceMs = 5000;
constexpr int pollMs = 100;

bool statFile(const QString &path, struct stat *info)
{
    return ::stat(QFile::encodeName(path).constData(), info) == 0;
}

QString textUpToNul(QByteArray bytes)
{
    const int nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes.truncate(nul);
    return QString::fromLatin1(bytes);
}

// Renames an existing output out of the way, in its own folder so that putting
// it back is a rename too. Returns the new name, or nothing when it stays put.
QString moveAside(const QString &path)
{
    const QFileInfo info(path);
    for (int attempt = 0; attempt < 16; ++attempt) {
        // A visible name, so that a file set aside by a run that crashed is
        // still found by its owner.
        const QString aside = info.absolutePath() + QLatin1Char('/') + info.fileName() + QLatin1String(".old-")
                              + QString::number(QRandomGenerator::global()->generate(), 36);
        if (QFile::rename(path, aside))
            return aside;
        if (!QFileInfo::exists(aside))
            break; // the rename failed for another reason than a taken name
    }
    return {};
}

void restore(const QString &aside, const QString &path)
{
    // rename(2) rather than QFile::rename: it must win even if something
    // appeared at the output path meanwhile, since that is not the user's file.
    ::rename(QFile::encodeName(aside).constData(), QFile::encodeName(path).constData());
}

} // namespace

ConversionThread::ConversionThread(QObject *parent)
    : QThread(parent)
{
    activeConversionThread = this;
}

ConversionThread::~ConversionThread()
{
    if (activeConversionThread == this)
        activeConversionThread = nullptr;
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
    for (int index = 0; index < pathList->size(); index = currentIndex.fetchAndAddOrdered(1) + 1) {
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

    QString aside;
    if (QFileInfo::exists(outputPath)) {
        emit fileExists(outputName);
        if (!overwriteExisting || isStopRequested())
            return false;
        // The old file is kept until the new one is complete, so that a failed
        // conversion never leaves the user with neither.
        aside = moveAside(outputPath);
        if (aside.isEmpty())
            return false;
    }

    QStringList arguments;
    for (const QString &token : QString(commandTemplate).split(QLatin1Char(' '))) {
        if (token == QLatin1String(">"))
            arguments << inputPath;
        else if (token == QLatin1String("##"))
            arguments << QString::number(quality);
        else if (token == QLatin1String("<"))
            arguments << outputPath;
        else
            arguments << token;
    }

    const bool converted = textUpToNul(runTool(arguments)).contains(successMarker);

    if (!aside.isEmpty()) {
        if (converted)
            QFile::remove(aside);
        else
            restore(aside, outputPath);
    }
    return converted;
}

QByteArray ConversionThread::runTool(const QStringList &arguments)
{
    QProcess process;
    // The tool's reasons for a failure go where the application's own
    // diagnostics go; nothing here parses them.
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // If the application dies, the tool is told to stop and clean up.
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    process.start(toolProgram, arguments);
    if (!process.waitForStarted(-1))
        return {};

    while (!process.waitForFinished(pollMs)) {
        if (process.state() == QProcess::NotRunning)
            break;
        if (isStopRequested()) {
            process.terminate();
            if (!process.waitForFinished(stopGraceMs)) {
                process.kill();
                process.waitForFinished(-1);
            }
            break;
        }
    }
    return process.readAllStandardOutput();
}
