#ifndef STREAMDESCRIPTION_H
#define STREAMDESCRIPTION_H

#include <string>

// One stream of an input as the track choice sees it: plain data read from
// the container, so that the choice can be checked without media.
struct StreamDescription
{
    enum class Kind { Video, Audio, Subtitle, Other };

    int index = -1;
    Kind kind = Kind::Other;
    int codecId = 0;         // an AVCodecID
    std::string language;    // the container's tag ("eng", "ger"), often empty
    // The dispositions the container flags.
    bool isDefault = false;
    bool forced = false;
    bool commentary = false;
    bool hearingImpaired = false;
    bool visualImpaired = false;
    // The subtitle cues (packets) the track holds, as the container counts
    // them or as read (countCues); -1 when unknown.
    int cueCount = -1;
};

#endif // STREAMDESCRIPTION_H
