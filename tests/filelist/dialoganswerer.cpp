#include "dialoganswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QItemSelection>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QSet>

namespace {
const int pollInterval = 10;
const int patienceTicks = 2000; // twenty seconds for a folder to be listed
} // namespace

DialogAnswerer::DialogAnswerer(QObject *parent)
    : QObject(parent)
{
    timer.setInterval(pollInterval);
    connect(&timer, &QTimer::timeout, this, &DialogAnswerer::poll);
    timer.start();
}

void DialogAnswerer::answer(Way way, const QString &folder, const QStringList &names)
{
    this->way = way;
    this->folder = folder;
    this->names = names;
}

void DialogAnswerer::poll()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (auto *dialog = qobject_cast<QFileDialog *>(modal))
        answerFileDialog(dialog);
    else if (auto *box = qobject_cast<QMessageBox *>(modal))
        answerMessage(box);
}

void DialogAnswerer::answerFileDialog(QFileDialog *dialog)
{
    if (dialog != current) {
        current = dialog;
        dialogTitle = dialog->windowTitle();
        dialogFilters = dialog->nameFilters();
        openedIn = dialog->directory().absolutePath();
        listedNames.clear();
        ticksLeft = patienceTicks;
        dialog->setDirectory(folder);
    }
    if (way == Way::Cancel) {
        dialog->reject();
        return;
    }
    if (way == Way::Type) {
        typeNames(dialog);
        acceptedAt.start();
        static_cast<QDialog *>(dialog)->accept(); // as the Open button does
        return;
    }
    if (pickNames(dialog)) {
        acceptedAt.start();
        static_cast<QDialog *>(dialog)->accept();
    } else if (--ticksLeft <= 0) {
        gaveUp = true;
        dialog->reject();
    }
}

bool DialogAnswerer::pickNames(QFileDialog *dialog)
{
    auto *model = dialog->findChild<QFileSystemModel *>();
    auto *view = dialog->findChild<QListView *>(QStringLiteral("listView"));
    if (!model || !view)
        return false;
    const QModelIndex root = view->rootIndex();
    if (model->filePath(root) != folder)
        return false;
    QStringList shown;
    for (int row = 0; row < model->rowCount(root); ++row)
        shown.append(model->index(row, 0, root).data().toString());
    for (const QString &name : std::as_const(names)) {
        if (!shown.contains(name))
            return false;
    }
    listedNames = shown;
    // One selection change of whole runs of rows, as Ctrl+A or a shift-click
    // makes: the dialog rebuilds its name field on every change and walks
    // every range for every row, which a user never makes it do per file.
    const QSet<QString> wanted(names.cbegin(), names.cend());
    QItemSelection selection;
    for (int row = 0; row < shown.size(); ++row) {
        if (!wanted.contains(shown.at(row)))
            continue;
        const QModelIndex index = model->index(row, 0, root);
        if (!selection.isEmpty() && selection.last().bottom() == row - 1)
            selection.last() = QItemSelectionRange(selection.last().topLeft(), index);
        else
            selection.select(index, index);
    }
    view->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    return true;
}

void DialogAnswerer::typeNames(QFileDialog *dialog)
{
    QStringList quoted;
    for (const QString &name : std::as_const(names))
        quoted.append(QLatin1Char('"') + name + QLatin1Char('"'));
    if (auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
        edit->setText(quoted.join(QLatin1Char(' ')));
}

void DialogAnswerer::answerMessage(QMessageBox *box)
{
    messages.append({box->windowTitle(), box->text(), int(box->standardButtons())});
    if (QAbstractButton *ok = box->button(QMessageBox::Ok))
        ok->click();
    else
        box->reject();
}
