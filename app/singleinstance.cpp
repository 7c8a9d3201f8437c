#include "singleinstance.h"

#include "desktopid.h"
#include "mainwindow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QTimer>
#include <QtEndian>

namespace {

const QByteArray magic = QByteArrayLiteral("TARVELO1");
const qsizetype headerSize = 12;
// Far more than a command line can hold, even with every path made absolute.
const quint32 largestPayload = 16 * 1024 * 1024;
// A start waits this long for the open window to answer.
const int connectMs = 300;
// A client that never completes its message is dropped.
const int readMs = 5000;

QStringList absolutePaths(const QStringList &arguments)
{
    QStringList paths;
    bool optionsEnded = false;
    for (const QString &argument : arguments.mid(1)) {
        // "--" lets a name that starts with "-" through any option parser.
        if (argument == QLatin1String("--") && !optionsEnded) {
            optionsEnded = true;
            continue;
        }
        if (!argument.isEmpty())
            paths.append(QFileInfo(argument).absoluteFilePath());
    }
    return paths;
}

QStringList pathsFrom(const QByteArray &payload)
{
    QStringList paths;
    const QList<QByteArray> names = payload.split('\0');
    for (const QByteArray &name : names) {
        const QString path = QFile::decodeName(name);
        if (QDir::isAbsolutePath(path))
            paths.append(path);
    }
    return paths;
}

} // namespace

SingleInstance::SingleInstance(const QStringList &arguments, QObject *parent)
    : QObject(parent)
    , paths(absolutePaths(arguments))
{
    // The runtime folder is the user's own, and so is the socket in it.
    server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server, &QLocalServer::newConnection, this, &SingleInstance::accept);
}

QString SingleInstance::socketPath()
{
    // Without a private runtime folder there is no place that only this user
    // can reach; each start then opens its own window.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return folder.isEmpty() ? QString() : folder + QLatin1Char('/') + desktopId;
}

QByteArray SingleInstance::message(const QStringList &paths)
{
    QByteArray payload;
    for (const QString &path : paths)
        payload += QFile::encodeName(path) + '\0';
    QByteArray length(4, '\0');
    qToBigEndian(quint32(payload.size()), length.data());
    return magic + length + payload;
}

bool SingleInstance::handedOver(int partWaitMs)
{
    const QString path = socketPath();
    if (path.isEmpty())
        return false;
    // Two starts at the same moment must not both find nobody and then take
    // the socket from each other.
    QLockFile lock(path + QStringLiteral(".lock"));
    lock.tryLock(1000);

    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(connectMs)) {
        // Nobody answered: a socket left behind by a crash is in the way.
        QLocalServer::removeServer(path);
        server.listen(path);
        return false;
    }
    // The socket's buffer takes any ordinary message at once; a very long
    // one waits for the window, which may be busy probing.
    socket.write(message(paths));
    while (socket.bytesToWrite() > 0 && socket.waitForBytesWritten(partWaitMs)) {
    }
    // A window too busy to take all of it gets none (a part is dropped
    // there), and this start opens its own with the files.
    if (socket.bytesToWrite() > 0) {
        socket.abort();
        return false;
    }
    socket.disconnectFromServer();
    return true;
}

void SingleInstance::serve(MainWindow *window)
{
    connect(this, &SingleInstance::filesHanded, window, [window](const QStringList &handed) {
        window->showInFront();
        window->addFiles(handed);
    });
    connect(this, &SingleInstance::raiseRequested, window, &MainWindow::showInFront);
    // Once the window is up, so that it shows while the files are probed.
    if (!paths.isEmpty())
        QTimer::singleShot(0, window, [window, files = paths] { window->addFiles(files); });
}

void SingleInstance::accept()
{
    while (QLocalSocket *socket = server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { read(socket); });
        QTimer::singleShot(readMs, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        read(socket);
    }
}

void SingleInstance::read(QLocalSocket *socket)
{
    if (socket->bytesAvailable() < headerSize)
        return;
    const QByteArray header = socket->peek(headerSize);
    const quint32 length = qFromBigEndian<quint32>(header.constData() + magic.size());
    if (!header.startsWith(magic) || length > largestPayload) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    if (socket->bytesAvailable() < headerSize + qint64(length))
        return;
    socket->skip(headerSize);
    const QByteArray payload = socket->read(length);
    socket->disconnectFromServer();
    socket->deleteLater();

    // Adding may open a message box: not from inside the socket's handler.
    const QStringList handed = pathsFrom(payload);
    if (payload.isEmpty())
        QMetaObject::invokeMethod(this, &SingleInstance::raiseRequested, Qt::QueuedConnection);
    else if (!handed.isEmpty())
        QMetaObject::invokeMethod(this, [this, handed] { emit filesHanded(handed); }, Qt::QueuedConnection);
}
