#include "progresschannel.h"

#include "protocol/toolprotocol.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <dirent.h>
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
} // namespace

ProgressChannel::ProgressChannel()
{
    const QByteArray runtimeFolder = qgetenv("XDG_RUNTIME_DIR");
    if (runtimeFolder.size() > qsizetype(maximumBaseLength) || !isOwnPrivateFolder(runtimeFolder)
        || !bindSocket(runtimeFolder)) {
        bindSocket(privateBaseFolder());
    }
    if (isValid())
        qputenv(progressSocketVariable, m_path);
}

ProgressChannel::~ProgressChannel()
{
    delete m_notifier.data();
    if (m_socket >= 0) {
        ::close(m_socket);
        // Through the folder itself, should its name have been replaced meanwhile.
        const int folder = ::open(m_folder.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (folder >= 0) {
            ::unlinkat(folder, socketName + 1, 0);
            ::close(folder);
        }
        ::rmdir(m_folder.constData());
        // Only withdraw the variable if it is still ours.
        if (qgetenv(progressSocketVariable) == m_path)
            qunsetenv(progressSocketVariable);
    }
}

QByteArray ProgressChannel::privateBaseFolder()
{
    QByteArray base = qgetenv("TMPDIR");
    if (base.isEmpty() || base.size() > qsizetype(maximumBaseLength) || base.at(0) != '/')
        base = "/tmp";
    while (base.size() > 1 && base.endsWith('/'))
        base.chop(1);
    return base;
}

// A Tarvelo that was killed could not remove its folder. Its socket refuses
// connections now, unlike the socket of a Tarvelo that is still running.
// The base folder may be shared with other users (/tmp), who can plant links
// and folders of the same name: only real folders of this user are looked
// into, through descriptors, and nothing is ever removed by a path that a
// link could redirect.
void ProgressChannel::removeStaleFolders(const QByteArray &baseFolder)
{
    const int base = ::open(baseFolder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (base < 0)
        return;
    const int listing = ::dup(base);
    DIR *directory = listing >= 0 ? ::fdopendir(listing) : nullptr;
    if (!directory) {
        if (listing >= 0)
            ::close(listing);
        ::close(base);
        return;
    }
    const QByteArray prefix = QByteArray(folderTemplate + 1).chopped(6);
    while (const dirent *entry = ::readdir(directory)) {
        const QByteArray name(entry->d_name);
        if (name.startsWith(prefix) && name.size() == prefix.size() + 6)
            removeIfStale(base, name);
    }
    ::closedir(directory);
    ::close(base);
}

void ProgressChannel::removeIfStale(int base, const QByteArray &name)
{
    const int folder = ::openat(base, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder < 0)
        return;
    struct stat info;
    struct stat socketInfo;
    const bool ours = ::fstat(folder, &info) == 0 && info.st_uid == geteuid() && (info.st_mode & 0077) == 0
                      && ::fstatat(folder, socketName + 1, &socketInfo, AT_SYMLINK_NOFOLLOW) == 0
                      && S_ISSOCK(socketInfo.st_mode);
    // The socket is reached through the open folder, so that the folder's
    // name cannot be swapped for a link between the checks and the probe.
    if (ours && !isListening("/proc/self/fd/" + QByteArray::number(folder) + socketName)) {
        ::unlinkat(folder, socketName + 1, 0);
        ::unlinkat(base, name.constData(), AT_REMOVEDIR);
    }
    ::close(folder);
}

bool ProgressChannel::isListening(const QByteArray &path)
{
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    if (size_t(path.size()) >= sizeof(address.sun_path))
        return true;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    const int probe = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (probe < 0)
        return true;
    const bool refused = ::connect(probe, reinterpret_cast<const sockaddr *>(&address), sizeof(address)) != 0
                         && errno == ECONNREFUSED;
    ::close(probe);
    return !refused;
}

// Each instance gets its own fresh 0700 folder (mkdtemp), so two windows
// never share a path and nobody else can reach the socket.
bool ProgressChannel::bindSocket(const QByteArray &baseFolder)
{
    removeStaleFolders(baseFolder);
    QByteArray folder = baseFolder + folderTemplate;
    if (!::mkdtemp(folder.data()))
        return false;
    const QByteArray path = folder + socketName;
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    if (size_t(path.size()) >= sizeof(address.sun_path)) {
        ::rmdir(folder.constData());
        return false;
    }
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0 || ::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof(address)) != 0
        || ::chmod(path.constData(), 0600) != 0) {
        if (fd >= 0)
            ::close(fd);
        ::unlink(path.constData());
        ::rmdir(folder.constData());
        return false;
    }
    m_socket = fd;
    m_folder = folder;
    m_path = path;
    return true;
}

quint32 ProgressChannel::messageId() const
{
    return isValid() ? registeredMessageId(progressMessageName) : 0;
}

QString ProgressChannel::socketPath() const
{
    return QString::fromLocal8Bit(m_path);
}

bool ProgressChannel::isValid() const
{
    return m_socket >= 0;
}

ProgressChannel::Filter ProgressChannel::setEventFilter(Filter filter)
{
    const Filter previous = m_filter;
    m_filter = filter;
    if (isValid() && !m_notifier && QCoreApplication::instance()) {
        m_notifier = new QSocketNotifier(m_socket, QSocketNotifier::Read, QCoreApplication::instance());
        QObject::connect(m_notifier.data(), &QSocketNotifier::activated, m_notifier.data(),
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
        const ssize_t size = ::recv(m_socket, buffer, sizeof(buffer), MSG_DONTWAIT | MSG_TRUNC);
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
    if (haveLatest && m_filter)
        m_filter(&latest);
}
