#ifndef TOOLFOLDER_H
#define TOOLFOLDER_H

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A temporary program folder whose transcoder is a small shell script, for
// the faults the real tool never shows on purpose: hanging, odd output,
// missing or not executable.
class ToolFolder
{
public:
    static QString toolName();

    bool isValid() const { return dir.isValid(); }
    QString path() const { return dir.path(); }
    QString toolPath() const;

    // Writes the script body (after a "#!/bin/sh" line) as the tool.
    bool install(const QByteArray &body, bool executable = true) const;

private:
    QTemporaryDir dir;
};

#endif // TOOLFOLDER_H
