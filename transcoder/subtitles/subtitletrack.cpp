#include "subtitletrack.h"

#include "transcoder/media/libav.h"
#include "transcoder/run/stopsignals.h"
#include "subtitletext.h"

#include <algorithm>

namespace {
// A cue whose end the file does not tell stays until the next one, at most this long.
constexpr std::int64_t longestOpenCue = 5000;
constexpr std::int64_t openEnd = -1;
// Where the language does not tell, text in a code page is most often Western European.
constexpr int westernCodePage = 1252;
} // namespace

SubtitleTrack::SubtitleTrack(const LibAv &libAv)
    : libAv(libAv)
    , decoder(libAv)
{
}

bool SubtitleTrack::read(const std::string &path, int streamIndex, int codePage,
                         std::chrono::milliseconds stallLimit)
{
    if (readAs(path, streamIndex, std::string(), stallLimit))
        return true;
    if (!textNotUtf8 || StopSignals::requested())
        return false;
    // Older tools stored subtitles in the code page of their language, which
    // libavcodec refuses as text unless told to convert from it.
    readCues.clear();
    return readAs(path, streamIndex, "CP" + std::to_string(codePage > 0 ? codePage : westernCodePage), stallLimit);
}

bool SubtitleTrack::readAs(const std::string &path, int streamIndex, const std::string &characterSet,
                           std::chrono::milliseconds stallLimit)
{
    decoder.setCharacterSet(characterSet);
    if (!decoder.read(path, streamIndex, stallLimit, [this](const AVPacket &packet) { return decode(packet); }))
        return false;
    closeOpenEnds();
    return true;
}

bool SubtitleTrack::decode(const AVPacket &packet)
{
    const std::int64_t timestamp = SubtitleDecoder::timestamp(packet);
    AVSubtitle subtitle;
    int got = 0;
    const int result = decoder.decode(packet, subtitle, got);
    if (result < 0) {
        textNotUtf8 = result == AVERROR_INVALIDDATA;
        return decoder.fail("cannot decode the subtitles", result);
    }
    if (!got || timestamp == AV_NOPTS_VALUE) {
        if (got)
            libAv.avsubtitle_free(&subtitle);
        return true;
    }
    std::string text;
    for (unsigned i = 0; i < subtitle.num_rects; ++i) {
        const AVSubtitleRect *rect = subtitle.rects[i];
        const std::string part = rect->ass ? SubtitleText::fromAssEvent(rect->ass)
                                           : SubtitleText::fromAssText(rect->text ? rect->text : "");
        if (!part.empty())
            text += (text.empty() ? "" : "\n") + part;
    }
    const std::int64_t shown = decoder.outputTime(timestamp);
    std::int64_t end = openEnd;
    if (packet.duration > 0)
        end = decoder.outputTime(timestamp + packet.duration);
    else if (subtitle.end_display_time > subtitle.start_display_time && subtitle.end_display_time != UINT32_MAX)
        end = shown + subtitle.end_display_time;
    addCue(shown + subtitle.start_display_time, end, text);
    libAv.avsubtitle_free(&subtitle);
    return true;
}

// Lines before the first picture are cut to start with it.
void SubtitleTrack::addCue(std::int64_t start, std::int64_t end, const std::string &text)
{
    if (text.empty() || (end != openEnd && end <= std::max<std::int64_t>(start, 0)))
        return;
    readCues.push_back({std::max<std::int64_t>(start, 0), end, text});
}

void SubtitleTrack::closeOpenEnds()
{
    std::stable_sort(readCues.begin(), readCues.end(),
                     [](const SubRipFile::Cue &a, const SubRipFile::Cue &b) { return a.start < b.start; });
    for (std::size_t i = 0; i < readCues.size(); ++i) {
        SubRipFile::Cue &cue = readCues[i];
        if (cue.end != openEnd)
            continue;
        cue.end = cue.start + longestOpenCue;
        if (i + 1 < readCues.size() && readCues[i + 1].start > cue.start)
            cue.end = std::min(cue.end, readCues[i + 1].start);
    }
}
