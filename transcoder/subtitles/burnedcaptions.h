#ifndef BURNEDCAPTIONS_H
#define BURNEDCAPTIONS_H

#include "captionplacement.h"
#include "transcoder/media/timespans.h"
#include "transcoder/media/streamdescription.h"

#include <chrono>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class LibAv;
class TemporaryOutput;

// A picture subtitle track burned into the film, for players that take no
// subtitles beside an AVI but a .srt file. Its captions are decoded once
// per conversion into a temporary file beside the output that every ffmpeg
// process of the conversion reads: the captions as a video of the output's
// size (CaptionVideo), timed on the film filters' own timeline. The spans
// in which any caption is shown are kept, so that blending costs nothing
// while none is. A damaged track never fails the film: what cannot be
// decoded is left out and said on standard error.
class BurnedCaptions
{
public:
    // libAv must outlive the object. stallLimit: how long reading the input
    // may wait on one read.
    BurnedCaptions(const LibAv &libAv, const std::string &inputPath, const std::string &outputPath,
                   std::chrono::milliseconds stallLimit);
    ~BurnedCaptions();
    BurnedCaptions(const BurnedCaptions &) = delete;
    BurnedCaptions &operator=(const BurnedCaptions &) = delete;

    // track.index -1: nothing to burn.
    void choose(const StreamDescription &track, bool forcedOnly);
    // Decodes and writes the captions for pictures of sizes' picture and
    // output size (its canvas fields unused); shiftSeconds is where the
    // output's time 0 lies on the filters' timeline, filmSeconds how long the
    // output plays (0: not known). False only when a stop request ended the
    // work; without any caption to burn, exists() is false.
    bool write(const CaptionPlacement::Sizes &sizes, double shiftSeconds, double filmSeconds);
    bool exists() const { return video != nullptr; }
    // Valid while exists(): the file for ffmpeg, and its descriptor for it to inherit.
    std::string videoPath() const;
    int videoFd() const;
    // When any caption is shown, on the filters' timeline; touching spans are one.
    const TimeSpans &shown() const { return spans; }
    // The track's language tag; empty when unknown.
    const std::string &language() const { return track.language; }

private:
    struct Writer;
    void discard();

    const LibAv &libAv;
    std::string inputPath;
    std::string outputPath;
    std::chrono::milliseconds stallLimit;
    StreamDescription track;
    bool forcedOnly = false;
    std::unique_ptr<TemporaryOutput> video;
    TimeSpans spans;
};

#endif // BURNEDCAPTIONS_H
