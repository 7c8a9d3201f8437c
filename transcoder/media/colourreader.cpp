#include "colourreader.h"

#include "libav.h"
#include "mediafile.h"

extern "C" {
#include <libavutil/dovi_meta.h>
#include <libavutil/mastering_display_metadata.h>
}

#include <cstring>

namespace {

// A decoder that has not given a picture after this many packets (a stream
// that starts far from a keyframe) is not waited for.
constexpr int firstPicturePackets = 100;

template<typename Record>
bool copyRecord(const std::uint8_t *data, std::size_t size, Record &record)
{
    if (!data || size < sizeof(Record))
        return false;
    std::memcpy(&record, data, sizeof(Record));
    return true;
}

void addMastering(const std::uint8_t *data, std::size_t size, InputFacts::Colour &colour)
{
    AVMasteringDisplayMetadata mastering;
    if (copyRecord(data, size, mastering) && mastering.has_luminance && mastering.max_luminance.den > 0
        && mastering.max_luminance.num > 0)
        colour.masteringPeak = av_q2d(mastering.max_luminance);
}

void addContentLight(const std::uint8_t *data, std::size_t size, InputFacts::Colour &colour)
{
    AVContentLightMetadata light;
    if (copyRecord(data, size, light))
        colour.maxContentLight = light.MaxCLL;
}

void addDolbyVision(const std::uint8_t *data, std::size_t size, InputFacts::Colour &colour)
{
    AVDOVIDecoderConfigurationRecord record;
    if (!copyRecord(data, size, record))
        return;
    colour.doviProfile = record.dv_profile;
    colour.doviCompatibility = record.dv_bl_signal_compatibility_id;
}

} // namespace

ColourReader::ColourReader(const LibAv &libAv)
    : libAv(libAv)
{
}

InputFacts::Colour ColourReader::fromStream(const AVStream *stream) const
{
    InputFacts::Colour colour;
    if (!stream)
        return colour;
    const AVCodecParameters *codec = stream->codecpar;
    colour.matrix = codec->color_space;
    colour.transfer = codec->color_trc;
    colour.primaries = codec->color_primaries;
    if (const AVPixFmtDescriptor *pixels = libAv.av_pix_fmt_desc_get(AVPixelFormat(codec->format))) {
        colour.bitDepth = pixels->comp[0].depth;
        colour.rgb = pixels->flags & AV_PIX_FMT_FLAG_RGB;
    }
    for (int i = 0; i < stream->nb_side_data; ++i) {
        const AVPacketSideData &side = stream->side_data[i];
        const std::size_t size = side.size > 0 ? std::size_t(side.size) : 0;
        if (side.type == AV_PKT_DATA_MASTERING_DISPLAY_METADATA)
            addMastering(side.data, size, colour);
        else if (side.type == AV_PKT_DATA_CONTENT_LIGHT_LEVEL)
            addContentLight(side.data, size, colour);
        else if (side.type == AV_PKT_DATA_DOVI_CONF)
            addDolbyVision(side.data, size, colour);
    }
    return colour;
}

void ColourReader::addFirstPictureLight(MediaFile &file, int streamIndex, std::chrono::milliseconds timeLimit,
                                        InputFacts::Colour &colour) const
{
    const AVStream *stream = file.stream(streamIndex);
    const AVCodec *codec = stream ? libAv.avcodec_find_decoder(stream->codecpar->codec_id) : nullptr;
    AVCodecContext *decoder = codec ? libAv.avcodec_alloc_context3(codec) : nullptr;
    AVFrame *picture = libAv.av_frame_alloc();
    if (decoder && picture && libAv.avcodec_parameters_to_context(decoder, stream->codecpar) >= 0) {
        // Threads would only hold the first picture back by their number.
        decoder->thread_count = 1;
        int packets = 0;
        if (libAv.avcodec_open2(decoder, codec, nullptr) >= 0) {
            file.readPackets(streamIndex, timeLimit, [&](const AVPacket &packet) {
                libAv.avcodec_send_packet(decoder, &packet);
                if (libAv.avcodec_receive_frame(decoder, picture) < 0)
                    return ++packets < firstPicturePackets;
                for (int i = 0; i < picture->nb_side_data; ++i) {
                    const AVFrameSideData *side = picture->side_data[i];
                    if (side->type == AV_FRAME_DATA_MASTERING_DISPLAY_METADATA)
                        addMastering(side->data, side->size, colour);
                    else if (side->type == AV_FRAME_DATA_CONTENT_LIGHT_LEVEL)
                        addContentLight(side->data, side->size, colour);
                }
                return false;
            });
        }
    }
    libAv.av_frame_free(&picture);
    libAv.avcodec_free_context(&decoder);
}
