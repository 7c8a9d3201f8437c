#ifndef TEMPORARYOUTPUT_H
#define TEMPORARYOUTPUT_H

#include "posix/uniquefd.h"

#include <functional>
#include <string>

// The file ffmpeg writes into, in the output's folder. Preferably unnamed
// (O_TMPFILE), so it vanishes by itself whatever happens to us; it only gets
// the output's name, atomically, once the conversion has been checked.
class TemporaryOutput
{
public:
    explicit TemporaryOutput(const std::string &outputFile);
    ~TemporaryOutput();
    TemporaryOutput(const TemporaryOutput &) = delete;
    TemporaryOutput &operator=(const TemporaryOutput &) = delete;

    bool create();
    int fd() const { return file.get(); }
    // By descriptor, also where the file has a name: ffmpeg inherits it and
    // opens it whatever the folder's name holds.
    std::string fdPath() const { return "/proc/self/fd/" + std::to_string(fd()); }
    // The path ffmpeg (which inherits fd()) and we ourselves can open it by.
    std::string path() const;
    // All of it, or false with errno telling why.
    bool write(const char *data, std::size_t size);
    bool commit();
    const std::string &error() const { return lastError; }

private:
    bool createNamed();
    bool linkUnnamed();
    std::string claimSibling(const std::function<bool(const std::string &)> &make) const;
    bool fail(const std::string &what);

    std::string outputPath;
    std::string directory;
    std::string namedPath;   // only when O_TMPFILE is not available
    UniqueFd file;
    std::string lastError;
};

#endif // TEMPORARYOUTPUT_H
