#include "picturetrack.h"

#include "captiontimeline.h"
#include "transcoder/media/libav.h"

#include <algorithm>
#include <cstring>

namespace {
// Larger than any disc's canvas: a piece beyond it is damage, not a caption.
constexpr int largestPiece = 8192;
constexpr std::int64_t endless = -1;
} // namespace

PictureTrack::PictureTrack(const LibAv &libAv)
    : libAv(libAv)
    , decoder(libAv)
{
    decoder.setReportDamage(true);
}

void PictureTrack::setFilm(std::int64_t firstPicture, std::int64_t end)
{
    filmFirst = firstPicture;
    filmEnd = end;
}

bool PictureTrack::read(const std::string &path, int streamIndex, bool forcedOnly, bool trackForced,
                        std::chrono::milliseconds stallLimit, const Sink &sink)
{
    this->forcedOnly = forcedOnly;
    this->trackForced = trackForced;
    displaySet = BlurayDisplaySet();
    return decoder.read(path, streamIndex, stallLimit, [&](const AVPacket &packet) { return decode(packet, sink); });
}

bool PictureTrack::decode(const AVPacket &packet, const Sink &sink)
{
    const std::int64_t timestamp = SubtitleDecoder::timestamp(packet);
    const std::int64_t shown = timestamp == AV_NOPTS_VALUE ? 0 : decoder.outputTime(timestamp);
    if (timestamp != AV_NOPTS_VALUE && isNeverSeen(packet, shown))
        return true;
    if (decoder.codecId() == AV_CODEC_ID_HDMV_PGS_SUBTITLE)
        displaySet.read(packet.data, packet.size);
    AVSubtitle subtitle;
    int got = 0;
    const int result = decoder.decode(packet, subtitle, got);
    if (result < 0 || (got && timestamp == AV_NOPTS_VALUE)) {
        if (got)
            libAv.avsubtitle_free(&subtitle);
        // Refused for what it lacks, a set that would show nothing still clears.
        if (result < 0 && timestamp != AV_NOPTS_VALUE && displaySet.endedEmpty(forcedOnly, trackForced))
            return sink(cleared(shown));
        countDamaged(shown);
        return true;
    }
    if (!got) {
        if (isRejectedWhole(packet))
            countDamaged(shown);
        return true;
    }
    std::int64_t duration = packet.duration > 0 ? decoder.length(packet.duration) : 0;
    // A track ffmpeg wrote without knowing its ends (converted without
    // -fix_sub_duration) lasts 2^32 - 1 ms a caption, and its DVD pictures
    // stop at the longest delay they can tell: both mean no end at all.
    if (duration >= std::int64_t(UINT32_MAX))
        duration = endless;
    PictureCaption next = caption(subtitle, shown, duration);
    libAv.avsubtitle_free(&subtitle);
    return sink(std::move(next));
}

// ffmpeg's DVD decoder drops a damaged picture without an error; only a
// packet that holds less than its own size announces is still incomplete.
bool PictureTrack::isRejectedWhole(const AVPacket &packet) const
{
    if (decoder.codecId() != AV_CODEC_ID_DVD_SUBTITLE || packet.size < 2)
        return false;
    const std::uint8_t *data = packet.data;
    std::int64_t announced = (data[0] << 8) | data[1];
    // A size of 0 announces a packet too large for two bytes.
    if (announced == 0 && packet.size >= 6)
        announced = (std::int64_t(data[2]) << 24) | (data[3] << 16) | (data[4] << 8) | data[5];
    return announced > 0 && announced <= packet.size;
}

// A track may hold thousands of captions beyond a short film: they cost
// nothing. Before the film only a DVD picture, which stands alone and tells
// its end, is passed over; the others' sets build on those before them.
bool PictureTrack::isNeverSeen(const AVPacket &packet, std::int64_t shown) const
{
    if (shown >= filmEnd)
        return true;
    return decoder.codecId() == AV_CODEC_ID_DVD_SUBTITLE && packet.duration > 0
           && shown + decoder.length(packet.duration) <= filmFirst;
}

void PictureTrack::countDamaged(std::int64_t shown)
{
    if (damagedCount++ == 0)
        firstDamagedAt = std::max<std::int64_t>(shown, 0);
}

PictureCaption PictureTrack::cleared(std::int64_t shown) const
{
    PictureCaption caption;
    caption.start = shown;
    caption.canvasWidth = decoder.canvasWidth();
    caption.canvasHeight = decoder.canvasHeight();
    return caption;
}

PictureCaption PictureTrack::caption(const AVSubtitle &subtitle, std::int64_t shown, std::int64_t duration) const
{
    PictureCaption caption;
    caption.start = shown + subtitle.start_display_time;
    // Blu-ray captions tell no end: the next display set, often an empty
    // one, ends them.
    if (duration != endless && subtitle.end_display_time != UINT32_MAX
        && subtitle.end_display_time > subtitle.start_display_time)
        caption.end = shown + subtitle.end_display_time;
    else if (duration > 0)
        caption.end = shown + duration;
    caption.canvasWidth = decoder.canvasWidth();
    caption.canvasHeight = decoder.canvasHeight();
    for (unsigned i = 0; i < subtitle.num_rects; ++i) {
        const AVSubtitleRect *rect = subtitle.rects[i];
        if (rect->type != SUBTITLE_BITMAP || rect->w <= 0 || rect->h <= 0 || rect->w > largestPiece
            || rect->h > largestPiece || !rect->data[0] || !rect->data[1] || rect->linesize[0] < rect->w
            || !CaptionTimeline::keeps(rect->flags & AV_SUBTITLE_FLAG_FORCED, forcedOnly, trackForced))
            continue;
        PictureCaption::Piece piece{rect->x, rect->y, rect->w, rect->h, {}};
        std::uint32_t palette[256] = {};
        std::memcpy(palette, rect->data[1], sizeof(std::uint32_t) * std::size_t(std::clamp(rect->nb_colors, 0, 256)));
        piece.pixels.resize(std::size_t(rect->w) * std::size_t(rect->h));
        for (int y = 0; y < rect->h; ++y) {
            const std::uint8_t *row = rect->data[0] + std::size_t(y) * rect->linesize[0];
            for (int x = 0; x < rect->w; ++x)
                piece.pixels[std::size_t(y) * rect->w + x] = palette[row[x]];
        }
        caption.pieces.push_back(std::move(piece));
    }
    return caption;
}
