#ifndef MODALANSWERER_H
#define MODALANSWERER_H

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <functional>

class QFileDialog;
class QMessageBox;
class QWidget;

// Plays the user at every modal dialog the window opens: the tests cannot
// answer them inline because the window's slots block inside exec().
class ModalAnswerer : public QObject
{
    Q_OBJECT

public:
    explicit ModalAnswerer(QObject *parent = nullptr);

    std::function<void(QFileDialog *)> onFileDialog;
    std::function<void(QMessageBox *)> onMessageBox;
    QStringList titles; // of every message box seen, in order

    // Chooses files in the open-files dialog by typing their names.
    static void chooseFiles(QFileDialog *dialog, const QString &folder, const QStringList &names);
    static void clickButton(QMessageBox *box, const QString &text);
    // Whether the buttons stand left to right in this order, as laid out.
    static bool buttonsInOrder(QMessageBox *box, const QStringList &texts);
    // Whether Escape leaves the box open: only its buttons answer it.
    static bool ignoresEscape(QMessageBox *box);

private:
    void poll();

    QTimer timer;
    QList<QPointer<QWidget>> handled;
};

#endif // MODALANSWERER_H
