#include "mediaread.h"

#include <QJsonArray>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
#include <libavutil/pixdesc.h>
}

#include <memory>

namespace {

struct InputCloser
{
    void operator()(AVFormatContext *context) const { avformat_close_input(&context); }
};
struct DecoderCloser
{
    void operator()(AVCodecContext *context) const { avcodec_free_context(&context); }
};
struct PacketFreer
{
    void operator()(AVPacket *packet) const { av_packet_free(&packet); }
};
struct FrameFreer
{
    void operator()(AVFrame *frame) const { av_frame_free(&frame); }
};
struct GraphFreer
{
    void operator()(AVFilterGraph *graph) const { avfilter_graph_free(&graph); }
};
struct InOutFreer
{
    void operator()(AVFilterInOut *ends) const { avfilter_inout_free(&ends); }
};
using Input = std::unique_ptr<AVFormatContext, InputCloser>;
using Decoder = std::unique_ptr<AVCodecContext, DecoderCloser>;
using PacketPointer = std::unique_ptr<AVPacket, PacketFreer>;
using FramePointer = std::unique_ptr<AVFrame, FrameFreer>;
using Graph = std::unique_ptr<AVFilterGraph, GraphFreer>;
using InOut = std::unique_ptr<AVFilterInOut, InOutFreer>;

// "file:" keeps a name with a colon or a leading dash a plain file name, as
// the tests' own ffmpeg runs have it.
Input open(const QString &path)
{
    // Quiet as the tests' ffmpeg runs were: the filters' reports and a
    // damaged file's complaints would bury a failure's own message.
    av_log_set_level(AV_LOG_ERROR);
    AVFormatContext *context = nullptr;
    const QByteArray url = "file:" + path.toUtf8();
    if (avformat_open_input(&context, url.constData(), nullptr, nullptr) < 0)
        return {};
    Input input(context);
    if (avformat_find_stream_info(context, nullptr) < 0)
        return {};
    return input;
}

int firstStream(const AVFormatContext *context, AVMediaType type)
{
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        if (context->streams[i]->codecpar->codec_type == type)
            return int(i);
    }
    return -1;
}

// The other streams are not even read out of the file.
void readOnly(AVFormatContext *context, int index)
{
    for (unsigned i = 0; i < context->nb_streams; ++i)
        context->streams[i]->discard = int(i) == index ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
}

AVMediaType mediaType(const QString &type)
{
    if (type == QLatin1String("video"))
        return AVMEDIA_TYPE_VIDEO;
    if (type == QLatin1String("audio"))
        return AVMEDIA_TYPE_AUDIO;
    if (type == QLatin1String("subtitle"))
        return AVMEDIA_TYPE_SUBTITLE;
    return AVMEDIA_TYPE_UNKNOWN;
}

Decoder openDecoder(const AVStream *stream)
{
    const AVCodec *codec = avcodec_find_decoder(stream->codecpar->codec_id);
    Decoder decoder(codec ? avcodec_alloc_context3(codec) : nullptr);
    if (!decoder || avcodec_parameters_to_context(decoder.get(), stream->codecpar) < 0)
        return {};
    decoder->pkt_timebase = stream->time_base;
    if (avcodec_open2(decoder.get(), codec, nullptr) < 0)
        return {};
    return decoder;
}

// Feeds one stream's packets to its decoder and hands over every frame,
// the delayed ones at the end included.
bool decode(AVFormatContext *context, int index, const std::function<void(const AVFrame *)> &take)
{
    if (index < 0)
        return false;
    readOnly(context, index);
    const Decoder decoder = openDecoder(context->streams[index]);
    const PacketPointer packet(av_packet_alloc());
    const FramePointer frame(av_frame_alloc());
    if (!decoder || !packet || !frame)
        return false;
    const auto drain = [&] {
        while (avcodec_receive_frame(decoder.get(), frame.get()) >= 0) {
            take(frame.get());
            av_frame_unref(frame.get());
        }
    };
    while (av_read_frame(context, packet.get()) >= 0) {
        if (packet->stream_index == index && avcodec_send_packet(decoder.get(), packet.get()) >= 0)
            drain();
        av_packet_unref(packet.get());
    }
    avcodec_send_packet(decoder.get(), nullptr);
    drain();
    return true;
}

MediaRead::Picture pictureOf(const AVFrame *frame, AVRational timeBase, int64_t time)
{
    MediaRead::Picture picture;
    picture.time = double(time) * av_q2d(timeBase);
    picture.key = frame->key_frame;
    picture.type = av_get_picture_type_char(frame->pict_type);
    picture.width = frame->width;
    picture.height = frame->height;
    picture.format = frame->format;
    for (int plane = 0; plane < 4; ++plane) {
        picture.data[plane] = frame->data[plane];
        picture.linesize[plane] = frame->linesize[plane];
    }
    const AVDictionaryEntry *tag = nullptr;
    while ((tag = av_dict_get(frame->metadata, "", tag, AV_DICT_IGNORE_SUFFIX)))
        picture.tags.insert(QString::fromUtf8(tag->key), QString::fromUtf8(tag->value));
    return picture;
}

