#ifndef MEDIACACHE_H
#define MEDIACACHE_H

#include <QString>
#include <QStringList>

// Test media that ffmpeg made before, kept in the build tree: the same
// arguments, the same input files' contents and the same ffmpeg make the same
// file, so a later test (or a later run) copies it instead of encoding again.
class MediaCache
{
public:
    explicit MediaCache(const QString &folder);

    // Where ffmpeg's output for these arguments is kept; nothing when an
    // input cannot be read to tell it apart.
    QString entry(const QString &output, const QStringList &arguments) const;
    // Copies a kept file to path, replacing what was there.
    static bool fetch(const QString &entry, const QString &path);
    // Keeps a copy of path, whole or not at all, even with other tests
    // keeping the same entry at the same moment.
    static void keep(const QString &path, const QString &entry);

private:
    QString folder;
};

#endif // MEDIACACHE_H
