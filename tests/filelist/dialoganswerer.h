#ifndef DIALOGANSWERER_H
#define DIALOGANSWERER_H

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

class QFileDialog;
class QMessageBox;

// Answers the modal dialogs the window opens, as a user at the keyboard
// would: in the open-files dialog it goes to a folder and either types the
// names into the name field or picks them in the listing, then accepts; a
// message box is read and closed with its OK button.
class DialogAnswerer : public QObject
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

    explicit DialogAnswerer(QObject *parent = nullptr);

    // How the next file dialog is answered. Typed names may be absolute
    // paths; picked names must be in folder and shown by its filter.
    void answer(Way way, const QString &folder, const QStringList &names = {});

    QString dialogTitle;
    QString openedIn; // the folder the dialog showed before it was steered
    QStringList dialogFilters;
    QStringList listedNames;
    QList<SeenMessage> messages;
    bool gaveUp = false;
    QElapsedTimer acceptedAt; // started as the dialog is accepted

private slots:
    void poll();

private:
    void answerFileDialog(QFileDialog *dialog);
    bool pickNames(QFileDialog *dialog);
    void typeNames(QFileDialog *dialog);
    void answerMessage(QMessageBox *box);

    QTimer timer;
    QPointer<QFileDialog> current;
    Way way = Way::Cancel;
    QString folder;
    QStringList names;
    int ticksLeft = 0;
};

#endif // DIALOGANSWERER_H
