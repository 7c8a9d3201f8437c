#include "inputfactsreader.h"

#include "colourreader.h"
#include "libav.h"
#include "mediafile.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

InputFacts::Rate rate(AVRational rational)
{
    if (rational.num <= 0 || rational.den <= 0)
        return {};
    return {rational.num, rational.den};
}

InputFacts::Scan scan(AVFieldOrder order)
{
    switch (order) {
    case AV_FIELD_PROGRESSIVE:
        return InputFacts::Scan::Progressive;
    case AV_FIELD_TT:
    case AV_FIELD_TB:
        return InputFacts::Scan::TopFieldFirst;
    case AV_FIELD_BB:
    case AV_FIELD_BT:
        return InputFacts::Scan::BottomFieldFirst;
    default:
        return InputFacts::Scan::Unknown;
    }
}

// A display matrix turns by a quarter when its diagonal is nought.
bool turnedByAQuarter(const AVStream *stream)
{
    for (int i = 0; i < stream->nb_side_data; ++i) {
        const AVPacketSideData &data = stream->side_data[i];
        if (data.type != AV_PKT_DATA_DISPLAYMATRIX || data.size < int(9 * sizeof(std::int32_t)))
            continue;
        std::int32_t matrix[9];
        std::memcpy(matrix, data.data, sizeof(matrix));
        return std::abs(std::int64_t(matrix[0])) < std::abs(std::int64_t(matrix[1]));
    }
    return false;
}

void addVideoFacts(const MediaFile &file, InputFacts &facts)
{
    const MediaFile::Stream video = file.videoStream();
    if (!video.exists())
        return;
    const AVStream *stream = file.stream(video.index);
    const AVFormatContext *context = file.format();
    const AVCodecParameters *codec = stream->codecpar;
    facts.width = codec->width;
    facts.height = codec->height;
    facts.pixelAspect = rate(stream->sample_aspect_ratio.num > 0 ? stream->sample_aspect_ratio
                                                                  : codec->sample_aspect_ratio);
    facts.quarterTurn = turnedByAQuarter(stream);
    facts.scan = scan(codec->field_order);
    facts.colour = ColourReader(file.library()).fromStream(stream);
    // The base rate (r_frame_rate) is the one every timestamp fits; an
    // average that differs from it means the pictures come unevenly, or as
    // fields (then the average is the frame rate).
    const InputFacts::Rate base = rate(stream->r_frame_rate);
    const InputFacts::Rate average = rate(stream->avg_frame_rate);
    facts.variableRate = base.num > 0 && average.num > 0
                         && std::abs(base.value() - average.value()) > 0.001 * average.value();
    facts.frameRate = facts.variableRate || base.num <= 0 ? average : base;
    if (stream->start_time != AV_NOPTS_VALUE && context->start_time != AV_NOPTS_VALUE) {
        const double start = stream->start_time * av_q2d(stream->time_base) - context->start_time / double(AV_TIME_BASE);
        facts.videoStart = start > 0 ? start : 0;
    }
}

} // namespace

InputFacts readInputFacts(const MediaFile &file, int soundStream)
{
    InputFacts facts;
    if (!file.format())
        return facts;
    addVideoFacts(file, facts);
    const AVStream *sound = file.stream(soundStream);
    if (sound && sound->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) {
        facts.soundStream = soundStream;
        facts.sampleRate = sound->codecpar->sample_rate;
    }
    return facts;
}
