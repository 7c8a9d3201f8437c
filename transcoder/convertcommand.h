#ifndef CONVERTCOMMAND_H
#define CONVERTCOMMAND_H

#include "transcoder/encoding/outputbudget.h"
#include "transcoder/media/inputfacts.h"
#include "transcoder/media/libav.h"
#include "transcoder/subtitles/burnedcaptions.h"
#include "transcoder/subtitles/subtitleoutput.h"
#include "transcoder/run/ffmpegprocess.h"

#include <cstdint>
#include <chrono>
#include <memory>
#include <string>

class FfmpegCommand;
class ProgressSender;
class SegmentPlan;
class TemporaryOutput;

// What the environment sets for a conversion, read once at its start so
// that every part of it works with the same values.
struct ToolSettings
{
    // ffmpeg reports ten times a second while its work moves; it is silent
    // only while it opens the input (a slow network file, a disk spinning
    // up) or waits on one read. A minute is far beyond those, yet frees a
    // batch that a stuck file would hold for ever (TARVELO_STALL_SECONDS).
    static constexpr int defaultStallSeconds = 60;
    // ffmpeg closes its files within moments of SIGTERM; a second is ample
    // for that and still answers a stop at once (TARVELO_STOP_GRACE_SECONDS).
    static constexpr int defaultStopGraceSeconds = 1;
    // A film this short is done in well under a minute by one process, and
    // a join in so many places costs next to nothing in size
    // (TARVELO_SEGMENT_SECONDS).
    static constexpr int defaultSegmentSeconds = 120;

    // The stall limit also bounds each read of the input in-process.
    FfmpegProcess::Limits limits;
    // One encoder process per core keeps them all busy; 1 gives the single
    // process of old (TARVELO_ENCODE_JOBS).
    int encodeJobs = 1;
    double segmentSeconds = defaultSegmentSeconds;
    // The reader's language tag, from the locale's variables.
    std::string readerLanguage;
    // The size no output may pass, 0 for a setting that is no size
    // (TARVELO_MAX_OUTPUT_MB; OutputBudget), and the MB it was told in.
    long long outputLimitBytes = 0;
    long long outputLimitMegabytes = 0;

    static ToolSettings fromEnvironment();
};

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
    bool surveyFields(int jobs);
    bool encodeInOne(const FfmpegCommand &command, TemporaryOutput &output, ProgressSender &sender);
    bool settleSeeks(SegmentPlan &plan);
    bool encodeInSegments(const FfmpegCommand &command, TemporaryOutput &output, const SegmentPlan &plan, int jobs,
                          ProgressSender &sender, std::unique_ptr<TemporaryOutput> sound);
    // False with a reason when the output cannot fit its limit; sound gets
    // the sound when it had to be encoded first.
    bool planSize(const FfmpegCommand &command, std::unique_ptr<TemporaryOutput> &sound);
    std::string overLimit(long long size) const;
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
    // Whether the detector looked for pulldown.
    bool fieldsSurveyed = false;
    std::string pulldownNote;
    // What reading the input told; the duration is 0 when unknown.
    std::uint32_t duration = 0;
    InputFacts inputFacts;
    // How the picture was fitted to the size the output must keep within.
    OutputBudget::Plan budget;
};

#endif // CONVERTCOMMAND_H
