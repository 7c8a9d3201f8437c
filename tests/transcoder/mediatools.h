#ifndef MEDIATOOLS_H
#define MEDIATOOLS_H

#include <QJsonObject>
#include <QString>
#include <QStringList>

// The real ffmpeg and ffprobe, for making test media and reading results back
// independently of the tool under test.
class MediaTools
{
public:
    static bool available();
    static bool make(const QString &path, const QStringList &inputAndCodecArguments);
    static QJsonObject probe(const QString &path);
    static QJsonObject stream(const QJsonObject &probe, const QString &type);
    static double psnr(const QString &converted, const QString &source);
};

#endif // MEDIATOOLS_H
