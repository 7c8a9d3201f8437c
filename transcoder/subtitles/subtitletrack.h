#ifndef SUBTITLETRACK_H
#define SUBTITLETRACK_H

#include "subripfile.h"
#include "subtitledecoder.h"

#include <chrono>
#include <string>
#include <vector>

class LibAv;
struct AVPacket;

// The cues of a text subtitle track embedded in a media file, decoded
// in-process and timed on the output's own timeline. ffmpeg shifts every
// stream by the input's start time, so that the AVI begins at 0 where the
// input's earliest stream begins (with the first picture, when the sound
// starts no earlier).
class SubtitleTrack
{
public:
    // libAv must be loaded.
    explicit SubtitleTrack(const LibAv &libAv);
    SubtitleTrack(const SubtitleTrack &) = delete;
    SubtitleTrack &operator=(const SubtitleTrack &) = delete;

    // False when the track cannot be read through, or on a stop request.
    // Text that is not UTF-8 is read in codePage, the one of the track's
    // language (0: none known).
    bool read(const std::string &path, int streamIndex, int codePage, std::chrono::milliseconds stallLimit);
    const std::vector<SubRipFile::Cue> &cues() const { return readCues; }
    const std::string &error() const { return decoder.error(); }

private:
    bool readAs(const std::string &path, int streamIndex, const std::string &characterSet,
                std::chrono::milliseconds stallLimit);
    bool decode(const AVPacket &packet);
    void addCue(std::int64_t start, std::int64_t end, const std::string &text);
    void closeOpenEnds();

    const LibAv &libAv;
    SubtitleDecoder decoder;
    bool textNotUtf8 = false;
    std::vector<SubRipFile::Cue> readCues;
};

#endif // SUBTITLETRACK_H
