#include "bluraydisplayset.h"

#include "captiontimeline.h"

#include <algorithm>

namespace {
constexpr std::uint8_t presentationSegment = 0x16;
constexpr std::uint8_t objectSegment = 0x15;
constexpr std::uint8_t endSegment = 0x80;
constexpr std::uint8_t forcedFlag = 0x40;
constexpr std::uint8_t croppedFlag = 0x80;

int read16(const std::uint8_t *data)
{
    return (data[0] << 8) | data[1];
}
} // namespace

void BlurayDisplaySet::read(const std::uint8_t *data, int size)
{
    ended = false;
    for (int at = 0; data && at + 3 <= size;) {
        const std::uint8_t type = data[at];
        const int length = std::min(read16(data + at + 1), size - at - 3);
        const std::uint8_t *payload = data + at + 3;
        if (type == presentationSegment)
            readPresentation(payload, length);
        else if (type == objectSegment && length >= 2)
            objects.insert(read16(payload));
        else if (type == endSegment)
            ended = true;
        at += 3 + length;
    }
}

// The decoder forgets every object where a composition starts an epoch or
// an acquisition point, as a player does.
void BlurayDisplaySet::readPresentation(const std::uint8_t *payload, int size)
{
    shown.clear();
    if (size < 11)
        return;
    if (payload[7] >> 6)
        objects.clear();
    const int count = payload[10];
    for (int i = 0, at = 11; i < count && at + 8 <= size; ++i) {
        shown.push_back({read16(payload + at), (payload[at + 3] & forcedFlag) != 0});
        at += payload[at + 3] & croppedFlag ? 16 : 8;
    }
}

bool BlurayDisplaySet::endedEmpty(bool forcedOnly, bool trackForced) const
{
    if (!ended)
        return false;
    for (const Shown &one : shown) {
        if (objects.count(one.object) && CaptionTimeline::keeps(one.forced, forcedOnly, trackForced))
            return false;
    }
    return true;
}
