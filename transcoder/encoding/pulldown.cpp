#include "pulldown.h"

#include <cmath>

namespace {

enum class Evidence { Nothing, SoftFilm, HardFilm, Video };

// Fewer pictures than this tell no pattern of fives apart from chance.
constexpr int fewestPictures = 20;
// Container times are rounded to the millisecond or so.
constexpr double rateTolerance = 0.03;
// Of every five telecined pictures two repeat a field of the one before;
// still scenes repeat none (the detector sees no difference either way), so
// a stretch with some stillness still counts. Interlaced video repeats none
// and combs wherever it moves.
constexpr double filmRepeats = 0.25;
constexpr double videoRepeats = 0.1;
constexpr double videoCombs = 0.5;
constexpr double softRepeats = 0.3;

bool near(double rate, double wanted)
{
    return std::abs(rate - wanted) <= wanted * rateTolerance;
}

Evidence evidence(const InputFacts::FieldSample &sample)
{
    if (sample.pictures < fewestPictures || !(sample.seconds > 0))
        return Evidence::Nothing;
    const double rate = (sample.pictures - 1) / sample.seconds;
    // Repeat flags make the decoder hand over each film picture once, at its
    // own time, whatever rate the stream header gives: every other one three
    // fields long. A phone's video slowing to 24 in the dark lasts 1/24 s each.
    if (near(rate, 24000.0 / 1001))
        return double(sample.threeFieldPictures) / sample.pictures >= softRepeats ? Evidence::SoftFilm
                                                                                  : Evidence::Nothing;
    if (!near(rate, 30000.0 / 1001))
        return Evidence::Nothing;
    const double repeats = double(sample.repeatedFields) / sample.pictures;
    if (repeats >= filmRepeats)
        return Evidence::HardFilm;
    if (repeats < videoRepeats && double(sample.combed) / sample.pictures >= videoCombs)
        return Evidence::Video;
    return Evidence::Nothing;
}

} // namespace

namespace Pulldown {

// Decimating video would drop every fifth of its moments, so any stretch
// of video keeps the whole file at 29.97. Soft stretches beside hard ones
// go the hard way, which takes both.
Kind of(const InputFacts &facts)
{
    bool soft = false, hard = false, video = false;
    for (const InputFacts::FieldSample &sample : facts.fieldSamples) {
        switch (evidence(sample)) {
        case Evidence::SoftFilm:
            soft = true;
            break;
        case Evidence::HardFilm:
            hard = true;
            break;
        case Evidence::Video:
            video = true;
            break;
        case Evidence::Nothing:
            break;
        }
    }
    if ((soft || hard) && video)
        return Kind::Mixed;
    if (hard)
        return Kind::Hard;
    return soft ? Kind::Soft : Kind::None;
}

bool bottomFirst(const InputFacts &facts)
{
    if (facts.scan == InputFacts::Scan::BottomFieldFirst)
        return true;
    if (facts.scan == InputFacts::Scan::TopFieldFirst)
        return false;
    int bottom = 0, combed = 0;
    for (const InputFacts::FieldSample &sample : facts.fieldSamples) {
        bottom += sample.combedBottomFirst;
        combed += sample.combed;
    }
    return 2 * bottom > combed;
}

std::string describe(Kind kind, bool surveyed)
{
    switch (kind) {
    case Kind::Soft:
        return "pulldown: soft 3:2 (repeat-field flags); the film's own pictures kept, at 23.976 a second";
    case Kind::Hard:
        return "pulldown: hard 3:2 (combed pictures); fields matched back into the film's pictures, at 23.976 a second";
    case Kind::Mixed:
        return "pulldown: film and interlaced video mixed; every moment kept, at 29.97 a second";
    case Kind::None:
        break;
    }
    return surveyed ? "pulldown: none found; every picture kept, at 29.97 a second"
                    : "pulldown: not looked for at this picture rate";
}

} // namespace Pulldown
