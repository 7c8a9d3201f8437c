#include "trackchoice.h"

#include "languagecode.h"
#include "transcoder/media/libav.h"

#include <algorithm>
#include <array>
#include <functional>

namespace {

using Streams = std::vector<StreamDescription>;
// How well a track serves, most telling first; compared as a whole.
using Rank = std::array<int, 5>;
using Ranking = std::function<Rank(const StreamDescription &)>;
using Test = std::function<bool(const StreamDescription &)>;

// The best qualifying track; the earlier of two equal ones.
const StreamDescription *best(const Streams &streams, const Test &qualifies, const Ranking &rank)
{
    const StreamDescription *chosen = nullptr;
    for (const StreamDescription &stream : streams) {
        if (qualifies(stream) && (!chosen || rank(stream) > rank(*chosen)))
            chosen = &stream;
    }
    return chosen;
}

// Commentary, audio description and sound for the hearing impaired are
// extras beside the film's own sound, and their subtitle counterparts
// extras beside the film's own lines.
bool isExtra(const StreamDescription &stream)
{
    return stream.commentary || stream.hearingImpaired || stream.visualImpaired;
}

bool isUsableSubtitle(const StreamDescription &stream)
{
    return stream.kind == StreamDescription::Kind::Subtitle
           && (TrackChoice::isTextSubtitle(stream.codecId) || TrackChoice::isPictureSubtitle(stream.codecId));
}

// Films often carry the translation of lines spoken in another language as
// an ordinary track: one with at most a tenth of the cues of the fullest
// track in its language is such a track, whatever its flags say.
bool isForcedTrack(const Streams &streams, const StreamDescription &track)
{
    if (track.forced)
        return true;
    if (track.cueCount < 0)
        return false;
    int fullest = 0;
    for (const StreamDescription &other : streams) {
        if (isUsableSubtitle(other) && LanguageCode::same(other.language, track.language))
            fullest = std::max(fullest, other.cueCount);
    }
    return fullest > 0 && track.cueCount * 10 <= fullest;
}

// A reader who does not understand the sound wants every line: a full track
// beats one for the hearing impaired, which beats the forced lines (signs
// and foreign speech) alone, which beat a commentary.
int fullness(const StreamDescription &track, bool forced)
{
    if (forced)
        return 1;
    if (track.commentary || track.visualImpaired)
        return 0;
    return track.hearingImpaired ? 2 : 3;
}

TrackChoice::Subtitles chosen(const StreamDescription *track, bool forcedOnly)
{
    TrackChoice::Subtitles subtitles;
    if (!track)
        return subtitles;
    if (TrackChoice::isTextSubtitle(track->codecId))
        subtitles.text = track->index;
    else
        subtitles.picture = track->index;
    subtitles.forcedOnly = forcedOnly && subtitles.picture >= 0;
    return subtitles;
}

// Every line, in the reader's language, else from a track flagged default or
// forced; the fullest of those, and a text track before pictures of the same
// rank, since the viewer can switch it off.
TrackChoice::Subtitles fullSubtitles(const Streams &streams, const std::string &reader)
{
    const auto isForced = [&](const StreamDescription &s) { return isForcedTrack(streams, s); };
    const auto inReaderLanguage = [&](const StreamDescription &s) { return LanguageCode::same(s.language, reader); };
    const StreamDescription *track = best(
        streams,
        [&](const StreamDescription &s) {
            return isUsableSubtitle(s) && (inReaderLanguage(s) || s.isDefault || isForced(s));
        },
        [&](const StreamDescription &s) {
            return Rank{inReaderLanguage(s), fullness(s, isForced(s)), TrackChoice::isTextSubtitle(s.codecId),
                        s.isDefault};
        });
    return chosen(track, false);
}

// Only the forced lines, in the language the viewer is taken to understand:
// a forced track, else the forced captions inside an ordinary picture track
// (a text track has no forced cues). Without a reader's language, the
// sound's language serves, and a track flagged default qualifies too.
TrackChoice::Subtitles forcedSubtitles(const Streams &streams, const std::string &language, bool readerKnown)
{
    const auto isForced = [&](const StreamDescription &s) { return isForcedTrack(streams, s); };
    const auto inLanguage = [&](const StreamDescription &s) { return LanguageCode::same(s.language, language); };
    const StreamDescription *track = best(
        streams,
        [&](const StreamDescription &s) {
            if (!isUsableSubtitle(s))
                return false;
            const bool own = inLanguage(s) && (isForced(s) || TrackChoice::isPictureSubtitle(s.codecId));
            return own || (!readerKnown && (s.isDefault || isForced(s)));
        },
        [&](const StreamDescription &s) {
            return Rank{inLanguage(s), isForced(s), !isExtra(s), TrackChoice::isTextSubtitle(s.codecId),
                        s.isDefault};
        });
    return chosen(track, track && !isForced(*track));
}

} // namespace

int TrackChoice::sound(const Streams &streams, const std::string &reader)
{
    const StreamDescription *track = best(
        streams, [](const StreamDescription &s) { return s.kind == StreamDescription::Kind::Audio; },
        [&](const StreamDescription &s) {
            return Rank{!isExtra(s), LanguageCode::same(s.language, reader), s.isDefault};
        });
    return track ? track->index : -1;
}

TrackChoice::Subtitles TrackChoice::subtitles(const Streams &streams, const std::string &reader, int soundIndex)
{
    const auto sound = std::find_if(streams.begin(), streams.end(),
                                    [&](const StreamDescription &s) { return s.index == soundIndex; });
    const std::string soundLanguage = sound != streams.end() ? sound->language : std::string();
    if (reader.empty())
        return forcedSubtitles(streams, soundLanguage, false);
    if (LanguageCode::same(soundLanguage, reader))
        return forcedSubtitles(streams, reader, true);
    return fullSubtitles(streams, reader);
}

bool TrackChoice::needsCueCounts(const Streams &streams)
{
    for (const StreamDescription &track : streams) {
        if (!isUsableSubtitle(track) || track.forced)
            continue;
        for (const StreamDescription &other : streams) {
            if (&other != &track && isUsableSubtitle(other) && LanguageCode::same(other.language, track.language)
                && (track.cueCount < 0 || other.cueCount < 0))
                return true;
        }
    }
    return false;
}

bool TrackChoice::isTextSubtitle(int codecId)
{
    switch (codecId) {
    case AV_CODEC_ID_SUBRIP:
    case AV_CODEC_ID_SRT:
    case AV_CODEC_ID_ASS:
    case AV_CODEC_ID_SSA:
    case AV_CODEC_ID_MOV_TEXT:
    case AV_CODEC_ID_WEBVTT:
        return true;
    default:
        return false;
    }
}

bool TrackChoice::isPictureSubtitle(int codecId)
{
    switch (codecId) {
    case AV_CODEC_ID_DVD_SUBTITLE:
    case AV_CODEC_ID_HDMV_PGS_SUBTITLE:
    case AV_CODEC_ID_DVB_SUBTITLE:
    case AV_CODEC_ID_XSUB:
        return true;
    default:
        return false;
    }
}
