#ifndef PATHNAME_H
#define PATHNAME_H

#include <string>

// Paths as the tool hands them on: absolute, so that prefixing "file:" can
// never turn a name into an option or a protocol.
namespace PathName {

std::string absolute(const std::string &path);
std::string directory(const std::string &absolutePath);
std::string fileName(const std::string &absolutePath);
inline std::string url(const std::string &path) { return "file:" + absolute(path); }
// A name fit for a one-line message: control characters become '?'.
std::string printable(const std::string &path);

} // namespace PathName

#endif // PATHNAME_H
