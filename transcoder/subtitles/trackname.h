#ifndef TRACKNAME_H
#define TRACKNAME_H

#include "transcoder/media/streamdescription.h"

#include <string>

// A subtitle track as a note names it: its index, and its language where known.
inline std::string trackName(const StreamDescription &track)
{
    return "the subtitle track " + std::to_string(track.index)
           + (track.language.empty() ? std::string() : " (" + track.language + ")");
}

#endif // TRACKNAME_H
