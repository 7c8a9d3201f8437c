#include "subtitledecoder.h"

#include "transcoder/media/libav.h"
#include "transcoder/media/mediafile.h"

namespace {
constexpr AVRational milliseconds{1, 1000};
} // namespace

SubtitleDecoder::SubtitleDecoder(const LibAv &libAv)
    : libAv(libAv)
{
}

SubtitleDecoder::~SubtitleDecoder()
{
    if (decoder)
        libAv.avcodec_free_context(&decoder);
}

bool SubtitleDecoder::fail(const std::string &what, int errorCode)
{
    lastError = libAv.failureText(what, errorCode);
    return false;
}

bool SubtitleDecoder::read(const std::string &path, int streamIndex, std::chrono::milliseconds stallLimit,
                           const OnPacket &onPacket)
{
    lastError.clear();
    MediaFile input(libAv);
    if (!input.open(path, MediaFile::openTimeLimit) || !input.findStreams())
        return fail(input.error());
    track = input.stream(streamIndex);
    if (!track || track->codecpar->codec_type != AVMEDIA_TYPE_SUBTITLE)
        return fail("no such subtitle track");
    origin = libAv.av_rescale_q(input.startTime(), AVRational{1, AV_TIME_BASE}, milliseconds);
    bool refused = false;
    const bool read = openDecoder() && input.readPackets(streamIndex, stallLimit, [&](const AVPacket &packet) {
        refused = !onPacket(packet);
        return !refused;
    });
    track = nullptr;
    if (!read && !refused && lastError.empty())
        fail(input.error());
    return read;
}

bool SubtitleDecoder::openDecoder()
{
    if (decoder)
        libAv.avcodec_free_context(&decoder);
    const AVCodec *codec = libAv.avcodec_find_decoder(track->codecpar->codec_id);
    if (!codec)
        return fail("libavcodec cannot decode the subtitles");
    decoder = libAv.avcodec_alloc_context3(codec);
    if (!decoder)
        return fail("out of memory");
    const int copied = libAv.avcodec_parameters_to_context(decoder, track->codecpar);
    if (copied < 0)
        return fail("cannot read the subtitles' header", copied);
    decoder->pkt_timebase = track->time_base;
    if (reportDamage)
        decoder->err_recognition |= AV_EF_EXPLODE;
    AVDictionary *options = nullptr;
    if (!characterSet.empty())
        libAv.av_dict_set(&options, "sub_charenc", characterSet.c_str(), 0);
    const int opened = libAv.avcodec_open2(decoder, codec, &options);
    libAv.av_dict_free(&options);
    return opened >= 0 || fail("cannot read the subtitles' header", opened);
}

int SubtitleDecoder::decode(const AVPacket &packet, AVSubtitle &subtitle, int &got)
{
    subtitle = {};
    got = 0;
    AVPacket copy = packet;   // the decoder reads it, and takes no ownership
    return libAv.avcodec_decode_subtitle2(decoder, &subtitle, &got, &copy);
}

int SubtitleDecoder::codecId() const
{
    return decoder ? decoder->codec_id : 0;
}

int SubtitleDecoder::canvasWidth() const
{
    return decoder ? decoder->width : 0;
}

int SubtitleDecoder::canvasHeight() const
{
    return decoder ? decoder->height : 0;
}

std::int64_t SubtitleDecoder::outputTime(std::int64_t timestamp) const
{
    return length(timestamp) - origin;
}

std::int64_t SubtitleDecoder::length(std::int64_t duration) const
{
    return libAv.av_rescale_q(duration, track->time_base, milliseconds);
}

std::int64_t SubtitleDecoder::timestamp(const AVPacket &packet)
{
    return packet.pts != AV_NOPTS_VALUE ? packet.pts : packet.dts;
}
