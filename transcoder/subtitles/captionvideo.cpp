#include "captionvideo.h"

#include "transcoder/media/libav.h"

#include <cstring>

namespace {
constexpr AVRational milliseconds{1, 1000};
} // namespace

CaptionVideo::CaptionVideo(const LibAv &libAv, int width, int height)
    : libAv(libAv)
    , width(width)
    , height(height)
{
}

CaptionVideo::~CaptionVideo()
{
    if (muxer && muxer->pb)
        libAv.avio_closep(&muxer->pb);
    if (muxer)
        libAv.avformat_free_context(muxer);
    if (encoder)
        libAv.avcodec_free_context(&encoder);
    if (frame)
        libAv.av_frame_free(&frame);
    if (packet)
        libAv.av_packet_free(&packet);
}

bool CaptionVideo::fail(const std::string &what, int errorCode)
{
    lastError = libAv.failureText(what, errorCode);
    return false;
}

bool CaptionVideo::open(const std::string &path)
{
    const AVCodec *codec = libAv.avcodec_find_encoder(AV_CODEC_ID_PNG);
    if (!codec)
        return fail("libavcodec has no PNG encoder");
    encoder = libAv.avcodec_alloc_context3(codec);
    frame = libAv.av_frame_alloc();
    packet = libAv.av_packet_alloc();
    if (!encoder || !frame || !packet)
        return fail("out of memory");
    encoder->width = width;
    encoder->height = height;
    encoder->pix_fmt = AV_PIX_FMT_RGBA;
    encoder->time_base = milliseconds;
    // The pictures are mostly empty; the fastest deflate packs them as well.
    encoder->compression_level = 1;
    int result = libAv.avcodec_open2(encoder, codec, nullptr);
    if (result < 0)
        return fail("cannot start the PNG encoder", result);
    frame->format = AV_PIX_FMT_RGBA;
    frame->width = width;
    frame->height = height;
    result = libAv.av_frame_get_buffer(frame, 0);
    if (result < 0)
        return fail("out of memory", result);
    result = libAv.avformat_alloc_output_context2(&muxer, nullptr, "nut", nullptr);
    if (result < 0)
        return fail("libavformat cannot write NUT", result);
    stream = libAv.avformat_new_stream(muxer, nullptr);
    if (!stream)
        return fail("out of memory");
    stream->time_base = milliseconds;
    result = libAv.avcodec_parameters_from_context(stream->codecpar, encoder);
    if (result < 0)
        return fail("cannot describe the captions' stream", result);
    result = libAv.avio_open(&muxer->pb, ("file:" + path).c_str(), AVIO_FLAG_WRITE);
    if (result < 0)
        return fail("cannot open the captions' file", result);
    result = libAv.avformat_write_header(muxer, nullptr);
    if (result < 0)
        return fail("cannot write the captions' file", result);
    headerWritten = true;
    return true;
}

bool CaptionVideo::write(const std::uint8_t *rgba, std::int64_t milliseconds)
{
    for (int row = 0; row < height; ++row)
        std::memcpy(frame->data[0] + std::size_t(row) * frame->linesize[0], rgba + std::size_t(row) * width * 4,
                    std::size_t(width) * 4);
    frame->pts = milliseconds;
    const int sent = libAv.avcodec_send_frame(encoder, frame);
    return (sent >= 0 || fail("cannot encode a caption", sent)) && drain(false);
}

bool CaptionVideo::drain(bool flush)
{
    for (;;) {
        const int received = libAv.avcodec_receive_packet(encoder, packet);
        if (received == AVERROR(EAGAIN) || (flush && received == AVERROR_EOF))
            return true;
        if (received < 0)
            return fail("cannot encode a caption", received);
        packet->stream_index = stream->index;
        libAv.av_packet_rescale_ts(packet, encoder->time_base, stream->time_base);
        const int written = libAv.av_write_frame(muxer, packet);
        libAv.av_packet_unref(packet);
        if (written < 0)
            return fail("cannot write the captions' file", written);
    }
}

bool CaptionVideo::close()
{
    if (!headerWritten)
        return false;
    const int sent = libAv.avcodec_send_frame(encoder, nullptr);
    if (sent < 0 || !drain(true))
        return sent < 0 ? fail("cannot encode a caption", sent) : false;
    const int result = libAv.av_write_trailer(muxer);
    headerWritten = false;
    if (result < 0)
        return fail("cannot write the captions' file", result);
    const int closed = libAv.avio_closep(&muxer->pb);
    return closed >= 0 || fail("cannot write the captions' file", closed);
}
