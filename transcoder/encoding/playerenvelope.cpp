#include "playerenvelope.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <numeric>

namespace {

// Timestamps in containers are rounded, so a measured rate is off by a
// little: a rate this close to a whole number, or to one of the NTSC rates
// (a whole number times 1000/1001), is taken to be that rate.
constexpr double rateTolerance = 0.0002;

InputFacts::Rate reduced(long long num, long long den)
{
    const long long divisor = std::gcd(num, den);
    return {int(num / divisor), int(den / divisor)};
}

InputFacts::Rate cleanRate(double value)
{
    const double whole = std::round(value);
    if (whole >= 1 && std::abs(value - whole) <= value * rateTolerance)
        return reduced((long long)whole, 1);
    const double ntsc = std::round(value * 1.001);
    if (ntsc >= 1 && std::abs(value * 1.001 - ntsc) <= value * rateTolerance)
        return reduced((long long)ntsc * 1000, 1001);
    // MPEG-4 counts time in units of at most 1/65535 s; a thousandth of a
    // picture a second is finer than any player can tell.
    return reduced(std::max(1LL, std::llround(value * 1000)), 1000);
}

int evenAtMost(double size, int limit)
{
    const int even = int(std::lround(size / 2)) * 2;
    return std::max(2, std::min(even, limit - limit % 2));
}

// A rate counted in NTSC's thousand-and-first parts (29.97 and 23.976 and
// their whole fractions, as a camera's 7.49) rather than in whole pictures.
bool countsLikeNtsc(double value)
{
    for (int frames = 1; frames <= 12; ++frames) {
        const double whole = value * frames, ntsc = whole * 1.001;
        if (std::abs(whole - std::round(whole)) <= whole * rateTolerance)
            return false;
        if (std::abs(ntsc - std::round(ntsc)) <= ntsc * rateTolerance)
            return true;
    }
    return false;
}

// The rates every player knows, in rising order.
constexpr InputFacts::Rate filmRates[] = {{24000, 1001}, {24, 1}, {25, 1}, {30000, 1001}, {30, 1}};

// A varying rate becomes the first film rate that shows every picture at
// least as often as the average asks, so that nothing is dropped for it.
InputFacts::Rate steadyRateFor(double average)
{
    for (const InputFacts::Rate &rate : filmRates) {
        if (rate.value() >= average * (1 - rateTolerance))
            return rate;
    }
    return filmRates[std::size(filmRates) - 1];
}

} // namespace

PlayerEnvelope::PlayerEnvelope(const InputFacts &facts)
    : facts(facts)
{
    fitRate();
    undoPulldown();
    fitSize();
}

// Above 30 pictures a second players drop or refuse pictures; keeping every
// n-th picture of a steady rate moves nothing from its time. A steady rate
// within the players' reach is kept as it is, picture for picture: re-timing
// it would drop or repeat pictures wherever the first one does not start on
// the rate's grid. Below 10 pictures a second players stutter or refuse the
// file, and the decoder buffer cannot hold one picture's share of the bit
// rate, so a slideshow is shown at a film rate by repeating its pictures.
void PlayerEnvelope::fitRate()
{
    if (facts.frameRate.num <= 0 || facts.frameRate.den <= 0)
        return;
    const double value = facts.frameRate.value();
    if (value < minimumRate) {
        rate = countsLikeNtsc(value) ? filmRates[3] : filmRates[2];
        retimed = true;
    } else if (facts.variableRate) {
        rate = steadyRateFor(value);
        retimed = true;
    } else {
        const InputFacts::Rate input = cleanRate(value);
        step = std::max(1, int(std::ceil(input.value() / maximumRate - 1e-9)));
        rate = reduced((long long)input.num, (long long)input.den * step);
    }
}

