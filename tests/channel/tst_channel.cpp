#include "conversion/progresschannel.h"
#include "conversion/progressmessage.h"

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
        : m_fd(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0))
    {
        m_address.sun_family = AF_UNIX;
        const QByteArray bytes = QFile::encodeName(path);
        std::memcpy(m_address.sun_path, bytes.constData(), size_t(qMin<qsizetype>(bytes.size(), sizeof(m_address.sun_path) - 1)));
    }
    ~Sender() { ::close(m_fd); }

    // The kernel queues only a few datagrams (net.unix.max_dgram_qlen); like
    // the transcoder, never block on a full queue, let the receiver catch up.
    bool send(const QByteArray &datagram)
    {
        QDeadlineTimer deadline(5000);
        while (!deadline.hasExpired()) {
            const ssize_t sent = ::sendto(m_fd, datagram.constData(), size_t(datagram.size()), MSG_DONTWAIT,
                                          reinterpret_cast<const sockaddr *>(&m_address), sizeof(m_address));
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

private:
    int m_fd;
    sockaddr_un m_address = {};
};

} // namespace

class TestChannel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void registersPrivateSocket();
    void deliversInOrderAndDropsMalformed();
    void keepsDeliveringWhateverTheFilterAnswers();
    void replacesAndRemovesFilter();
    void childrenInheritTheSocket();
    void instancesDoNotShareAPath();
    void cleansUpAtDestruction();
    void removesFoldersOfKilledInstances();
    void fallsBackWhenRuntimeFolderUnfit_data();
    void fallsBackWhenRuntimeFolderUnfit();

private:
    QTemporaryDir m_scratch;
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

void TestChannel::deliversInOrderAndDropsMalformed()
{
    ProgressChannel channel;
    channel.setEventFilter(recordingFilter);
    Sender sender(channel.socketPath());
    const quint32 id = channel.messageId();
    QVERIFY(sender.send(id, 1));
    QVERIFY(sender.send(QByteArray(4, 'x')));
    QVERIFY(sender.send(QByteArray(9, 'x')));
    QVERIFY(sender.send(QByteArray(12, '\0')));
    QVERIFY(sender.send(QByteArray()));
    // Many in a row, faster than the loop turns: all of them in one go.
    for (quint32 value = 2; value <= 60; ++value)
        QVERIFY(sender.send(id, value));
    QVERIFY(sender.send(12345, 61));   // another number still reaches the filter, which decides
    QTRY_COMPARE(received.size(), 61);
    for (int i = 0; i < 60; ++i) {
        QCOMPARE(received.at(i).message, id);
        QCOMPARE(received.at(i).wParam, quint32(i + 1));
    }
    QCOMPARE(received.last().message, 12345u);
    QTest::qWait(50);
    QCOMPARE(received.size(), 61);
}

void TestChannel::keepsDeliveringWhateverTheFilterAnswers()
{
    ProgressChannel channel;
    channel.setEventFilter(recordingFilter);
    unconsumedAfter = 2;
    Sender sender(channel.socketPath());
    for (quint32 value = 1; value <= 5; ++value)
        QVERIFY(sender.send(channel.messageId(), value));
    QTRY_COMPARE(received.size(), 5);
    QCOMPARE(received.last().wParam, 5u);
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
    const QString base = m_scratch.filePath("runtime");
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

void TestChannel::fallsBackWhenRuntimeFolderUnfit_data()
{
    QTest::addColumn<QString>("runtimeFolder");
    QDir().mkpath(m_scratch.filePath("open"));
    QFile::setPermissions(m_scratch.filePath("open"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                        | QFile::ReadOther | QFile::ExeOther);
    QTest::newRow("too long") << m_scratch.filePath(QString(120, 'd'));
    QTest::newRow("readable by others") << m_scratch.filePath("open");
    QTest::newRow("missing") << m_scratch.filePath("missing");
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