// A filter chain between a source taking the decoder's pictures as they
// come and a sink, as ffmpeg's -vf builds it.
struct FilterChain
{
    Graph graph{avfilter_graph_alloc()};
    AVFilterContext *source = nullptr;
    AVFilterContext *sink = nullptr;

    bool build(const AVFrame *first, AVRational timeBase, const QString &filters)
    {
        const AVRational aspect = first->sample_aspect_ratio.num ? first->sample_aspect_ratio : AVRational{1, 1};
        const QByteArray arguments = QString("video_size=%1x%2:pix_fmt=%3:time_base=%4/%5:pixel_aspect=%6/%7")
                                         .arg(first->width).arg(first->height).arg(first->format)
                                         .arg(timeBase.num).arg(timeBase.den).arg(aspect.num).arg(aspect.den)
                                         .toLatin1();
        if (!graph
            || avfilter_graph_create_filter(&source, avfilter_get_by_name("buffer"), "in", arguments.constData(),
                                            nullptr, graph.get()) < 0
            || avfilter_graph_create_filter(&sink, avfilter_get_by_name("buffersink"), "out", nullptr, nullptr,
                                            graph.get()) < 0)
            return false;
        InOut sourceEnd(avfilter_inout_alloc()), sinkEnd(avfilter_inout_alloc());
        if (!sourceEnd || !sinkEnd)
            return false;
        *sourceEnd = {av_strdup("in"), source, 0, nullptr};
        *sinkEnd = {av_strdup("out"), sink, 0, nullptr};
        AVFilterInOut *inputs = sinkEnd.release(), *outputs = sourceEnd.release();
        const int parsed = avfilter_graph_parse_ptr(graph.get(), filters.toUtf8().constData(), &inputs, &outputs,
                                                    nullptr);
        avfilter_inout_free(&inputs);
        avfilter_inout_free(&outputs);
        return parsed >= 0 && avfilter_graph_config(graph.get(), nullptr) >= 0;
    }

    void drain(const std::function<void(const MediaRead::Picture &)> &visit) const
    {
        const FramePointer frame(av_frame_alloc());
        while (frame && av_buffersink_get_frame(sink, frame.get()) >= 0) {
            visit(pictureOf(frame.get(), av_buffersink_get_time_base(sink), frame->pts));
            av_frame_unref(frame.get());
        }
    }
};

QString seconds(int64_t value, AVRational timeBase)
{
    return QString::number(double(value) * av_q2d(timeBase), 'f', 6);
}

QString ratio(AVRational value, char separator)
{
    return QString::number(value.num) + QLatin1Char(separator) + QString::number(value.den);
}

QJsonObject streamFacts(AVFormatContext *context, AVStream *stream)
{
    const AVCodecParameters *parameters = stream->codecpar;
    const AVCodecDescriptor *codec = avcodec_descriptor_get(parameters->codec_id);
    const char *type = av_get_media_type_string(parameters->codec_type);
    char tag[AV_FOURCC_MAX_STRING_SIZE] = {};
    av_fourcc_make_string(tag, parameters->codec_tag);
    QJsonObject facts{{"index", stream->index},
                      {"codec_type", type ? type : "unknown"},
                      {"codec_name", codec ? codec->name : "unknown"},
                      {"codec_tag_string", tag}};
    if (stream->duration != AV_NOPTS_VALUE)
        facts.insert("duration", seconds(stream->duration, stream->time_base));
    if (parameters->codec_type == AVMEDIA_TYPE_VIDEO) {
        facts.insert("width", parameters->width);
        facts.insert("height", parameters->height);
        const char *format = av_get_pix_fmt_name(AVPixelFormat(parameters->format));
        if (format)
            facts.insert("pix_fmt", format);
        const AVRational aspect = av_guess_sample_aspect_ratio(context, stream, nullptr);
        if (aspect.num)
            facts.insert("sample_aspect_ratio", ratio(aspect, ':'));
        facts.insert("r_frame_rate", ratio(stream->r_frame_rate, '/'));
    } else if (parameters->codec_type == AVMEDIA_TYPE_AUDIO) {
        facts.insert("sample_rate", QString::number(parameters->sample_rate));
        facts.insert("channels", parameters->ch_layout.nb_channels);
    }
    return facts;
}

