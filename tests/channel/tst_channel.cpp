#include "conversion/progresschannel.h"
#include "protocol/toolprotocol.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// What the filter saw; a plain function pointer cannot carry a context.
QList<ProgressMessage> received;
int unconsumedAfter = -1;   // the filter declines values above this

bool recordingFilter(void *message)
{
    const ProgressMessage copy = *static_cast<ProgressMessage *>(message);
    received << copy;
    return unconsumedAfter < 0 || copy.wParam <= quint32(unconsumedAfter);
}

bool otherFilter(void *)
{
    return false;
}

// A sender of its own, as the transcoder would be.
class Sender
{
public:
    explicit Sender(const QString &path)
        : fd(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0))
    {
        address.sun_family = AF_UNIX;
        const QByteArray bytes = QFile::encodeName(path);
        std::memcpy(address.sun_path, bytes.constData(), size_t(qMin<qsizetype>(bytes.size(), sizeof(address.sun_path) - 1)));
    }
    ~Sender() { ::close(fd); }

    // The kernel queues only a few datagrams (net.unix.max_dgram_qlen); like
    // the transcoder, never block on a full queue, let the receiver catch up.
    bool send(const QByteArray &datagram)
    {
        QDeadlineTimer deadline(5000);
        while (!deadline.hasExpired()) {
            const ssize_t sent = ::sendto(fd, datagram.constData(), size_t(datagram.size()), MSG_DONTWAIT,
                                          reinterpret_cast<const sockaddr *>(&address), sizeof(address));
            if (sent == datagram.size())
                return true;
            if (sent >= 0 || errno != EAGAIN)
                return false;
            QCoreApplication::processEvents();
        }
        return false;
    }
    bool send(quint32 message, quint32 value)
    {
        const ProgressMessage notification = {message, value};
        return send(QByteArray(reinterpret_cast<const char *>(&notification), sizeof(notification)));
    }
    // Queues without letting the receiver run: false once the queue is full.
    bool sendNow(quint32 message, quint32 value)
    {
        const ProgressMessage notification = {message, value};
        return ::sendto(fd, &notification, sizeof(notification), MSG_DONTWAIT,
                        reinterpret_cast<const sockaddr *>(&address), sizeof(address))
               == ssize_t(sizeof(notification));
    }

private:
    int fd;
    sockaddr_un address = {};
};

// What a killed instance leaves: a socket file that nobody listens on.
bool makeStaleSocket(const QString &path)
{
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    const QByteArray bytes = QFile::encodeName(path);
    std::memcpy(address.sun_path, bytes.constData(), size_t(qMin<qsizetype>(bytes.size(), sizeof(address.sun_path) - 1)));
    const bool bound = ::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof(address)) == 0;
    ::close(fd);
    return bound;
}

bool makePrivateFolder(const QString &path)
{
    return QDir().mkpath(path) && ::chmod(QFile::encodeName(path).constData(), 0700) == 0;
}

} // namespace

class TestChannel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void registersPrivateSocket();
    void handsOnTheNewestAndDropsMalformed();
    void floodIsTakenInBoundedTurns();
    void keepsDeliveringWhateverTheFilterAnswers();
    void replacesAndRemovesFilter();
    void childrenInheritTheSocket();
    void instancesDoNotShareAPath();
    void cleansUpAtDestruction();
    void removesFoldersOfKilledInstances();
    void cleanUpInASharedFolderTouchesOnlyItsOwn();
    void fallsBackWhenRuntimeFolderUnfit_data();
    void fallsBackWhenRuntimeFolderUnfit();

private:
    QTemporaryDir scratch;
};

void TestChannel::init()
{
    received.clear();
    unconsumedAfter = -1;
}

void TestChannel::registersPrivateSocket()
{
    ProgressChannel channel;
    QVERIFY(channel.isValid());
    QCOMPARE(channel.messageId(), 0xA5EF4CA5u);
    QCOMPARE(qEnvironmentVariable(progressSocketVariable), channel.socketPath());
    struct stat info;
    QCOMPARE(::stat(QFile::encodeName(channel.socketPath()).constData(), &info), 0);
    QVERIFY(S_ISSOCK(info.st_mode));
    QCOMPARE(info.st_mode & 0777, 0600u);
    const QString folder = QFileInfo(channel.socketPath()).path();
    QCOMPARE(::stat(QFile::encodeName(folder).constData(), &info), 0);
    QCOMPARE(info.st_mode & 0777, 0700u);
}

void TestChannel::handsOnTheNewestAndDropsMalformed()
{
    ProgressChannel channel;
    channel.setEventFilter(recordingFilter);
    Sender sender(channel.socketPath());
    const quint32 id = channel.messageId();
    QVERIFY(sender.send(id, 1));
    QVERIFY(sender.send(QByteArray(4, 'x')));
    QVERIFY(sender.send(QByteArray(12, '\0')));
    QVERIFY(sender.send(id, 2));
    QVERIFY(sender.send(QByteArray(9, 'x')));
    QVERIFY(sender.send(QByteArray()));
    // A malformed datagram after the newest value does not hide it.
    QTRY_VERIFY(!received.isEmpty() && received.last().wParam == 2);
    for (const ProgressMessage &message : std::as_const(received))
        QCOMPARE(message.message, id);
    QVERIFY(received.size() <= 2);

    QVERIFY(sender.send(12345, 3));   // another number still reaches the filter, which decides
    QTRY_COMPARE(received.last().message, 12345u);
    const int delivered = received.size();
    QTest::qWait(50);
    QCOMPARE(received.size(), delivered);
}

