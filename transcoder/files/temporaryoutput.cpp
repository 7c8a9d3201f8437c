#include "temporaryoutput.h"

#include "partfile.h"
#include "pathname.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

TemporaryOutput::TemporaryOutput(const std::string &outputFile)
    : outputPath(PathName::absolute(outputFile))
    , directory(PathName::directory(outputPath))
{
}

TemporaryOutput::~TemporaryOutput()
{
    if (!namedPath.empty())
        unlink(namedPath.c_str());
}

bool TemporaryOutput::fail(const std::string &what)
{
    // Out of descriptors, the folder is not to blame.
    if (errno == EMFILE)
        lastError = "too many open files: the tool reached its limit (ulimit -n)";
    else if (errno == ENFILE)
        lastError = "too many open files: the system reached its limit";
    else
        lastError = what + ": " + std::strerror(errno);
    return false;
}

bool TemporaryOutput::create()
{
    file.reset(open(directory.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666));
    if (file.isValid())
        return true;
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
        return fail("cannot write into the output folder");
    return createNamed();
}

// A hidden sibling of the output, so it is on the same file system and the
// final rename is atomic. make() puts the file under a fresh name; the name
// it took, or empty when it failed for another reason than a name taken.
std::string TemporaryOutput::claimSibling(const std::function<bool(const std::string &)> &make) const
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string path = directory + "/" + PartFile::name(PathName::fileName(outputPath));
        if (make(path))
            return path;
        if (errno != EEXIST)
            break;
    }
    return {};
}

// A named part outlives a tool that is killed; the next conversion into the
// same folder clears what such tools left.
bool TemporaryOutput::createNamed()
{
    PartFile::removeStale(directory);
    namedPath = claimSibling([this](const std::string &path) {
        file.reset(open(path.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, 0666));
        return file.isValid();
    });
    return !namedPath.empty() || fail("cannot write into the output folder");
}

std::string TemporaryOutput::path() const
{
    return namedPath.empty() ? fdPath() : namedPath;
}

bool TemporaryOutput::linkUnnamed()
{
    const std::string source = fdPath();
    namedPath = claimSibling([&source](const std::string &path) {
        return linkat(AT_FDCWD, source.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0;
    });
    return !namedPath.empty() || fail("cannot give the output its name");
}

bool TemporaryOutput::write(const char *data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(file.get(), data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = EIO;
            return false;
        }
        data += written;
        size -= std::size_t(written);
    }
    return true;
}

bool TemporaryOutput::commit()
{
    // No fsync, as ffmpeg writing the file directly would not sync either:
    // on large files it would add a wait the user notices.
    if (namedPath.empty() && !linkUnnamed())
        return false;
    if (rename(namedPath.c_str(), outputPath.c_str()) != 0)
        return fail("cannot give the output its name");
    namedPath.clear();
    return true;
}
