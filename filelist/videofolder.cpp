#include "videofolder.h"

#include <QDir>
#include <QFileInfo>

namespace {

// Containers that the shared MIME database files outside video/.
const char *const otherVideoTypes[] = {
    "application/vnd.rn-realmedia",
    "application/vnd.rn-realmedia-vbr",
    "application/vnd.ms-asf",
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
    const QMimeType type = mimeTypes.mimeTypeForFile(path);
    QStringList names = type.allAncestors();
    names.append(type.name());
    for (const QString &name : std::as_const(names)) {
        if (name.startsWith(QLatin1String("video/")))
            return true;
        for (const char *other : otherVideoTypes) {
            if (name == QLatin1String(other))
                return true;
        }
    }
    return false;
}
