#ifndef PATHNAME_H
#define PATHNAME_H

#include <string>

// Paths as the tool hands them on: absolute, so that prefixing "file:" can
// never turn a name into an option or a protocol.
class PathName
{
public:
    static std::string absolute(const std::string &path);
    static std::string directory(const std::string &absolutePath);
    static std::string fileName(const std::string &absolutePath);
    static std::string url(const std::string &path) { return "file:" + absolute(path); }
    // A name fit for a one-line message: control characters become '?'.
    static std::string printable(const std::string &path);
};

#endif // PATHNAME_H
