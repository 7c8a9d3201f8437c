#ifndef PULLDOWN_H
#define PULLDOWN_H

#include "transcoder/media/inputfacts.h"

#include <string>

// Film of 23.976 pictures a second carried as NTSC's 29.97 by 3:2 pulldown:
// each film picture shown for three fields, then two. Players show 23.976
// natively, so the film goes back to its own pictures; true interlaced
// video, each field its own moment, stays at 29.97. Decided from what the
// interlace detector saw in stretches of the pictures (InputFacts::fieldSamples).
namespace Pulldown {

enum class Kind {
    // None found: every picture is kept.
    None,
    // Repeat-field flags: the decoder gives the film's pictures as they are.
    Soft,
    // The pattern is in the pictures themselves: two of every five comb.
    Hard,
    // Film in some stretches, video in others: every moment is kept.
    Mixed,
};

Kind of(const InputFacts &facts);
// Whether hard pulldown lays the bottom field first.
bool bottomFirst(const InputFacts &facts);
// What was found and done, for the line on standard error; surveyed: whether
// the rate could carry pulldown at all, so that it was looked for.
std::string describe(Kind kind, bool surveyed);

} // namespace Pulldown

#endif // PULLDOWN_H
