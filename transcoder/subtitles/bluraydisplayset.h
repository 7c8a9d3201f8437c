#ifndef BLURAYDISPLAYSET_H
#define BLURAYDISPLAYSET_H

#include <cstdint>
#include <set>
#include <vector>

// What a Blu-ray display set puts on the screen, told from its segments as
// they pass on to the decoder. libavcodec refuses a whole set that names an
// object or palette missing from the track; a player shows nothing for the
// missing ones, so such a set still clears the caption before it when none
// of the objects it names is there to show.
class BlurayDisplaySet
{
public:
    // Every packet of the track in order, each one or more whole segments.
    void read(const std::uint8_t *data, int size);
    // Whether the last packet read ended a display set that shows none of
    // the objects held so far: none wanted (see CaptionTimeline::keeps).
    bool endedEmpty(bool forcedOnly, bool trackForced) const;

private:
    struct Shown
    {
        int object;
        bool forced;
    };
    void readPresentation(const std::uint8_t *payload, int size);

    std::set<int> objects;      // defined since the epoch began
    std::vector<Shown> shown;   // named by the set's presentation
    bool ended = false;
};

#endif // BLURAYDISPLAYSET_H
