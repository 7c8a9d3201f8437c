#include "captiontimeline.h"

#include <algorithm>

CaptionTimeline::CaptionTimeline(Shown shown)
    : shown(std::move(shown))
{
}

bool CaptionTimeline::keeps(bool pieceForced, bool forcedOnly, bool trackForced)
{
    return !forcedOnly || trackForced || pieceForced;
}

bool CaptionTimeline::add(PictureCaption caption)
{
    if (!close(caption.start, caption.pieces.empty()))
        return false;
    if (!caption.pieces.empty())
        pending = std::move(caption);
    return true;
}

bool CaptionTimeline::finish()
{
    return close(std::nullopt, false);
}

bool CaptionTimeline::close(std::optional<std::int64_t> next, bool cleared)
{
    if (!pending)
        return true;
    const PictureCaption caption = std::move(*pending);
    pending.reset();
    std::int64_t end = caption.end;
    if (end == PictureCaption::openEnd)
        end = next && cleared ? *next : caption.start + longestOpen;
    if (next)
        end = std::min(end, *next);
    // Lines before the first picture are cut to start with it.
    const std::int64_t start = std::max<std::int64_t>(caption.start, 0);
    return end <= start || shown(caption, start, end);
}