// A sender may queue notifications faster than the window can draw them.
// Each turn of the loop takes a bounded share and hands on only its newest
// value, so the window keeps turning and still ends at the last value.
void TestChannel::floodIsTakenInBoundedTurns()
{
    ProgressChannel channel;
    channel.setEventFilter(recordingFilter);
    Sender sender(channel.socketPath());
    quint32 queued = 0;
    while (queued < 200 && sender.sendNow(channel.messageId(), queued + 1))
        ++queued;
    QVERIFY(queued > 1);

    QCoreApplication::processEvents();
    QCOMPARE(received.size(), 1);
    if (queued > quint32(ProgressChannel::maximumBatch))
        QVERIFY2(received.first().wParam < queued, "one turn took the whole queue");
    QTRY_COMPARE(received.last().wParam, queued);
    for (int i = 1; i < received.size(); ++i)
        QVERIFY(received.at(i).wParam > received.at(i - 1).wParam);
    QVERIFY(received.size() < int(queued));
}

void TestChannel::keepsDeliveringWhateverTheFilterAnswers()
{
    ProgressChannel channel;
    channel.setEventFilter(recordingFilter);
    unconsumedAfter = 2;
    Sender sender(channel.socketPath());
    for (quint32 value = 1; value <= 5; ++value) {
        QVERIFY(sender.send(channel.messageId(), value));
        QTRY_VERIFY(!received.isEmpty() && received.last().wParam == value);
    }
}

void TestChannel::replacesAndRemovesFilter()
{
    ProgressChannel channel;
    QVERIFY(channel.setEventFilter(otherFilter) == nullptr);
    QVERIFY(channel.setEventFilter(recordingFilter) == otherFilter);
    QVERIFY(channel.setEventFilter(nullptr) == recordingFilter);
    Sender sender(channel.socketPath());
    QVERIFY(sender.send(channel.messageId(), 7));
    QTest::qWait(50);
    // Dropped for good, not kept for the next filter.
    channel.setEventFilter(recordingFilter);
    QVERIFY(sender.send(channel.messageId(), 8));
    QTRY_COMPARE(received.size(), 1);
    QCOMPARE(received.first().wParam, 8u);
}

void TestChannel::childrenInheritTheSocket()
{
    ProgressChannel channel;
    QProcess child;
    child.start("/bin/sh", {"-c", "printf %s \"$TARVELO_PROGRESS_SOCKET\""});
    QVERIFY(child.waitForFinished());
    QCOMPARE(QString::fromLocal8Bit(child.readAllStandardOutput()), channel.socketPath());
}

void TestChannel::instancesDoNotShareAPath()
{
    ProgressChannel first;
    ProgressChannel second;
    QVERIFY(first.isValid() && second.isValid());
    QVERIFY(first.socketPath() != second.socketPath());
    QVERIFY(QFileInfo::exists(first.socketPath()));
}

void TestChannel::cleansUpAtDestruction()
{
    QString path;
    {
        ProgressChannel channel;
        channel.setEventFilter(recordingFilter);
        path = channel.socketPath();
        QVERIFY(QFileInfo::exists(path));
    }
    QVERIFY(!QFileInfo::exists(path));
    QVERIFY(!QFileInfo::exists(QFileInfo(path).path()));
    QVERIFY(qEnvironmentVariableIsEmpty(progressSocketVariable));
    // Nothing is left watching the closed socket.
    QTest::qWait(20);
    QVERIFY(received.isEmpty());
}

// A killed instance leaves its folder with a socket nobody listens on.
void TestChannel::removesFoldersOfKilledInstances()
{
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    const QString base = scratch.filePath("runtime");
    QVERIFY(QDir().mkpath(base));
    QFile::setPermissions(base, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(base));
    // Never destroyed: it stands for a process that was killed. Held by a
    // static so that the leak checker sees it as kept on purpose.
    static ProgressChannel *killed = nullptr;
    killed = new ProgressChannel;
    const QString stale = killed->socketPath();
    // Close the socket the way the kernel does for a killed process,
    // without the destructor's clean-up.
    for (int fd = 3; fd < 1024; ++fd) {
        sockaddr_un address = {};
        socklen_t length = sizeof(address);
        if (::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) == 0
            && QFile::decodeName(address.sun_path) == stale)
            ::close(fd);
    }
    ProgressChannel alive;
    ProgressChannel another;
    qputenv("XDG_RUNTIME_DIR", saved);
    QVERIFY(!QFileInfo::exists(stale));
    QVERIFY(!QFileInfo::exists(QFileInfo(stale).path()));
    QVERIFY(QFileInfo::exists(alive.socketPath()));
    QVERIFY(QFileInfo::exists(another.socketPath()));
    QVERIFY(alive.socketPath().startsWith(base));
}

