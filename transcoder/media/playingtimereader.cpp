#include "playingtimereader.h"

#include "libav.h"
#include "mediafile.h"
#include "playingtime.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// Reading the last packets to check a doubtful playing time costs at most
// this, so that a file without an index to seek by still probes quickly.
constexpr std::chrono::milliseconds endCheckTimeLimit(400);
constexpr int endCheckPackets = 5000;
// The check seeks to this much before the end it checks.
constexpr double endCheckLead = 10;
constexpr double endCheckFarthest = 1e12;

bool plays(const AVStream *stream)
{
    const AVMediaType type = stream->codecpar->codec_type;
    return (type == AVMEDIA_TYPE_VIDEO && !MediaFile::isCoverArt(stream)) || type == AVMEDIA_TYPE_AUDIO;
}

// Subtitle and data streams carry times that may make a container's claim.
bool timedOther(const AVStream *stream)
{
    const AVMediaType type = stream->codecpar->codec_type;
    return type == AVMEDIA_TYPE_SUBTITLE || type == AVMEDIA_TYPE_DATA;
}

// Where the first picture or sound starts, in seconds on the file's
// timeline: the playing time is counted from there.
double playingStart(const MediaFile &file)
{
    const AVFormatContext *context = file.format();
    double earliest = double(file.startTime()) / AV_TIME_BASE;
    bool found = false;
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const AVStream *stream = context->streams[i];
        if (!plays(stream) || stream->start_time == AV_NOPTS_VALUE)
            continue;
        const double start = stream->start_time * av_q2d(stream->time_base);
        earliest = found ? std::min(earliest, start) : start;
        found = true;
    }
    return earliest;
}

// What the header and the streams' own durations tell, before any packet is read.
PlayingTime fromHeaders(const MediaFile &file)
{
    const AVFormatContext *context = file.format();
    const std::int64_t claim = context->duration;
    PlayingTime time(claim != AV_NOPTS_VALUE && claim > 0 ? double(claim) / AV_TIME_BASE : PlayingTime::unknown);
    const double from = playingStart(file);
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const AVStream *stream = context->streams[i];
        if (!plays(stream) && !timedOther(stream))
            continue;
        double end = PlayingTime::unknown;
        if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0) {
            const double start = stream->start_time != AV_NOPTS_VALUE ? stream->start_time * av_q2d(stream->time_base)
                                                                        : from;
            end = std::max(0.0, start - from) + stream->duration * av_q2d(stream->time_base);
        }
        time.addStream(plays(stream), end);
    }
    return time;
}

// Where the playing streams' packets end, read from a seek to just before
// the claimed end through to the file's end; unknown when a packet bears
// the claim out, or the end is not reached within the check's bounds.
double endOfPlayingPackets(MediaFile &file, const PlayingTime &time)
{
    // A claim beyond any real film is sought no further than this, within the timestamps' range.
    const double from = std::clamp(time.seconds() - endCheckLead, 0.0, endCheckFarthest);
    const double start = playingStart(file);
    const std::int64_t target = std::int64_t((start + from) * AV_TIME_BASE);
    // Only the playing streams count: a subtitle track holding thousands of
    // captions past the film's end would use up the packets checked.
    if (!file.seek(target, std::min(file.timeLimit(), MediaFile::Clock::now() + endCheckTimeLimit),
                   [&file](int index) { return plays(file.stream(index)); }))
        return PlayingTime::unknown;
    double end = PlayingTime::unknown;
    bool confirmed = false;
    int count = 0;
    const int result = file.readOn([&](const AVPacket &packet) {
        const AVStream *stream = file.stream(packet.stream_index);
        const std::int64_t at = packet.pts != AV_NOPTS_VALUE ? packet.pts : packet.dts;
        if (plays(stream) && at != AV_NOPTS_VALUE) {
            const double until = (double(at) + double(std::max<std::int64_t>(packet.duration, 0)))
                                 * av_q2d(stream->time_base);
            end = std::max(end, until - start);
            confirmed = end >= time.confirmingEnd();
        }
        return !confirmed && ++count < endCheckPackets;
    });
    return result == AVERROR_EOF ? end : PlayingTime::unknown;
}

} // namespace

std::uint32_t readPlayingSeconds(MediaFile &file)
{
    if (!file.format())
        return 0;
    // The header's figures cost nothing; the streams are only read (which
    // decodes a little) where neither the container nor a stream keeps one.
    PlayingTime time = fromHeaders(file);
    if (!(time.seconds() > 0)) {
        if (!file.findStreams())
            return 0;
        time = fromHeaders(file);
    }
    if (time.isDoubtful(file.sizeInBytes())) {
        // The packets' times count from where the first picture or sound
        // starts, which before the streams are read is often not known.
        file.findStreams();
        time.setEndOfPackets(endOfPlayingPackets(file, time));
    }
    const double seconds = std::ceil(time.seconds() - 1e-6);
    if (!(seconds > 0)) {
        file.fail("the file has no playing time");
        return 0;
    }
    if (seconds > double(UINT32_MAX)) {
        file.fail("the playing time is out of range");
        return 0;
    }
    return std::uint32_t(seconds);
}
