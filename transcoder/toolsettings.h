#ifndef TOOLSETTINGS_H
#define TOOLSETTINGS_H

#include "transcoder/run/ffmpegprocess.h"

#include <string>

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

    static ToolSettings fromEnvironment();
};

#endif // TOOLSETTINGS_H
