#ifndef TESTMEDIA_H
#define TESTMEDIA_H

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

// The real ffmpeg for making test media, libav for reading results back
// independently of the tool under test, and the files around them.
namespace TestMedia {

bool available();

// Makes a clip with picture and sound from ffmpeg's test sources.
// A long one repeats its first seconds.
bool makeClip(const QString &path, int seconds = 3, const QString &size = QStringLiteral("160x120"));
// Makes a clip that decodes exactly as it was made (FFV1 and FLAC), with
// ffmpeg's test picture and, if asked, a tone.
bool makeLosslessClip(const QString &path, double seconds = 3, const QString &size = QStringLiteral("176x144"),
                      bool withSound = true);
// Makes anything else: the arguments name the inputs and the codecs.
bool make(const QString &path, const QStringList &inputAndCodecArguments);

// A file's description in ffprobe's JSON, and one of its streams by type.
QJsonObject probe(const QString &path);
QJsonObject stream(const QJsonObject &probe, const QString &type);
// Codec names and tags of an output's streams and its format, on one line,
// as ffprobe's csv prints them.
QString describe(const QString &path);
// How close a conversion stays to its source, in dB, as ffmpeg's psnr filter
// measures it; 1000 for identical pictures.
double psnr(const QString &converted, const QString &source);

// The program folder holding the built transcoder, or nothing while it is not built.
QString realToolFolder();
// The transcoder's conversion command line, as the application builds it.
QStringList convertArguments(const QString &input, const QString &output, int quality = 50);

bool writeFile(const QString &path, const QByteArray &content);
QByteArray readFile(const QString &path);

} // namespace TestMedia

#endif // TESTMEDIA_H
