#ifndef TABLEWIDGETWITHMIME_H
#define TABLEWIDGETWITHMIME_H

#include <QTableWidget>

// Files enter the list only through the add-files dialog, where each one is
// probed and checked for duplicates. The table still answers drags, so the
// desktop shows it as a target, but it takes no data from them.
class TableWidgetWithMime : public QTableWidget
{
    Q_OBJECT

public:
    explicit TableWidgetWithMime(QWidget *parent = nullptr);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
};

#endif // TABLEWIDGETWITHMIME_H