// One sample of any of libav's sample formats, scaled as its float formats
// hold sound.
float sampleAt(const AVFrame *frame, int channel, int index)
{
    const auto format = AVSampleFormat(frame->format);
    const bool planar = av_sample_fmt_is_planar(format);
    const int channels = frame->ch_layout.nb_channels;
    const uint8_t *plane = frame->extended_data[planar ? channel : 0];
    const int at = planar ? index : index * channels + channel;
    switch (av_get_packed_sample_fmt(format)) {
    case AV_SAMPLE_FMT_U8:
        return (int(plane[at]) - 128) / 128.0f;
    case AV_SAMPLE_FMT_S16:
        return reinterpret_cast<const int16_t *>(plane)[at] / 32768.0f;
    case AV_SAMPLE_FMT_S32:
        return float(reinterpret_cast<const int32_t *>(plane)[at] / 2147483648.0);
    case AV_SAMPLE_FMT_FLT:
        return reinterpret_cast<const float *>(plane)[at];
    case AV_SAMPLE_FMT_DBL:
        return float(reinterpret_cast<const double *>(plane)[at]);
    default:
        return 0;
    }
}

} // namespace

namespace MediaRead {

QJsonObject facts(const QString &path)
{
    const Input input = open(path);
    if (!input)
        return {};
    QJsonArray streams;
    for (unsigned i = 0; i < input->nb_streams; ++i)
        streams.append(streamFacts(input.get(), input->streams[i]));
    QJsonObject format{{"format_name", input->iformat->name}};
    if (input->duration != AV_NOPTS_VALUE)
        format.insert("duration", seconds(input->duration, AV_TIME_BASE_Q));
    return {{"streams", streams}, {"format", format}};
}

QList<Packet> packets(const QString &path, const QString &type)
{
    QList<Packet> found;
    const Input input = open(path);
    const int index = input ? firstStream(input.get(), mediaType(type)) : -1;
    const PacketPointer packet(av_packet_alloc());
    if (index < 0 || !packet)
        return found;
    readOnly(input.get(), index);
    while (av_read_frame(input.get(), packet.get()) >= 0) {
        if (packet->stream_index == index) {
            found.append({packet->size, (packet->flags & AV_PKT_FLAG_KEY) != 0, packet->pts,
                          QByteArray(reinterpret_cast<const char *>(packet->data), packet->size)});
        }
        av_packet_unref(packet.get());
    }
    return found;
}

bool pictures(const QString &path, const std::function<void(const Picture &)> &visit)
{
    const Input input = open(path);
    if (!input)
        return false;
    const int index = firstStream(input.get(), AVMEDIA_TYPE_VIDEO);
    const AVRational timeBase = index >= 0 ? input->streams[index]->time_base : AVRational{0, 1};
    return decode(input.get(), index, [&](const AVFrame *frame) {
        visit(pictureOf(frame, timeBase, frame->best_effort_timestamp));
    });
}

bool filteredPictures(const QString &path, const QString &filters, const std::function<void(const Picture &)> &visit)
{
    const Input input = open(path);
    if (!input)
        return false;
    const int index = firstStream(input.get(), AVMEDIA_TYPE_VIDEO);
    const AVRational timeBase = index >= 0 ? input->streams[index]->time_base : AVRational{0, 1};
    FilterChain chain;
    bool built = false, fed = true;
    const bool decoded = decode(input.get(), index, [&](const AVFrame *frame) {
        if (!built && fed)
            built = fed = chain.build(frame, timeBase, filters);
        FramePointer copy(built ? av_frame_clone(frame) : nullptr);
        if (!copy)
            return;
        // Timed as ffmpeg times what it decodes.
        copy->pts = copy->best_effort_timestamp;
        fed = av_buffersrc_add_frame(chain.source, copy.get()) >= 0;
        chain.drain(visit);
    });
    if (!built || !fed || av_buffersrc_add_frame(chain.source, nullptr) < 0)
        return false;
    chain.drain(visit);
    return decoded;
}

Sound sound(const QString &path)
{
    Sound sound;
    const Input input = open(path);
    if (!input)
        return sound;
    const int index = firstStream(input.get(), AVMEDIA_TYPE_AUDIO);
    const AVRational timeBase = index >= 0 ? input->streams[index]->time_base : AVRational{0, 1};
    decode(input.get(), index, [&](const AVFrame *frame) {
        if (sound.samples.isEmpty()) {
            sound.rate = frame->sample_rate;
            sound.channels = frame->ch_layout.nb_channels;
            if (frame->best_effort_timestamp != AV_NOPTS_VALUE)
                sound.start = double(frame->best_effort_timestamp) * av_q2d(timeBase);
        }
        if (frame->ch_layout.nb_channels != sound.channels)
            return;
        for (int i = 0; i < frame->nb_samples; ++i) {
            for (int channel = 0; channel < sound.channels; ++channel)
                sound.samples.append(sampleAt(frame, channel, i));
        }
    });
    return sound;
}

} // namespace MediaRead
