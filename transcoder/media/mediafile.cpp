#include "mediafile.h"

#include "libav.h"
#include "transcoder/files/pathname.h"
#include "transcoder/run/stopsignals.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

namespace {

// Cover art is a one-frame "video" stream; it is not the film.
bool isCoverArt(const AVStream *stream)
{
    return stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && (stream->disposition & AV_DISPOSITION_ATTACHED_PIC);
}

} // namespace

MediaFile::MediaFile(const LibAv &libAv)
    : libAv(libAv)
{
}

MediaFile::~MediaFile()
{
    if (context)
        libAv.avformat_close_input(&context);
}

int MediaFile::interrupted(void *opaque)
{
    auto *file = static_cast<MediaFile *>(opaque);
    // While packets are read, bytes coming in are progress: one read of a
    // sparse subtitle track skips all the video up to its next line, which
    // on a slow disk takes longer than any stall.
    const AVIOContext *io = file->context ? file->context->pb : nullptr;
    if (file->readStall.count() > 0 && io && io->pos != file->lastPosition) {
        file->lastPosition = io->pos;
        file->deadline = std::chrono::steady_clock::now() + file->readStall;
    }
    return StopSignals::requested() || std::chrono::steady_clock::now() > file->deadline;
}

bool MediaFile::fail(const std::string &what, int errorCode)
{
    lastError = what;
    if (errorCode < 0)
        lastError += ": " + libAv.errorText(errorCode);
    return false;
}

bool MediaFile::open(const std::string &path, std::chrono::milliseconds timeLimit)
{
    deadline = std::chrono::steady_clock::now() + timeLimit;
    // Folders and FIFOs would block or mislead the demuxers; only regular
    // files (or the /proc link of our own unnamed output) are media here.
    struct stat info;
    if (stat(path.c_str(), &info) != 0)
        return fail("cannot read the file", AVERROR(errno));
    if (S_ISDIR(info.st_mode))
        return fail("is a folder, not a media file");
    if (!S_ISREG(info.st_mode))
        return fail("is not a regular file");
    if (info.st_size == 0)
        return fail("the file is empty");
    fileBytes = double(info.st_size);
    if (!libAv.isLoaded())
        return fail(libAv.error());

    context = libAv.avformat_alloc_context();
    if (!context)
        return fail("out of memory");
    context->interrupt_callback.callback = &MediaFile::interrupted;
    context->interrupt_callback.opaque = this;
    AVDictionary *options = nullptr;
    libAv.av_dict_set(&options, "protocol_whitelist", "file", 0);
    const int result = libAv.avformat_open_input(&context, PathName::url(path).c_str(), nullptr, &options);
    libAv.av_dict_free(&options);
    if (result < 0) {
        context = nullptr;
        if (std::chrono::steady_clock::now() > deadline)
            return fail("reading the file took too long");
        return fail("not a readable media file", result);
    }
    return true;
}

bool MediaFile::findStreams()
{
    if (streamsFound)
        return true;
    const int result = libAv.avformat_find_stream_info(context, nullptr);
    if (result < 0)
        return fail("cannot read the file's streams", result);
    streamsFound = true;
    return true;
}

std::string MediaFile::formatName() const
{
    return context && context->iformat ? context->iformat->name : "";
}

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
    return (type == AVMEDIA_TYPE_VIDEO && !isCoverArt(stream)) || type == AVMEDIA_TYPE_AUDIO;
}

// Subtitle and data streams carry times that may make a container's claim.
bool timedOther(const AVStream *stream)
{
    const AVMediaType type = stream->codecpar->codec_type;
    return type == AVMEDIA_TYPE_SUBTITLE || type == AVMEDIA_TYPE_DATA;
}

} // namespace

