#ifndef TOOLFOLDER_H
#define TOOLFOLDER_H

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A folder of small shell scripts standing in for the programs a test runs,
// for the faults the real ones never show on purpose: a transcoder that
// hangs, crashes, prints odd output or is missing; an ffmpeg that
// misbehaves; a systemctl that only notes it was called. By default the
// folder is a temporary one of its own.
class ToolFolder
{
public:
    ToolFolder();
    // A folder at this path instead, inside a test's own temporary folder,
    // so that the scripts' processes mention that folder.
    explicit ToolFolder(const QString &path);

    static QString toolName();

    bool isValid() const;
    QString path() const { return folder; }
    QString toolPath() const;

    // Writes the script body (after a "#!/bin/sh" line) as the transcoder.
    bool install(const QByteArray &body, bool executable = true) const;
    // Writes it as another program of the folder.
    bool installAs(const QString &name, const QByteArray &body, bool executable = true) const;
    // Writes a script anywhere.
    static bool writeScript(const QString &path, const QByteArray &body, bool executable = true);

private:
    QTemporaryDir temporary;
    QString folder;
};

#endif // TOOLFOLDER_H
