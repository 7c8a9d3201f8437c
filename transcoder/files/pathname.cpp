#include "pathname.h"

#include <climits>
#include <unistd.h>

std::string PathName::absolute(const std::string &path)
{
    if (!path.empty() && path[0] == '/')
        return path;
    std::string current(PATH_MAX, '\0');
    if (!getcwd(&current[0], current.size()))
        return path;
    current.resize(current.find('\0'));
    if (current.empty() || current.back() != '/')
        current += '/';
    return current + path;
}

std::string PathName::directory(const std::string &absolutePath)
{
    const std::size_t slash = absolutePath.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return absolutePath.substr(0, slash);
}

std::string PathName::fileName(const std::string &absolutePath)
{
    const std::size_t slash = absolutePath.rfind('/');
    return slash == std::string::npos ? absolutePath : absolutePath.substr(slash + 1);
}

std::string PathName::printable(const std::string &path)
{
    std::string text = path;
    for (char &c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = '?';
    }
    return text;
}
