#include "mediatools.h"

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
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0)
        return {};
    if (errorText)
        *errorText = process.readAllStandardError();
    return process.readAllStandardOutput() + " ";
}
} // namespace

bool MediaTools::available()
{
    return !QStandardPaths::findExecutable("ffmpeg").isEmpty()
        && !QStandardPaths::findExecutable("ffprobe").isEmpty();
}

bool MediaTools::make(const QString &path, const QStringList &inputAndCodecArguments)
{
    const QStringList arguments = QStringList{"-nostdin", "-v", "error", "-y"}
        + inputAndCodecArguments + QStringList{path};
    return !run("ffmpeg", arguments).isEmpty();
}

QJsonObject MediaTools::probe(const QString &path)
{
    const QByteArray json = run("ffprobe", {"-v", "error", "-print_format", "json",
                                            "-show_format", "-show_streams", "-i", "file:" + path});
    return QJsonDocument::fromJson(json.trimmed()).object();
}

QJsonObject MediaTools::stream(const QJsonObject &probe, const QString &type)
{
    const QJsonArray streams = probe.value("streams").toArray();
    for (const QJsonValue &stream : streams) {
        if (stream.toObject().value("codec_type").toString() == type)
            return stream.toObject();
    }
    return {};
}

double MediaTools::psnr(const QString &converted, const QString &source)
{
    QByteArray log;
    run("ffmpeg", {"-nostdin", "-i", "file:" + converted, "-i", "file:" + source,
                   "-lavfi", "[0:v][1:v]psnr", "-f", "null", "-"}, &log);
    const QRegularExpressionMatch match =
        QRegularExpression("PSNR .*average:([0-9.]+|inf)").match(QString::fromLatin1(log));
    if (!match.hasMatch())
        return -1;
    return match.captured(1) == "inf" ? 1000 : match.captured(1).toDouble();
}
