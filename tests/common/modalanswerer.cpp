#include "modalanswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>

#include <algorithm>

ModalAnswerer::ModalAnswerer(QObject *parent)
    : QObject(parent)
{
    connect(&timer, &QTimer::timeout, this, &ModalAnswerer::poll);
    timer.start(20);
}

void ModalAnswerer::poll()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal)
        return;
    for (const QPointer<QWidget> &seen : std::as_const(handled)) {
        if (seen == modal)
            return;
    }
    handled.append(modal);

    if (auto *box = qobject_cast<QMessageBox *>(modal)) {
        titles.append(box->windowTitle());
        if (onMessageBox)
            onMessageBox(box);
    } else if (auto *dialog = qobject_cast<QFileDialog *>(modal)) {
        if (onFileDialog)
            onFileDialog(dialog);
    }
}

void ModalAnswerer::chooseFiles(QFileDialog *dialog, const QString &folder, const QStringList &names)
{
    dialog->setDirectory(folder);
    QStringList quoted;
    for (const QString &name : names)
        quoted << QLatin1Char('"') + name + QLatin1Char('"');
    dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(quoted.join(QLatin1Char(' ')));
    static_cast<QDialog *>(dialog)->accept();
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
