#ifndef CONVERTCOMMAND_H
#define CONVERTCOMMAND_H

#include "transcoder/media/inputfacts.h"
#include "transcoder/media/libav.h"
#include "transcoder/subtitles/burnedcaptions.h"
#include "transcoder/subtitles/subtitleoutput.h"
#include "toolsettings.h"

#include <cstdint>
#include <chrono>
#include <string>

class FfmpegCommand;
class ProgressSender;
class SegmentPlan;
class TemporaryOutput;

// One conversion into an AVI file that either appears complete under its
// name or not at all.
class ConvertCommand
{
public:
    // Where the container does not count its subtitle cues, they are counted
    // for at most this long before the conversion starts: on a long film
    // from a slow disk, part of it tells as much.
    static constexpr std::chrono::seconds cueCountTimeLimit{10};

    ConvertCommand(const std::string &inputPath, const std::string &outputPath, int quality,
                   const ToolSettings &settings);
    int run();

private:
    bool checkPaths();
    std::string readInput();
    bool convert(TemporaryOutput &output);
    bool encodeInOne(const FfmpegCommand &command, TemporaryOutput &output, ProgressSender &sender);
    bool settleSeeks(SegmentPlan &plan);
    bool encodeInSegments(const FfmpegCommand &command, TemporaryOutput &output, const SegmentPlan &plan, int jobs,
                          ProgressSender &sender);
    bool checkWritten(const TemporaryOutput &output);
    bool burnCaptions(FfmpegCommand &command);
    bool publish(TemporaryOutput &output);
    void tellTracks() const;
    bool fail(const std::string &reason);
    int failureStatus() const;

    std::string inputPath;
    std::string outputPath;
    int quality;
    ToolSettings settings;
    LibAv libAv;
    SubtitleOutput subtitles;
    BurnedCaptions captions;
    // The chosen sound's language tag, and whether there is any sound.
    std::string soundLanguage;
    // The AVI was there before: the user chose to replace it, and its .srt with it.
    bool outputExisted = false;
    // What reading the input told; the duration is 0 when unknown.
    std::uint32_t duration = 0;
    InputFacts inputFacts;
};

#endif // CONVERTCOMMAND_H
