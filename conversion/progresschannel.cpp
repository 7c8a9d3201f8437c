#include "progresschannel.h"

#include "posix/directorylisting.h"
#include "posix/unixsocketaddress.h"
#include "protocol/toolprotocol.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
// A name inside the base folder still has to fit sockaddr_un.
constexpr const char socketName[] = "/progress";
constexpr const char folderTemplate[] = "/tarvelo-XXXXXX";
constexpr std::size_t maximumBaseLength =
    sizeof(sockaddr_un::sun_path) - 1 - (sizeof(socketName) - 1) - (sizeof(folderTemplate) - 1);

bool isOwnPrivateFolder(const QByteArray &path)
{
    struct stat info;
    return !path.isEmpty() && stat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode)
        && info.st_uid == geteuid() && (info.st_mode & 0077) == 0;
}

QByteArray privateBaseFolder()
{
    QByteArray base = qgetenv("TMPDIR");
    if (base.isEmpty() || base.size() > qsizetype(maximumBaseLength) || base.at(0) != '/')
        base = "/tmp";
    while (base.size() > 1 && base.endsWith('/'))
        base.chop(1);
    return base;
}

bool isListening(const QByteArray &path)
{
    sockaddr_un address;
    if (!fillUnixSocketAddress(&address, path.constData(), size_t(path.size())))
        return true;
    const UniqueFd probe(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    if (!probe.isValid())
        return true;
    return ::connect(probe.get(), reinterpret_cast<const sockaddr *>(&address), sizeof(address)) == 0
           || errno != ECONNREFUSED;
}

void removeIfStale(int base, const QByteArray &name)
{
    const UniqueFd folder(::openat(base, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder.isValid())
        return;
    struct stat info;
    struct stat socketInfo;
    const bool ours = ::fstat(folder.get(), &info) == 0 && info.st_uid == geteuid()
                      && (info.st_mode & 0077) == 0
                      && ::fstatat(folder.get(), socketName + 1, &socketInfo, AT_SYMLINK_NOFOLLOW) == 0
                      && S_ISSOCK(socketInfo.st_mode);
    // The socket is reached through the open folder, so that the folder's
    // name cannot be swapped for a link between the checks and the probe.
    if (ours && !isListening("/proc/self/fd/" + QByteArray::number(folder.get()) + socketName)) {
        ::unlinkat(folder.get(), socketName + 1, 0);
        ::unlinkat(base, name.constData(), AT_REMOVEDIR);
    }
}

// A Tarvelo that was killed could not remove its folder. Its socket refuses
// connections now, unlike the socket of a Tarvelo that is still running.
// The base folder may be shared with other users (/tmp), who can plant links
// and folders of the same name: only real folders of this user are looked
// into, through descriptors, and nothing is ever removed by a path that a
// link could redirect.
void removeStaleFolders(const QByteArray &baseFolder)
{
    const UniqueFd base(::open(baseFolder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!base.isValid())
        return;
    DirectoryListing listing(base.get());
    const QByteArray prefix = QByteArray(folderTemplate + 1).chopped(6);
    while (const char *entry = listing.next()) {
        const QByteArray name(entry);
        if (name.startsWith(prefix) && name.size() == prefix.size() + 6)
            removeIfStale(base.get(), name);
    }
}

} // namespace

ProgressChannel::ProgressChannel()
{
    const QByteArray runtimeFolder = qgetenv("XDG_RUNTIME_DIR");
    if (runtimeFolder.size() > qsizetype(maximumBaseLength) || !isOwnPrivateFolder(runtimeFolder)
        || !bindSocket(runtimeFolder)) {
        bindSocket(privateBaseFolder());
    }
    if (isValid())
        qputenv(progressSocketVariable, path);
}

ProgressChannel::~ProgressChannel()
{
    delete notifier.data();
    if (!socketFd.isValid())
        return;
    socketFd.reset();
    // Through the folder itself, should its name have been replaced meanwhile.
    const UniqueFd folderFd(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (folderFd.isValid())
        ::unlinkat(folderFd.get(), socketName + 1, 0);
    ::rmdir(folder.constData());
    // Only withdraw the variable if it is still ours.
    if (qgetenv(progressSocketVariable) == path)
        qunsetenv(progressSocketVariable);
}

// Each instance gets its own fresh 0700 folder (mkdtemp), so two windows
// never share a path and nobody else can reach the socket.
bool ProgressChannel::bindSocket(const QByteArray &baseFolder)
{
    removeStaleFolders(baseFolder);
    QByteArray newFolder = baseFolder + folderTemplate;
    if (!::mkdtemp(newFolder.data()))
        return false;
    const QByteArray newPath = newFolder + socketName;
    sockaddr_un address;
    UniqueFd fd;
    if (fillUnixSocketAddress(&address, newPath.constData(), size_t(newPath.size())))
        fd.reset(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!fd.isValid() || ::bind(fd.get(), reinterpret_cast<const sockaddr *>(&address), sizeof(address)) != 0
        || ::chmod(newPath.constData(), 0600) != 0) {
        ::unlink(newPath.constData());
        ::rmdir(newFolder.constData());
        return false;
    }
    socketFd = std::move(fd);
    folder = newFolder;
    path = newPath;
    return true;
}

quint32 ProgressChannel::messageId() const
{
    return isValid() ? registeredMessageId(progressMessageName) : 0;
}

QString ProgressChannel::socketPath() const
{
    return QString::fromLocal8Bit(path);
}

bool ProgressChannel::isValid() const
{
    return socketFd.isValid();
}

ProgressChannel::Filter ProgressChannel::setEventFilter(Filter filter)
{
    const Filter previous = eventFilter;
    eventFilter = filter;
    if (isValid() && !notifier && QCoreApplication::instance()) {
        notifier = new QSocketNotifier(socketFd.get(), QSocketNotifier::Read, QCoreApplication::instance());
        QObject::connect(notifier.data(), &QSocketNotifier::activated, notifier.data(),
                         [this] { readPending(); });
    }
    return previous;
}

// Only the newest value matters to a progress bar, and a sender that floods
// the socket must not hold the event loop: each turn takes a bounded batch
// and hands on its last notification. Whatever is left is taken next turn,
// after the window has had its share of the loop.
void ProgressChannel::readPending()
{
    ProgressMessage latest;
    bool haveLatest = false;
    for (int taken = 0; taken < maximumBatch; ++taken) {
        char buffer[sizeof(ProgressMessage) + 1];
        // MSG_TRUNC reports a datagram's real size, so a longer one that merely
        // starts like a notification is recognised and dropped.
        const ssize_t size = ::recv(socketFd.get(), buffer, sizeof(buffer), MSG_DONTWAIT | MSG_TRUNC);
        if (size < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (size != ssize_t(sizeof(ProgressMessage)))
            continue;
        std::memcpy(&latest, buffer, sizeof(latest));
        haveLatest = true;
    }
    if (haveLatest && eventFilter)
        eventFilter(&latest);
}
