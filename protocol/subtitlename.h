#ifndef SUBTITLENAME_H
#define SUBTITLENAME_H

#include <string>

// A path without its name's extension; a dot in a folder's name, or one
// that starts a hidden name, begins none.
inline std::string withoutExtension(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    const std::size_t dot = path.rfind('.');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    return dot != std::string::npos && dot > nameStart ? path.substr(0, dot) : path;
}

// NAME.srt for NAME.avi, the name players look for: the tool writes the
// subtitles under it and the window tells it.
inline std::string subtitlePathFor(const std::string &aviPath)
{
    return withoutExtension(aviPath) + ".srt";
}

#endif // SUBTITLENAME_H
