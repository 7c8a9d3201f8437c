#ifndef CAPTIONSWITCH_H
#define CAPTIONSWITCH_H

#include "transcoder/media/timespans.h"

#include <cstddef>
#include <string>

// When the burned captions are laid over the picture, as an ffmpeg
// expression of the picture's time t in seconds, true while a caption is
// shown. The overlay places its input below the picture otherwise, where
// blending costs nothing; most of a film has no caption. Evaluated for each
// picture, it is a binary search over the spans, so a film with thousands
// of captions costs a few comparisons a picture.
namespace CaptionSwitch {

// Where the expression would take more than longest characters (ffmpeg
// takes each argument up to 128 KiB), the spans with the shortest gaps
// between them are joined until it fits; an empty expression, without spans.
std::string expression(const TimeSpans &spans, std::size_t longest);

} // namespace CaptionSwitch

#endif // CAPTIONSWITCH_H
