#include "testmedia.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QProcess>

namespace TestMedia {

bool makeClip(const QString &path, int seconds, const QString &size)
{
    const QString duration = QString::number(seconds);
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {"-v", "error", "-nostdin", "-y", "-f", "lavfi", "-i", "testsrc=duration=" + duration + ":size=" + size + ":rate=25",
                  "-f", "lavfi", "-i", "sine=duration=" + duration, "-shortest", "-c:v", "libx264", "-preset",
                  "ultrafast", "-c:a", "aac", "file:" + path});
    return ffmpeg.waitForFinished(120000) && ffmpeg.exitCode() == 0;
}

QString realToolFolder()
{
    const QString folder = QStringLiteral(TARVELO_PROGRAM_DIR);
    return QFileInfo(folder + QStringLiteral("/tarvelo-transcode")).isExecutable() ? folder : QString();
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString describe(const QString &path)
{
    QProcess ffprobe;
    ffprobe.start(QStringLiteral("ffprobe"), {"-v", "error", "-show_entries",
                                              "format=format_name:stream=codec_name,codec_tag_string", "-of",
                                              "csv=p=0", "file:" + path});
    if (!ffprobe.waitForFinished(30000))
        return {};
    return QString::fromUtf8(ffprobe.readAllStandardOutput()).simplified();
}

QStringList processesMentioning(const QString &text)
{
    QStringList found;
    const QByteArray needle = text.toUtf8();
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList({QStringLiteral("[0-9]*")}, QDir::Dirs);
    for (const QString &pid : pids) {
        QByteArray commandLine = readFile(QStringLiteral("/proc/%1/cmdline").arg(pid));
        if (commandLine.contains(needle))
            found << pid + QLatin1Char(' ') + QString::fromUtf8(commandLine.replace('\0', ' '));
    }
    return found;
}

bool ffmpegIsReading(const QString &path)
{
    for (const QString &process : processesMentioning(path)) {
        if (process.section(QLatin1Char(' '), 1, 1) == QLatin1String("ffmpeg"))
            return true;
    }
    return false;
}

bool writeScript(const QString &path, const QByteArray &body)
{
    return writeFile(path, "#!/bin/sh\n" + body + "\n")
           && QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner | QFile::ExeUser);
}

} // namespace TestMedia
