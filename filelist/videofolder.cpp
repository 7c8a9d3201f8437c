#include "videofolder.h"

#include <QDir>
#include <QFileInfo>

namespace {

// Containers that the shared MIME database files outside video/.
const char *const otherVideoTypes[] = {
    "application/vnd.rn-realmedia",
    "application/vnd.rn-realmedia-vbr",
    "application/vnd.ms-asf",
    // Matroska known by content alone, without a name to tell sound from film.
    "application/x-matroska",
};

} // namespace

QStringList VideoFolder::expand(const QStringList &paths)
{
    VideoFolder walk;
    for (const QString &path : paths) {
        const QFileInfo info(path);
        if (info.isDir())
            walk.addFolder(info.absoluteFilePath());
        // Pipes and devices would hold the probe; folders leave them out too.
        else if (info.isFile())
            walk.found.append(info.absoluteFilePath());
    }
    return walk.found;
}

void VideoFolder::addFolder(const QString &folder)
{
    // A folder reached twice, through a link or a loop, is listed once.
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    if (canonical.isEmpty() || visited.contains(canonical))
        return;
    visited.insert(canonical);

    // Devices and pipes are left out: reading one to learn its type could
    // block for ever. An unreadable folder simply lists nothing.
    const QFileInfoList entries = QDir(folder).entryInfoList(
        QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase | QDir::LocaleAware
                                                              | QDir::DirsLast);
    for (const QFileInfo &entry : entries) {
        if (entry.isDir())
            addFolder(entry.absoluteFilePath());
        else if (entry.isFile() && isVideo(entry.absoluteFilePath()))
            found.append(entry.absoluteFilePath());
    }
}

bool VideoFolder::isVideo(const QString &path) const
{
    // The content decides where it and the name disagree: a program renamed
    // to .avi is no film, a Matroska film without an extension is. Only
    // content that says nothing leaves it to the name.
    QMimeType type = mimeTypes.mimeTypeForFile(path, QMimeDatabase::MatchContent);
    const QMimeType byName = mimeTypes.mimeTypeForFile(path, QMimeDatabase::MatchExtension);
    // The name still refines a container's content: .mka is Matroska sound.
    if (type.isDefault() || type.inherits(QStringLiteral("text/plain"))
        || type.name() == QLatin1String("application/x-zerosize") || byName.inherits(type.name()))
        type = byName;
    QStringList names = type.allAncestors();
    names.append(type.name());
    for (const QString &name : std::as_const(names)) {
        if (name.startsWith(QLatin1String("video/")))
            return true;
    }
    // By the type itself, not an ancestor: Matroska sound descends from
    // Matroska, as every film of it does.
    for (const char *other : otherVideoTypes) {
        if (type.name() == QLatin1String(other))
            return true;
    }
    return false;
}
