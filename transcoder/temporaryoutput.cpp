#include "temporaryoutput.h"

#include "partfile.h"
#include "pathname.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

TemporaryOutput::TemporaryOutput(const std::string &outputPath)
    : m_outputPath(PathName::absolute(outputPath))
    , m_directory(PathName::directory(m_outputPath))
{
}

TemporaryOutput::~TemporaryOutput()
{
    if (!m_namedPath.empty())
        unlink(m_namedPath.c_str());
}

bool TemporaryOutput::fail(const std::string &what)
{
    m_error = what + ": " + std::strerror(errno);
    return false;
}

bool TemporaryOutput::create()
{
    m_fd.reset(open(m_directory.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666));
    if (m_fd.isValid())
        return true;
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
        return fail("cannot write into the output folder");
    return createNamed();
}

// A hidden sibling of the output, so it is on the same file system and the
// final rename is atomic.
std::string TemporaryOutput::uniqueSibling() const
{
    return m_directory + "/" + PartFile::name(PathName::fileName(m_outputPath));
}

// A named part outlives a tool that is killed; the next conversion into the
// same folder clears what such tools left.
bool TemporaryOutput::createNamed()
{
    PartFile::removeStale(m_directory);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string path = uniqueSibling();
        m_fd.reset(open(path.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, 0666));
        if (m_fd.isValid()) {
            m_namedPath = path;
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    return fail("cannot write into the output folder");
}

std::string TemporaryOutput::path() const
{
    return m_namedPath.empty() ? "/proc/self/fd/" + std::to_string(m_fd.get()) : m_namedPath;
}

bool TemporaryOutput::linkUnnamed(std::string *linkedPath)
{
    const std::string source = path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string path = uniqueSibling();
        if (linkat(AT_FDCWD, source.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            *linkedPath = path;
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    return fail("cannot give the output its name");
}

bool TemporaryOutput::commit()
{
    // No fsync, as ffmpeg writing the file directly would not sync either:
    // on large files it would add a wait the user notices.
    if (m_namedPath.empty() && !linkUnnamed(&m_namedPath))
        return false;
    if (rename(m_namedPath.c_str(), m_outputPath.c_str()) != 0)
        return fail("cannot give the output its name");
    m_namedPath.clear();
    return true;
}