// Without a runtime folder the channel lives in a temp folder that other
// users can write to. What they plant under the channel's naming, links
// above all, must not make the clean-up remove anything outside it.
void TestChannel::cleanUpInASharedFolderTouchesOnlyItsOwn()
{
    const QString shared = scratch.filePath("shared");
    QVERIFY(QDir().mkpath(shared));
    QCOMPARE(::chmod(QFile::encodeName(shared).constData(), 01777), 0);

    // A victim's folders, of the kind a real channel folder is.
    const QString victimFile = scratch.filePath("victim-file");
    const QString victimSocket = scratch.filePath("victim-socket");
    const QString victimTarget = scratch.filePath("victim-target");
    QVERIFY(makePrivateFolder(victimFile) && makePrivateFolder(victimSocket) && makePrivateFolder(victimTarget));
    QVERIFY(QFile(victimFile + "/progress").open(QIODevice::WriteOnly));
    QVERIFY(makeStaleSocket(victimSocket + "/progress"));
    QVERIFY(QFile(victimTarget + "/data").open(QIODevice::WriteOnly));

    QVERIFY(QFile::link(victimFile, shared + "/tarvelo-link01"));
    QVERIFY(QFile::link(victimSocket, shared + "/tarvelo-link02"));
    // A folder of the right kind whose socket is a link to someone's file.
    QVERIFY(makePrivateFolder(shared + "/tarvelo-inner1"));
    QVERIFY(QFile::link(victimTarget + "/data", shared + "/tarvelo-inner1/progress"));
    // A folder that another user owns, though it looks stale.
    const bool root = ::geteuid() == 0;
    if (root) {
        QVERIFY(makePrivateFolder(shared + "/tarvelo-other1"));
        QVERIFY(makeStaleSocket(shared + "/tarvelo-other1/progress"));
        QCOMPARE(::chown(QFile::encodeName(shared + "/tarvelo-other1").constData(), 65534, 65534), 0);
    }
    // And one that really was left by a killed instance.
    QVERIFY(makePrivateFolder(shared + "/tarvelo-stale1"));
    QVERIFY(makeStaleSocket(shared + "/tarvelo-stale1/progress"));

    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray savedTemp = qgetenv("TMPDIR");
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("TMPDIR", QFile::encodeName(shared));
    {
        ProgressChannel channel;
        QVERIFY(channel.isValid());
        QVERIFY(channel.socketPath().startsWith(shared + '/'));
    }
    qputenv("XDG_RUNTIME_DIR", savedRuntime);
    qputenv("TMPDIR", savedTemp);
    if (savedTemp.isNull())
        qunsetenv("TMPDIR");

    const auto isSocket = [](const QString &path) {
        struct stat info;
        return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISSOCK(info.st_mode);
    };
    QVERIFY(QFileInfo(victimFile + "/progress").isFile());
    QVERIFY(isSocket(victimSocket + "/progress"));
    QVERIFY(QFileInfo(victimTarget + "/data").isFile());
    QVERIFY(QFileInfo(shared + "/tarvelo-link01").isSymLink());
    QVERIFY(QFileInfo(shared + "/tarvelo-link02").isSymLink());
    QVERIFY(QFileInfo(shared + "/tarvelo-inner1/progress").isSymLink());
    if (root)
        QVERIFY(isSocket(shared + "/tarvelo-other1/progress"));
    QVERIFY(!QFileInfo::exists(shared + "/tarvelo-stale1"));
}

void TestChannel::fallsBackWhenRuntimeFolderUnfit_data()
{
    QTest::addColumn<QString>("runtimeFolder");
    QDir().mkpath(scratch.filePath("open"));
    QFile::setPermissions(scratch.filePath("open"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                        | QFile::ReadOther | QFile::ExeOther);
    QTest::newRow("too long") << scratch.filePath(QString(120, 'd'));
    QTest::newRow("readable by others") << scratch.filePath("open");
    QTest::newRow("missing") << scratch.filePath("missing");
    QTest::newRow("unset") << QString();
}

void TestChannel::fallsBackWhenRuntimeFolderUnfit()
{
    QFETCH(QString, runtimeFolder);
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    if (runtimeFolder.isEmpty())
        qunsetenv("XDG_RUNTIME_DIR");
    else
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeFolder));
    {
        ProgressChannel channel;
        if (saved.isNull())
            qunsetenv("XDG_RUNTIME_DIR");
        else
            qputenv("XDG_RUNTIME_DIR", saved);
        QVERIFY(channel.isValid());
        QVERIFY(!channel.socketPath().startsWith(runtimeFolder + '/') || runtimeFolder.isEmpty());
        channel.setEventFilter(recordingFilter);
        Sender sender(channel.socketPath());
        QVERIFY(sender.send(channel.messageId(), 4));
        QTRY_COMPARE(received.size(), 1);
    }
}

QTEST_GUILESS_MAIN(TestChannel)
#include "tst_channel.moc"