// Where the first picture or sound starts, in seconds on the file's
// timeline: the playing time is counted from there.
double MediaFile::playingStart() const
{
    double earliest = double(startTime()) / AV_TIME_BASE;
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
PlayingTime MediaFile::playingTime() const
{
    const std::int64_t claim = context->duration;
    PlayingTime time(claim != AV_NOPTS_VALUE && claim > 0 ? double(claim) / AV_TIME_BASE : PlayingTime::unknown);
    const double from = playingStart();
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
double MediaFile::endOfPlayingPackets(const PlayingTime &time)
{
    const double claim = time.seconds();
    deadline = std::min(deadline, std::chrono::steady_clock::now() + endCheckTimeLimit);
    for (unsigned i = 0; i < context->nb_streams; ++i)
        context->streams[i]->discard = AVDISCARD_DEFAULT;
    // A claim beyond any real film is sought no further than this, within the timestamps' range.
    const double from = std::clamp(claim - endCheckLead, 0.0, endCheckFarthest);
    const double start = playingStart();
    const std::int64_t target = std::int64_t((start + from) * AV_TIME_BASE);
    if (libAv.avformat_seek_file(context, -1, INT64_MIN, target, target, 0) < 0)
        return PlayingTime::unknown;
    AVPacket *packet = libAv.av_packet_alloc();
    if (!packet)
        return PlayingTime::unknown;
    double end = PlayingTime::unknown;
    bool confirmed = false;
    int result = 0;
    for (int count = 0; !confirmed && count < endCheckPackets; ++count) {
        result = libAv.av_read_frame(context, packet);
        if (result < 0)
            break;
        const AVStream *stream = context->streams[packet->stream_index];
        const std::int64_t at = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        if (plays(stream) && at != AV_NOPTS_VALUE) {
            const double until = (double(at) + double(std::max<std::int64_t>(packet->duration, 0)))
                                 * av_q2d(stream->time_base);
            end = std::max(end, until - start);
            confirmed = end >= time.confirmingEnd();
        }
        libAv.av_packet_unref(packet);
    }
    libAv.av_packet_free(&packet);
    return result == AVERROR_EOF && !confirmed ? end : PlayingTime::unknown;
}

std::uint32_t MediaFile::durationSeconds()
{
    if (!context)
        return 0;
    // The header's figures cost nothing; the streams are only read (which
    // decodes a little) where neither the container nor a stream keeps one.
    PlayingTime time = playingTime();
    if (!(time.seconds() > 0)) {
        if (!findStreams())
            return 0;
        time = playingTime();
    }
    if (time.isDoubtful(fileBytes)) {
        // The packets' times count from where the first picture or sound
        // starts, which before the streams are read is often not known.
        findStreams();
        time.setEndOfPackets(endOfPlayingPackets(time));
    }
    const double seconds = std::ceil(time.seconds() - 1e-6);
    if (!(seconds > 0)) {
        fail("the file has no playing time");
        return 0;
    }
    if (seconds > double(UINT32_MAX)) {
        fail("the playing time is out of range");
        return 0;
    }
    return std::uint32_t(seconds);
}

MediaFile::Stream MediaFile::firstStream(int mediaType) const
{
    Stream found;
    for (unsigned i = 0; context && i < context->nb_streams; ++i) {
        const AVStream *stream = context->streams[i];
        if (stream->codecpar->codec_type != mediaType || isCoverArt(stream))
            continue;
        found.index = int(i);
        found.codecId = stream->codecpar->codec_id;
        found.codecTag = stream->codecpar->codec_tag;
        break;
    }
    return found;
}

MediaFile::Stream MediaFile::videoStream() const
{
    return firstStream(AVMEDIA_TYPE_VIDEO);
}

MediaFile::Stream MediaFile::audioStream() const
{
    return firstStream(AVMEDIA_TYPE_AUDIO);
}

bool MediaFile::hasVideoPacket()
{
    const Stream video = videoStream();
    if (!video.exists())
        return false;
    AVPacket *packet = libAv.av_packet_alloc();
    bool found = false;
    while (!found && packet && libAv.av_read_frame(context, packet) >= 0) {
        found = packet->stream_index == video.index && packet->size > 0;
        libAv.av_packet_unref(packet);
    }
    libAv.av_packet_free(&packet);
    return found;
}

double MediaFile::keyframeAfterSeek(double seconds, std::chrono::milliseconds stallLimit)
{
    const Stream video = videoStream();
    if (!video.exists())
        return -1;
    const AVStream *pictures = stream(video.index);
    std::int64_t target = startTime() + std::int64_t(seconds * AV_TIME_BASE);
    // ffmpeg aims a little earlier where pictures are stored out of order.
    if (!(context->iformat->flags & AVFMT_SEEK_TO_PTS) && pictures->codecpar->video_delay > 0)
        target -= 3 * AV_TIME_BASE / 23;
    // ffmpeg seeks with every stream read.
    for (unsigned i = 0; i < context->nb_streams; ++i)
        context->streams[i]->discard = AVDISCARD_DEFAULT;
    deadline = std::chrono::steady_clock::now() + stallLimit;
    if (libAv.avformat_seek_file(context, -1, INT64_MIN, target, target, 0) < 0)
        return -1;
    double found = -1;
    readPackets(video.index, stallLimit, [&](const AVPacket &packet) {
        const std::int64_t time = packet.pts != AV_NOPTS_VALUE ? packet.pts : packet.dts;
        if (time == AV_NOPTS_VALUE)
            return true;
        const double at = double(libAv.av_rescale_q(time, pictures->time_base, AVRational{1, AV_TIME_BASE})
                                 - startTime()) / AV_TIME_BASE;
        if (packet.flags & AV_PKT_FLAG_KEY)
            found = at;
        // Ten seconds on without a keyframe, the seek is of no use.
        return found < 0 && at < seconds + 10;
    });
    return found;
}

bool MediaFile::videoPacketBits(std::vector<long long> &bits, std::chrono::milliseconds stallLimit)
{
    bits.clear();
    const Stream video = videoStream();
    return !video.exists() || readPackets(video.index, stallLimit, [&bits](const AVPacket &packet) {
        bits.push_back(8LL * packet.size);
        return true;
    });
}

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

} // namespace

void MediaFile::addVideoFacts(InputFacts &facts) const
{
    const Stream video = videoStream();
    if (!video.exists())
        return;
    const AVStream *stream = context->streams[video.index];
    const AVCodecParameters *codec = stream->codecpar;
    facts.width = codec->width;
    facts.height = codec->height;
    facts.pixelAspect = rate(stream->sample_aspect_ratio.num > 0 ? stream->sample_aspect_ratio
                                                                  : codec->sample_aspect_ratio);
    facts.quarterTurn = turnedByAQuarter(stream);
    facts.scan = scan(codec->field_order);
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

InputFacts MediaFile::facts(int soundStream) const
{
    InputFacts facts;
    if (!context)
        return facts;
    addVideoFacts(facts);
    const AVStream *sound = stream(soundStream);
    if (sound && sound->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) {
        facts.soundStream = soundStream;
        facts.sampleRate = sound->codecpar->sample_rate;
    }
    return facts;
}

std::int64_t MediaFile::startTime() const
{
    return context && context->start_time != AV_NOPTS_VALUE ? context->start_time : 0;
}

const AVStream *MediaFile::stream(int index) const
{
    return context && index >= 0 && unsigned(index) < context->nb_streams ? context->streams[index] : nullptr;
}

namespace {

StreamDescription::Kind kindOf(const AVStream *stream)
{
    switch (stream->codecpar->codec_type) {
    case AVMEDIA_TYPE_VIDEO:
        return isCoverArt(stream) ? StreamDescription::Kind::Other : StreamDescription::Kind::Video;
    case AVMEDIA_TYPE_AUDIO:
        return StreamDescription::Kind::Audio;
    case AVMEDIA_TYPE_SUBTITLE:
        return StreamDescription::Kind::Subtitle;
    default:
        return StreamDescription::Kind::Other;
    }
}

// Blu-ray captions are cleared by an empty display set of their own, and
// MP4 text tracks fill the gaps between lines with empty samples; only the
// packets that show something are cues.
bool hasClearingPackets(const AVStream *stream)
{
    return stream->codecpar->codec_id == AV_CODEC_ID_HDMV_PGS_SUBTITLE
           || stream->codecpar->codec_id == AV_CODEC_ID_MOV_TEXT;
}

bool showsCue(const AVStream *stream, const AVPacket &packet)
{
    switch (stream->codecpar->codec_id) {
    case AV_CODEC_ID_HDMV_PGS_SUBTITLE:
        // A display set's composition segment: 3 bytes of segment header,
        // then the number of objects shown at offset 10.
        return packet.size > 13 && packet.data[0] == 0x16 && packet.data[13] > 0;
    case AV_CODEC_ID_MOV_TEXT:
        return packet.size > 2 && ((packet.data[0] << 8) | packet.data[1]) > 0;
    default:
        return packet.size > 0;
    }
}

// MP4 counts a track's samples in its header, mkvmerge writes Matroska's
// statistics tags ("NUMBER_OF_FRAMES-eng"); other containers keep none.
int knownCueCount(const LibAv &libAv, const AVStream *stream)
{
    if (stream->codecpar->codec_type != AVMEDIA_TYPE_SUBTITLE || hasClearingPackets(stream))
        return -1;
    if (stream->nb_frames > 0 && stream->nb_frames <= INT_MAX)
        return int(stream->nb_frames);
    const AVDictionaryEntry *tag = libAv.av_dict_get(stream->metadata, "NUMBER_OF_FRAMES", nullptr,
                                                     AV_DICT_IGNORE_SUFFIX);
    if (!tag)
        return -1;
    char *end = nullptr;
    const long count = std::strtol(tag->value, &end, 10);
    return end != tag->value && *end == '\0' && count >= 0 && count <= INT_MAX ? int(count) : -1;
}

} // namespace

std::vector<StreamDescription> MediaFile::streamDescriptions() const
{
    std::vector<StreamDescription> descriptions;
    for (unsigned i = 0; context && i < context->nb_streams; ++i) {
        const AVStream *stream = context->streams[i];
        StreamDescription description;
        description.index = int(i);
        description.kind = kindOf(stream);
        description.codecId = stream->codecpar->codec_id;
        if (const AVDictionaryEntry *language = libAv.av_dict_get(stream->metadata, "language", nullptr, 0))
            description.language = language->value;
        description.isDefault = stream->disposition & AV_DISPOSITION_DEFAULT;
        description.forced = stream->disposition & AV_DISPOSITION_FORCED;
        description.commentary = stream->disposition & AV_DISPOSITION_COMMENT;
        description.hearingImpaired = stream->disposition & AV_DISPOSITION_HEARING_IMPAIRED;
        description.visualImpaired = stream->disposition & AV_DISPOSITION_VISUAL_IMPAIRED;
        description.cueCount = knownCueCount(libAv, stream);
        descriptions.push_back(description);
    }
    return descriptions;
}

void MediaFile::countCues(std::vector<StreamDescription> &streams, std::chrono::milliseconds timeLimit)
{
    if (!context)
        return;
    const auto uncounted = [&](const StreamDescription &description) {
        return description.kind == StreamDescription::Kind::Subtitle && description.cueCount < 0
               && unsigned(description.index) < context->nb_streams;
    };
    std::vector<int> counts(context->nb_streams, 0);
    for (unsigned i = 0; i < context->nb_streams; ++i)
        context->streams[i]->discard = AVDISCARD_ALL;
    for (const StreamDescription &description : streams) {
        if (uncounted(description))
            context->streams[description.index]->discard = AVDISCARD_DEFAULT;
    }
    deadline = std::chrono::steady_clock::now() + timeLimit;
    AVPacket *packet = libAv.av_packet_alloc();
    if (!packet || libAv.avformat_seek_file(context, -1, INT64_MIN, startTime(), startTime(), 0) < 0) {
        libAv.av_packet_free(&packet);
        return;
    }
    while (libAv.av_read_frame(context, packet) >= 0) {
        if (unsigned(packet->stream_index) < counts.size()
            && showsCue(context->streams[packet->stream_index], *packet))
            ++counts[packet->stream_index];
        libAv.av_packet_unref(packet);
    }
    libAv.av_packet_free(&packet);
    for (StreamDescription &description : streams) {
        if (uncounted(description))
            description.cueCount = counts[description.index];
    }
}

bool MediaFile::readPackets(int streamIndex, std::chrono::milliseconds stallLimit,
                            const std::function<bool(const AVPacket &)> &onPacket)
{
    if (!stream(streamIndex))
        return fail("no such stream");
    for (unsigned i = 0; i < context->nb_streams; ++i)
        context->streams[i]->discard = int(i) == streamIndex ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
    AVPacket *packet = libAv.av_packet_alloc();
    if (!packet)
        return fail("out of memory");
    bool more = true;
    int result = 0;
    readStall = stallLimit;
    while (more) {
        deadline = std::chrono::steady_clock::now() + stallLimit;
        result = libAv.av_read_frame(context, packet);
        if (result < 0)
            break;
        more = packet->stream_index != streamIndex || onPacket(*packet);
        libAv.av_packet_unref(packet);
    }
    libAv.av_packet_free(&packet);
    readStall = std::chrono::milliseconds(0);
    if (!more || result == AVERROR_EOF)
        return more;
    if (StopSignals::requested())
        return fail("stopped");
    if (std::chrono::steady_clock::now() > deadline)
        return fail("reading the file took too long");
    return fail("cannot read the file", result);
}
