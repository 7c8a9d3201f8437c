#ifndef VIDEOFOLDER_H
#define VIDEOFOLDER_H

#include <QMimeDatabase>
#include <QSet>
#include <QString>
#include <QStringList>

// Turns the paths a user hands over (on the command line, by a drop, from
// another start) into the files to list: a file stands for itself, a folder
// for the videos inside it and its subfolders, found by their content and
// name, each folder's in name order.
class VideoFolder
{
public:
    static QStringList expand(const QStringList &paths);

private:
    void addFolder(const QString &folder);
    bool isVideo(const QString &path) const;

    QMimeDatabase mimeTypes;
    QSet<QString> visited; // canonical folders, so that a link loop ends
    QStringList found;
};

#endif // VIDEOFOLDER_H
