#include "tablewidgetwithmime.h"

#include <QDragEnterEvent>

namespace {

// Only a copy is ever accepted: a drag source told "moved" would delete the
// user's files although nothing was taken from them.
void acceptAsCopy(QDropEvent *event)
{
    if (event->possibleActions() & Qt::CopyAction) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

} // namespace

TableWidgetWithMime::TableWidgetWithMime(QWidget *parent)
    : QTableWidget(parent)
{
    setAcceptDrops(true);
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
    acceptAsCopy(event);
}
