#include "testmedia.h"

#include "mediacache.h"
#include "mediameasure.h"
#include "mediaread.h"
#include "processrun.h"
#include "protocol/toolarguments.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

// Standard output, with a blank so that a program that printed nothing still
// succeeded; nothing when it failed.
QByteArray run(const QString &program, const QStringList &arguments)
{
    const ProcessRun result = runProcess(program, arguments);
    return result.succeeded() ? result.out + ' ' : QByteArray();
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
    // A long clip repeats its first seconds, copied: encoding minutes of
    // pictures would cost the suite more than the tests that need them.
    constexpr int pieceSeconds = 5;
    QTemporaryDir pieceFolder;
    const QString piece = seconds > 2 * pieceSeconds
                              ? pieceFolder.filePath(QStringLiteral("piece.") + QFileInfo(path).suffix())
                              : path;
    const QString duration = QString::number(piece == path ? seconds : pieceSeconds);
    if (!make(piece, {"-f", "lavfi", "-i", "testsrc=duration=" + duration + ":size=" + size + ":rate=25",
                      "-f", "lavfi", "-i", "sine=duration=" + duration, "-shortest", "-c:v", "libx264",
                      "-preset", "ultrafast", "-c:a", "aac"}))
        return false;
    return piece == path
           || make(path, {"-stream_loop", "-1", "-i", "file:" + piece, "-t", QString::number(seconds), "-c", "copy"});
}

bool makeLosslessClip(const QString &path, double seconds, const QString &size, bool withSound)
{
    const QString duration = QString::number(seconds);
    QStringList arguments{"-f", "lavfi", "-i", "testsrc=size=" + size + ":rate=25:duration=" + duration};
    if (withSound)
        arguments << QStringList{"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100:duration=" + duration,
                                 "-c:a", "flac", "-shortest"};
    return make(path, arguments + QStringList{"-c:v", "ffv1"});
}

bool make(const QString &path, const QStringList &inputAndCodecArguments)
{
    const MediaCache cache(QStringLiteral(TARVELO_TEST_MEDIA_CACHE));
    const QString entry = cache.entry(path, inputAndCodecArguments);
    if (MediaCache::fetch(entry, path))
        return true;
    const QStringList arguments = QStringList{"-nostdin", "-v", "error", "-y"} + inputAndCodecArguments
                                  + QStringList{"file:" + path};
    if (run(QStringLiteral("ffmpeg"), arguments).isEmpty())
        return false;
    MediaCache::keep(path, entry);
    return true;
}

QJsonObject probe(const QString &path)
{
    return MediaRead::facts(path);
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
    const QJsonObject facts = MediaRead::facts(path);
    if (facts.isEmpty())
        return {};
    QStringList parts;
    for (const QJsonValue &stream : facts.value(QStringLiteral("streams")).toArray())
        parts << stream.toObject().value(QStringLiteral("codec_name")).toString() + QLatin1Char(',')
                     + stream.toObject().value(QStringLiteral("codec_tag_string")).toString();
    parts << facts.value(QStringLiteral("format")).toObject().value(QStringLiteral("format_name")).toString();
    return parts.join(QLatin1Char(' '));
}

double psnr(const QString &converted, const QString &source)
{
    return MediaMeasure::psnr(converted, source);
}

QString realToolFolder()
{
    const QString folder = QStringLiteral(TARVELO_PROGRAM_DIR);
    return QFileInfo(folder + QStringLiteral("/tarvelo-transcode")).isExecutable() ? folder : QString();
}

QStringList convertArguments(const QString &input, const QString &output, int quality)
{
    return convertToolArguments(input, output, quality);
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
