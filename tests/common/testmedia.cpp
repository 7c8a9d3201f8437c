#include "testmedia.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {

QByteArray run(const QString &program, const QStringList &arguments, QByteArray *errorText = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0)
        return {};
    if (errorText)
        *errorText = process.readAllStandardError();
    return process.readAllStandardOutput() + ' ';
}

} // namespace

namespace TestMedia {

bool available()
{
    return !QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty()
           && !QStandardPaths::findExecutable(QStringLiteral("ffprobe")).isEmpty();
}

bool makeClip(const QString &path, int seconds, const QString &size)
{
    const QString duration = QString::number(seconds);
    return make(path, {"-f", "lavfi", "-i", "testsrc=duration=" + duration + ":size=" + size + ":rate=25",
                       "-f", "lavfi", "-i", "sine=duration=" + duration, "-shortest", "-c:v", "libx264",
                       "-preset", "ultrafast", "-c:a", "aac"});
}

bool make(const QString &path, const QStringList &inputAndCodecArguments)
{
    const QStringList arguments = QStringList{"-nostdin", "-v", "error", "-y"} + inputAndCodecArguments
                                  + QStringList{"file:" + path};
    return !run(QStringLiteral("ffmpeg"), arguments).isEmpty();
}

QJsonObject probe(const QString &path)
{
    const QByteArray json = run(QStringLiteral("ffprobe"), {"-v", "error", "-print_format", "json", "-show_format",
                                                            "-show_streams", "-i", "file:" + path});
    return QJsonDocument::fromJson(json.trimmed()).object();
}

QJsonObject stream(const QJsonObject &probe, const QString &type)
{
    const QJsonArray streams = probe.value(QStringLiteral("streams")).toArray();
    for (const QJsonValue &stream : streams) {
        if (stream.toObject().value(QStringLiteral("codec_type")).toString() == type)
            return stream.toObject();
    }
    return {};
}

QString describe(const QString &path)
{
    const QByteArray text = run(QStringLiteral("ffprobe"),
                                {"-v", "error", "-show_entries", "format=format_name:stream=codec_name,codec_tag_string",
                                 "-of", "csv=p=0", "file:" + path});
    return QString::fromUtf8(text).simplified();
}

double psnr(const QString &converted, const QString &source)
{
    QByteArray log;
    run(QStringLiteral("ffmpeg"), {"-nostdin", "-i", "file:" + converted, "-i", "file:" + source, "-lavfi",
                                   "[0:v][1:v]psnr", "-f", "null", "-"},
        &log);
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("PSNR .*average:([0-9.]+|inf)")).match(QString::fromLatin1(log));
    if (!match.hasMatch())
        return -1;
    return match.captured(1) == QLatin1String("inf") ? 1000 : match.captured(1).toDouble();
}

QString realToolFolder()
{
    const QString folder = QStringLiteral(TARVELO_PROGRAM_DIR);
    return QFileInfo(folder + QStringLiteral("/tarvelo-transcode")).isExecutable() ? folder : QString();
}

QStringList convertArguments(const QString &input, const QString &output, const QString &quality)
{
    return {"-i", input, "-vcodec", "mpeg4", "-aq", quality, "-acodec", "libmp3lame",
            "-aq", quality, "-f", "avi", output};
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

} // namespace TestMedia
