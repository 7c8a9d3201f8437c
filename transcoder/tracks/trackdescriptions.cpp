#include "trackdescriptions.h"

#include "transcoder/media/libav.h"
#include "transcoder/media/mediafile.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace {

StreamDescription::Kind kindOf(const AVStream *stream)
{
    switch (stream->codecpar->codec_type) {
    case AVMEDIA_TYPE_VIDEO:
        return MediaFile::isCoverArt(stream) ? StreamDescription::Kind::Other : StreamDescription::Kind::Video;
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

std::vector<StreamDescription> describeTracks(const MediaFile &file)
{
    const LibAv &libAv = file.library();
    const AVFormatContext *context = file.format();
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

void countCues(MediaFile &file, std::vector<StreamDescription> &tracks, std::chrono::milliseconds timeLimit)
{
    const AVFormatContext *context = file.format();
    if (!context)
        return;
    const auto uncounted = [&](const StreamDescription &description) {
        return description.kind == StreamDescription::Kind::Subtitle && description.cueCount < 0
               && unsigned(description.index) < context->nb_streams;
    };
    const auto reads = [&](int index) {
        return std::any_of(tracks.begin(), tracks.end(),
                           [&](const StreamDescription &track) { return track.index == index && uncounted(track); });
    };
    std::vector<int> counts(context->nb_streams, 0);
    if (!file.seek(file.startTime(), MediaFile::Clock::now() + timeLimit, reads))
        return;
    file.readOn([&](const AVPacket &packet) {
        if (unsigned(packet.stream_index) < counts.size() && showsCue(file.stream(packet.stream_index), packet))
            ++counts[packet.stream_index];
        return true;
    });
    for (StreamDescription &description : tracks) {
        if (uncounted(description))
            description.cueCount = counts[description.index];
    }
}
