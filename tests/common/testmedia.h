#ifndef TESTMEDIA_H
#define TESTMEDIA_H

#include <QByteArray>
#include <QString>
#include <QStringList>

class QWidget;

namespace TestMedia {

// Makes a clip with picture and sound with the real ffmpeg from its test sources.
bool makeClip(const QString &path, int seconds = 3, const QString &size = QStringLiteral("160x120"));

// The program folder holding the built transcoder, or nothing while it is not built.
QString realToolFolder();
bool writeFile(const QString &path, const QByteArray &content);
QByteArray readFile(const QString &path);

// Codec names and tag of an output, read back with ffprobe.
QString describe(const QString &path);

// Processes whose command line mentions the text: tools or ffmpeg left behind.
QStringList processesMentioning(const QString &text);
// Whether an ffmpeg is at work on the file: matched by its own path, so that
// another copy of the suite running alongside is never mistaken for this one.
bool ffmpegIsReading(const QString &path);

// A fake tool script written into a folder, for injecting faults.
bool writeScript(const QString &path, const QByteArray &body);

} // namespace TestMedia

#endif // TESTMEDIA_H