// Soft pulldown's pictures come at the film's own times and only need the
// film's grid; hard pulldown's are matched into film pictures and one in
// five dropped, which gives the film's rate by itself.
void PlayerEnvelope::undoPulldown()
{
    ntscVideo = rate.num == filmRates[3].num && rate.den == filmRates[3].den && step == 1
                && facts.frameRate.value() >= minimumRate && !tooSmallToDeinterlace()
                && std::max(facts.width, facts.height) <= largestTelecined;
    if (!ntscVideo)
        return;
    film = Pulldown::of(facts);
    if (film == Pulldown::Kind::Soft || film == Pulldown::Kind::Hard) {
        rate = filmRates[0];
        retimed = film == Pulldown::Kind::Soft;
    }
}

// Hard pulldown is undone in cycles of five pictures counted from the first.
int PlayerEnvelope::inputCycle() const
{
    return film == Pulldown::Kind::Hard ? 5 : step;
}

int PlayerEnvelope::maximumHeight() const
{
    // A rate not known yet may turn out either way.
    if (rate.num > 0 && rate.value() <= 25 + 1e-9)
        return maximumHeightUpTo25;
    return maximumHeightAbove25;
}

// Square pixels at the shape the picture is shown at, never larger than the
// input in either direction, within what the players decode.
void PlayerEnvelope::fitSize()
{
    if (facts.width <= 0 || facts.height <= 0)
        return;
    const double pixelAspect = facts.pixelAspect.num > 0 && facts.pixelAspect.den > 0
                                   ? facts.pixelAspect.value() : 1.0;
    double shownWidth = facts.width * pixelAspect;
    double shownHeight = facts.height;
    double codedWidth = facts.width, codedHeight = facts.height;
    if (facts.quarterTurn) {
        // A turned picture's pixels are turned too.
        std::swap(codedWidth, codedHeight);
        shownWidth = facts.height;
        shownHeight = facts.width * pixelAspect;
    }
    const double scale = std::min({1.0, maximumWidth / shownWidth, maximumHeight() / shownHeight,
                                   codedWidth / shownWidth, codedHeight / shownHeight});
    outputWidth = evenAtMost(shownWidth * scale, std::min(maximumWidth, int(codedWidth)));
    outputHeight = evenAtMost(shownHeight * scale, std::min(maximumHeight(), int(codedHeight)));
}

double PlayerEnvelope::keyframeSeconds() const
{
    const double perSecond = rate.value();
    if (perSecond <= 0)
        return longestKeyframeGapSeconds;
    return std::floor(longestKeyframeGapSeconds * perSecond + 1e-9) / perSecond;
}

int PlayerEnvelope::leadingPictures() const
{
    return rate.num > 0 ? int(std::lround(std::min(facts.videoStart, 3600.0) * rate.value())) : 0;
}

bool PlayerEnvelope::tooSmallToDeinterlace() const
{
    return facts.width > 0 && facts.height > 0
           && (facts.width < minimumDeinterlacedWidth || facts.height < minimumDeinterlacedHeight);
}

bool PlayerEnvelope::scalesDown() const
{
    if (outputWidth == 0)
        return false;
    const int codedWidth = facts.quarterTurn ? facts.height : facts.width;
    const int codedHeight = facts.quarterTurn ? facts.width : facts.height;
    return outputWidth < codedWidth - 1 || outputHeight < codedHeight - 1;
}

// Another rate goes to the lowest of the players' sample rates that is a
// whole multiple of it (22.05 kHz to 44.1, 16 to 32, 24 to 48), else to the
// highest that divides it (96 kHz to 48, 88.2 to 44.1), else to the nearest
// above it (or 48 kHz from above).
int PlayerEnvelope::sampleRate() const
{
    const int input = facts.sampleRate;
    if (input <= 0)
        return 0;
    for (int rate : sampleRates) {
        if (rate >= input && rate % input == 0)
            return rate;
    }
    for (auto rate = std::rbegin(sampleRates); rate != std::rend(sampleRates); ++rate) {
        if (input % *rate == 0)
            return *rate;
    }
    for (int rate : sampleRates) {
        if (rate > input)
            return rate;
    }
    return *std::rbegin(sampleRates);
}
