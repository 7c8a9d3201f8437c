#ifndef MODALANSWERER_H
#define MODALANSWERER_H

#include <QElapsedTimer>
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
//
// A file dialog is answered by onFileDialog when set, or else as answer()
// says: go to a folder and either type the names into the name field or pick
// them in the listing, then accept; or cancel. A message box is answered by
// onMessageBox when set, or else closed with its OK button if it has one.
class ModalAnswerer : public QObject
{
    Q_OBJECT

public:
    enum class Way { Type, Pick, Cancel };

    struct SeenMessage
    {
        QString title;
        QString text;
        int buttons = 0;
    };

    explicit ModalAnswerer(QObject *parent = nullptr);

    // How the next file dialogs are answered. Typed names may be absolute
    // paths; picked names must be in folder and shown by its filter.
    void answer(Way way, const QString &folder, const QStringList &names = {});

    std::function<void(QFileDialog *)> onFileDialog;
    std::function<void(QMessageBox *)> onMessageBox;

    QStringList titles; // of every message box seen, in order
    QList<SeenMessage> messages;
    // Of the last file dialog: as it opened, before it was steered.
    QString dialogTitle;
    QString openedIn;
    QStringList dialogFilters;
    QStringList listedNames; // what the listing showed when names were picked
    bool gaveUp = false;     // the names never showed up in the listing
    QElapsedTimer acceptedAt;

    // Chooses files in the open-files dialog by typing their names.
    static void chooseFiles(QFileDialog *dialog, const QString &folder, const QStringList &names);
    static void clickButton(QMessageBox *box, const QString &text);
    // Whether the buttons stand left to right in this order, as laid out.
    static bool buttonsInOrder(QMessageBox *box, const QStringList &texts);
    // Whether Escape leaves the box open: only its buttons answer it.
    static bool ignoresEscape(QMessageBox *box);

private:
    void poll();
    void answerFileDialog(QFileDialog *dialog);
    bool pickNames(QFileDialog *dialog);
    void answerMessage(QMessageBox *box);

    QTimer timer;
    QList<QPointer<QWidget>> handled;
    QPointer<QFileDialog> current;
    Way way = Way::Cancel;
    QString folder;
    QStringList names;
    int ticksLeft = 0;
};

#endif // MODALANSWERER_H
