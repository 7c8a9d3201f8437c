#ifndef CAPTIONTIMELINE_H
#define CAPTIONTIMELINE_H

#include "picturecaption.h"

#include <functional>
#include <optional>

// Turns the captions of a picture track, in the order the track holds
// them, into the spans they are shown: each from its start to its end, cut
// short by the next caption (or by an empty one, which clears the screen).
// A caption that tells no end (every Blu-ray caption) lasts until the empty
// one that clears it, however long: a text card's translation may stay for
// half a minute. Followed by another caption instead (a damaged track's,
// whose clearing was lost) or by nothing, it stays at most longestOpen.
// Only one caption is held at a time, so a film with thousands of them
// costs no more memory than one.
class CaptionTimeline
{
public:
    // Milliseconds a caption without an end is shown at most.
    static constexpr std::int64_t longestOpen = 10000;

    // Called once per shown span, in order, with end > start >= 0.
    using Shown = std::function<bool(const PictureCaption &caption, std::int64_t start, std::int64_t end)>;

    explicit CaptionTimeline(Shown shown);

    // False once shown returned false.
    bool add(PictureCaption caption);
    bool finish();

    // Whether a piece is burned: all of them where the whole track is
    // wanted or the track is one of forced captions, else only those the
    // track flags forced.
    static bool keeps(bool pieceForced, bool forcedOnly, bool trackForced);

private:
    bool close(std::optional<std::int64_t> next, bool cleared);

    Shown shown;
    std::optional<PictureCaption> pending;
};

#endif // CAPTIONTIMELINE_H
