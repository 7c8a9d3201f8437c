#include "tablewidgetwithmime.h"

#include <QDragEnterEvent>
#include <QMimeData>
#include <QUrl>

TableWidgetWithMime::TableWidgetWithMime(QWidget *parent)
    : QTableWidget(parent)
{
    setAcceptDrops(true);
}

QStringList TableWidgetWithMime::localPaths(const QMimeData *data)
{
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    const QList<QUrl> urls = data->urls();
    for (const QUrl &url : urls) {
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            paths.append(url.toLocalFile());
    }
    return paths;
}

// Only a copy is ever accepted: a drag source told "moved" would delete the
// user's files although they stay where they are.
bool TableWidgetWithMime::acceptAsCopy(QDropEvent *event) const
{
    if (!acceptDrops() || !(event->possibleActions() & Qt::CopyAction) || localPaths(event->mimeData()).isEmpty()) {
        event->ignore();
        return false;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return true;
}

void TableWidgetWithMime::dragEnterEvent(QDragEnterEvent *event)
{
    acceptAsCopy(event);
}

void TableWidgetWithMime::dragMoveEvent(QDragMoveEvent *event)
{
    acceptAsCopy(event);
}

void TableWidgetWithMime::dragLeaveEvent(QDragLeaveEvent *event)
{
    event->accept();
}

void TableWidgetWithMime::dropEvent(QDropEvent *event)
{
    if (!acceptAsCopy(event))
        return;
    // Adding probes every file; the file manager must not wait for that to
    // learn that its drop was taken.
    const QStringList paths = localPaths(event->mimeData());
    QMetaObject::invokeMethod(this, [this, paths] { emit filesDropped(paths); }, Qt::QueuedConnection);
}
