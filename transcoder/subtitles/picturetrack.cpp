#include "picturetrack.h"

#include "captiontimeline.h"
#include "transcoder/media/libav.h"
#include "transcoder/media/mediafile.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr AVRational milliseconds{1, 1000};
// Larger than any disc's canvas: a piece beyond it is damage, not a caption.
constexpr int largestPiece = 8192;
} // namespace

PictureTrack::PictureTrack(const LibAv &libAv)
    : libAv(libAv)
{
}

PictureTrack::~PictureTrack()
{
    if (decoder)
        libAv.avcodec_free_context(&decoder);
}

bool PictureTrack::fail(const std::string &what, int errorCode)
{
    lastError = what;
    if (errorCode < 0)
        lastError += ": " + libAv.errorText(errorCode);
    return false;
}

bool PictureTrack::openDecoder(const AVStream *stream)
{
    const AVCodec *codec = libAv.avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec)
        return fail("libavcodec cannot decode the subtitles");
    decoder = libAv.avcodec_alloc_context3(codec);
    if (!decoder)
        return fail("out of memory");
    const int copied = libAv.avcodec_parameters_to_context(decoder, stream->codecpar);
    if (copied < 0)
        return fail("cannot read the subtitles' header", copied);
    decoder->pkt_timebase = stream->time_base;
    // Damage is reported, not passed over in silence, so it can be told.
    decoder->err_recognition |= AV_EF_EXPLODE;
    const int opened = libAv.avcodec_open2(decoder, codec, nullptr);
    return opened >= 0 || fail("cannot read the subtitles' header", opened);
}

bool PictureTrack::read(const std::string &path, int streamIndex, bool forcedOnly, bool trackForced,
                        std::chrono::milliseconds stallLimit, const Sink &sink)
{
    this->forcedOnly = forcedOnly;
    this->trackForced = trackForced;
    MediaFile input(libAv);
    if (!input.open(path, MediaFile::openTimeLimit) || !input.findStreams())
        return fail(input.error());
    track = input.stream(streamIndex);
    if (!track || track->codecpar->codec_type != AVMEDIA_TYPE_SUBTITLE)
        return fail("no such subtitle track");
    origin = libAv.av_rescale_q(input.startTime(), AVRational{1, AV_TIME_BASE}, milliseconds);
    if (!openDecoder(track))
        return false;
    const bool read = input.readPackets(streamIndex, stallLimit,
                                        [&](const AVPacket &packet) { return decode(packet, sink); });
    track = nullptr;
    if (!read && !refused && lastError.empty())
        fail(input.error());
    return read;
}

bool PictureTrack::decode(const AVPacket &packet, const Sink &sink)
{
    const std::int64_t timestamp = packet.pts != AV_NOPTS_VALUE ? packet.pts : packet.dts;
    const std::int64_t shown = timestamp == AV_NOPTS_VALUE
                                   ? 0
                                   : libAv.av_rescale_q(timestamp, track->time_base, milliseconds) - origin;
    AVSubtitle subtitle = {};
    int got = 0;
    AVPacket copy = packet;   // the decoder reads it, and takes no ownership
    const int result = libAv.avcodec_decode_subtitle2(decoder, &subtitle, &got, &copy);
    if (result < 0 || (got && timestamp == AV_NOPTS_VALUE)) {
        if (got)
            libAv.avsubtitle_free(&subtitle);
        if (damagedCount++ == 0)
            firstDamagedAt = std::max<std::int64_t>(shown, 0);
        return true;
    }
    if (!got)
        return true;
    const std::int64_t duration = packet.duration > 0
                                      ? libAv.av_rescale_q(packet.duration, track->time_base, milliseconds)
                                      : 0;
    PictureCaption next = caption(subtitle, shown, duration);
    libAv.avsubtitle_free(&subtitle);
    refused = !sink(std::move(next));
    return !refused;
}

PictureCaption PictureTrack::caption(const AVSubtitle &subtitle, std::int64_t shown, std::int64_t duration) const
{
    PictureCaption caption;
    caption.start = shown + subtitle.start_display_time;
    // Blu-ray captions tell no end: the next display set, often an empty
    // one, ends them.
    if (subtitle.end_display_time != UINT32_MAX && subtitle.end_display_time > subtitle.start_display_time)
        caption.end = shown + subtitle.end_display_time;
    else if (duration > 0)
        caption.end = shown + duration;
    caption.canvasWidth = decoder->width;
    caption.canvasHeight = decoder->height;
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
