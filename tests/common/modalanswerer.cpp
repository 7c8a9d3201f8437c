#include "modalanswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QItemSelection>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QSet>
#include <QTest>

#include <algorithm>

namespace {
const int pollInterval = 10;
const int patienceTicks = 2000; // twenty seconds for a folder to be listed
} // namespace

ModalAnswerer::ModalAnswerer(QObject *parent)
    : QObject(parent)
{
    connect(&timer, &QTimer::timeout, this, &ModalAnswerer::poll);
    timer.start(pollInterval);
}

void ModalAnswerer::answer(Way way, const QString &folder, const QStringList &names)
{
    this->way = way;
    this->folder = folder;
    this->names = names;
}

void ModalAnswerer::poll()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal)
        return;
    if (auto *dialog = qobject_cast<QFileDialog *>(modal)) {
        answerFileDialog(dialog);
        return;
    }
    for (const QPointer<QWidget> &seen : std::as_const(handled)) {
        if (seen == modal)
            return;
    }
    handled.append(modal);
    if (auto *box = qobject_cast<QMessageBox *>(modal))
        answerMessage(box);
}

void ModalAnswerer::answerFileDialog(QFileDialog *dialog)
{
    if (dialog != current) {
        current = dialog;
        dialogTitle = dialog->windowTitle();
        dialogFilters = dialog->nameFilters();
        openedIn = dialog->directory().absolutePath();
        listedNames.clear();
        ticksLeft = patienceTicks;
        if (onFileDialog) {
            onFileDialog(dialog);
            return;
        }
        dialog->setDirectory(folder);
    }
    if (onFileDialog)
        return; // its answer may take the dialog a moment to close
    if (way == Way::Cancel) {
        dialog->reject();
    } else if (way == Way::Type) {
        acceptedAt.start();
        chooseFiles(dialog, folder, names);
    } else if (pickNames(dialog)) {
        acceptedAt.start();
        static_cast<QDialog *>(dialog)->accept();
    } else if (--ticksLeft <= 0) {
        gaveUp = true;
        dialog->reject();
    }
}

bool ModalAnswerer::pickNames(QFileDialog *dialog)
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

void ModalAnswerer::answerMessage(QMessageBox *box)
{
    titles.append(box->windowTitle());
    messages.append({box->windowTitle(), box->text(), int(box->standardButtons())});
    if (onMessageBox)
        onMessageBox(box);
    else if (QAbstractButton *ok = box->button(QMessageBox::Ok))
        ok->click();
}

void ModalAnswerer::chooseFiles(QFileDialog *dialog, const QString &folder, const QStringList &names)
{
    dialog->setDirectory(folder);
    QStringList quoted;
    for (const QString &name : names)
        quoted << QLatin1Char('"') + name + QLatin1Char('"');
    dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(quoted.join(QLatin1Char(' ')));
    static_cast<QDialog *>(dialog)->accept(); // as the Open button does
}

void ModalAnswerer::clickButton(QMessageBox *box, const QString &text)
{
    for (QAbstractButton *button : box->buttons()) {
        if (button->text() == text) {
            button->click();
            return;
        }
    }
    qWarning("no button %s", qPrintable(text));
}

bool ModalAnswerer::buttonsInOrder(QMessageBox *box, const QStringList &texts)
{
    QList<QAbstractButton *> buttons = box->buttons();
    std::sort(buttons.begin(), buttons.end(), [](QAbstractButton *a, QAbstractButton *b) {
        return a->mapToGlobal(QPoint()).x() < b->mapToGlobal(QPoint()).x();
    });
    QStringList shown;
    for (QAbstractButton *button : buttons)
        shown << button->text();
    return shown == texts;
}

bool ModalAnswerer::ignoresEscape(QMessageBox *box)
{
    QTest::keyClick(box, Qt::Key_Escape);
    return box->isVisible() && !box->clickedButton();
}
