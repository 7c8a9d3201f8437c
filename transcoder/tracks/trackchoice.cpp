#include "trackchoice.h"

#include "languagecode.h"
#include "transcoder/media/libav.h"

#include <functional>

namespace {

using Streams = std::vector<StreamDescription>;
using Test = std::function<bool(const StreamDescription &)>;

const StreamDescription *first(const Streams &streams, const Test &test)
{
    for (const StreamDescription &stream : streams) {
        if (test(stream))
            return &stream;
    }
    return nullptr;
}

int indexOf(const StreamDescription *stream)
{
    return stream ? stream->index : -1;
}

// Commentary, audio description and sound for the hearing impaired are
// extras beside the film's own sound.
bool isExtraSound(const StreamDescription &stream)
{
    return stream.commentary || stream.hearingImpaired || stream.visualImpaired;
}

// A reader who does not understand the sound wants every line, so a full
// track beats one made for the hearing impaired, which beats one of only the
// forced lines (signs and foreign speech).
const StreamDescription *fullestIn(const Streams &streams, const std::string &reader, const Test &isCandidate)
{
    const Test inLanguage = [&](const StreamDescription &s) {
        return isCandidate(s) && LanguageCode::same(s.language, reader);
    };
    if (const StreamDescription *plain = first(streams, [&](const StreamDescription &s) {
            return inLanguage(s) && !s.forced && !s.hearingImpaired; }))
        return plain;
    if (const StreamDescription *full = first(streams, [&](const StreamDescription &s) {
            return inLanguage(s) && !s.forced; }))
        return full;
    return first(streams, inLanguage);
}

const StreamDescription *chooseSubtitle(const Streams &streams, const std::string &reader,
                                        bool soundInReaderLanguage, const Test &isCandidate)
{
    const Test flagged = [&](const StreamDescription &s) { return isCandidate(s) && (s.isDefault || s.forced); };
    if (reader.empty())
        return first(streams, flagged);
    if (soundInReaderLanguage) {
        return first(streams, [&](const StreamDescription &s) {
            return isCandidate(s) && s.forced && LanguageCode::same(s.language, reader);
        });
    }
    if (const StreamDescription *own = fullestIn(streams, reader, isCandidate))
        return own;
    return first(streams, flagged);
}

} // namespace

int TrackChoice::sound(const Streams &streams, const std::string &reader)
{
    const auto isAudio = [](const StreamDescription &s) { return s.kind == StreamDescription::Kind::Audio; };
    const auto isFilmSound = [&](const StreamDescription &s) { return isAudio(s) && !isExtraSound(s); };
    if (!first(streams, isFilmSound))
        return indexOf(first(streams, isAudio));
    if (const StreamDescription *own = first(streams, [&](const StreamDescription &s) {
            return isFilmSound(s) && LanguageCode::same(s.language, reader); }))
        return own->index;
    if (const StreamDescription *flagged = first(streams, [&](const StreamDescription &s) {
            return isFilmSound(s) && s.isDefault; }))
        return flagged->index;
    return indexOf(first(streams, isFilmSound));
}

TrackChoice::Subtitles TrackChoice::subtitles(const Streams &streams, const std::string &reader, int soundIndex)
{
    const StreamDescription *sound = first(streams, [&](const StreamDescription &s) { return s.index == soundIndex; });
    const bool soundInReaderLanguage = sound && LanguageCode::same(sound->language, reader);
    const auto ofKind = [](bool (*isKind)(int)) {
        return [isKind](const StreamDescription &s) {
            return s.kind == StreamDescription::Kind::Subtitle && isKind(s.codecId);
        };
    };
    Subtitles chosen;
    chosen.text = indexOf(chooseSubtitle(streams, reader, soundInReaderLanguage, ofKind(isTextSubtitle)));
    if (chosen.text < 0)
        chosen.picture = indexOf(chooseSubtitle(streams, reader, soundInReaderLanguage, ofKind(isPictureSubtitle)));
    return chosen;
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
