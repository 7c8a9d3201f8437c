#ifndef SYSTEMSTATE_H
#define SYSTEMSTATE_H

#include <QList>
#include <QString>
#include <QStringList>

// What a run leaves behind, seen from outside: files in a folder and
// processes still running.
namespace SystemState {

// Names, sizes and times of the folder's entries, hidden ones included.
QStringList snapshot(const QString &folder);

// Live processes other than this one (zombies do not count) whose command
// line mentions the text. Tests pass their own temporary folder, so that
// copies of the suite running side by side never see each other's.
QList<qint64> processIdsMentioning(const QString &text);
// The same, each as its number and command line, for failure messages.
QStringList processesMentioning(const QString &text);
// Kills the processes that processIdsMentioning finds, by their ids, and
// waits until they are gone: a failed test must not leave its converting
// programs to hold the suite's output open. False if any lives on.
bool endProcessesMentioning(const QString &text);
// Whether an ffmpeg is at work on the file, matched by the file's own path.
bool ffmpegIsReading(const QString &path);

} // namespace SystemState

#endif // SYSTEMSTATE_H
