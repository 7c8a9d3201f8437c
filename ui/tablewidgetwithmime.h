#ifndef TABLEWIDGETWITHMIME_H
#define TABLEWIDGETWITHMIME_H

#include <QStringList>
#include <QTableWidget>

class QMimeData;

// The file table takes files and folders dropped from a file manager and
// hands their paths to the window, which adds them as the add command does.
// Anything else, text among it, is refused, and so is every drop while the
// table does not accept drops (during a run).
class TableWidgetWithMime : public QTableWidget
{
    Q_OBJECT

public:
    explicit TableWidgetWithMime(QWidget *parent = nullptr);

signals:
    void filesDropped(const QStringList &paths);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    bool acceptAsCopy(QDropEvent *event) const;
    static QStringList localPaths(const QMimeData *data);
};

#endif // TABLEWIDGETWITHMIME_H
