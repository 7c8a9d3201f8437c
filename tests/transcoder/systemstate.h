#ifndef SYSTEMSTATE_H
#define SYSTEMSTATE_H

#include <QList>
#include <QString>
#include <QStringList>

// What the tool leaves behind, seen from outside: files in a folder and
// processes still running.
class SystemState
{
public:
    // Names, sizes and times of the folder's entries, hidden ones included.
    static QStringList snapshot(const QString &folder);
    // Live processes (zombies do not count) whose command line mentions the
    // text; tests pass their own temporary folder, so that copies of the
    // suite running side by side do not see each other's.
    static QList<qint64> processesMentioning(const QString &text);
};

#endif // SYSTEMSTATE_H
