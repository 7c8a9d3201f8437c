#include "playingtime.h"

#include <algorithm>
#include <cmath>

namespace {
// Streams of one film end a little apart: a last picture's length, a sound
// block, the encoder's padding.
constexpr double slackSeconds = 2;
constexpr double slackShare = 0.01;
// No film plays longer than its bytes at this rate: a still picture with
// silence still takes kilobits a second.
constexpr double fewestBitsPerSecond = 100;
} // namespace

PlayingTime::PlayingTime(double containerSeconds)
    : container(containerSeconds > 0 ? containerSeconds : unknown)
{
}

void PlayingTime::addStream(bool plays, double endSeconds)
{
    if (!plays) {
        othersTimed = true;
        return;
    }
    if (endSeconds > 0)
        playing = std::max(playing, endSeconds);
}

bool PlayingTime::agree(double one, double other)
{
    return std::abs(one - other) <= std::max(slackSeconds, slackShare * std::max(one, other));
}

// The streams' own times, or the container's where it agrees with them (it
// is the figure the file meant); the container's alone where the streams
// keep none.
double PlayingTime::claimed() const
{
    if (playing > 0)
        return container > 0 && agree(container, playing) ? container : playing;
    return container;
}

double PlayingTime::seconds() const
{
    const double claim = claimed();
    if (packetsEnd > 0 && claim > 0 && packetsEnd < confirmingEnd())
        return packetsEnd;
    return claim;
}

double PlayingTime::confirmingEnd() const
{
    const double claim = claimed();
    return claim - std::max(slackSeconds, slackShare * claim);
}

bool PlayingTime::isDoubtful(double fileBytes) const
{
    const double claim = claimed();
    if (!(claim > 0))
        return false;
    return (playing <= 0 && othersTimed) || fileBytes * 8 < fewestBitsPerSecond * claim;
}
