#ifndef SINGLEINSTANCE_H
#define SINGLEINSTANCE_H

#include <QLocalServer>
#include <QObject>
#include <QStringList>

class MainWindow;
class QLocalSocket;

// One window per user. The first start listens on a socket in the user's
// runtime folder; a later start hands its files to it there (or, without
// files, asks it to come to the front) and ends.
//
// A message is the magic text, the payload's length as four big-endian bytes,
// and the payload: absolute paths in the file system's encoding, each ended by
// a zero byte. Anything else is dropped unread.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    // The arguments are the start's command line, program name first.
    explicit SingleInstance(const QStringList &arguments, QObject *parent = nullptr);

    // Whether a window already open took this start's files; if not, this
    // start listens for the later ones from now on. A window that takes no
    // part of a long message for partWaitMs is too busy, and gets none.
    bool handedOver(int partWaitMs = 2000);
    // Adds this start's own files to the window and sends it those of later starts.
    void serve(MainWindow *window);

    static QString socketPath();
    static QByteArray message(const QStringList &paths);

signals:
    void filesHanded(const QStringList &paths);
    void raiseRequested();

private:
    void accept();
    void read(QLocalSocket *socket);

    QStringList paths;
    QLocalServer server;
};

#endif // SINGLEINSTANCE_H
