#ifndef SEGMENTPLAN_H
#define SEGMENTPLAN_H

#include "transcoder/encoding/videosegment.h"
#include "transcoder/media/inputfacts.h"

#include <vector>

// How one conversion is cut into consecutive video segments that several
// ffmpeg processes encode at once. Segments are sets of output pictures:
// a picture belongs to the segment whose span holds its time on the output
// timeline, the single run's, so every picture comes exactly once and in
// order whatever the filters do. Each boundary lies half a picture before
// the output picture that opens the next segment, which is where a single
// run puts a forced keyframe when the segment length is a multiple of its
// ten seconds. A segment decodes from a little earlier (its seek point), so
// that the stateful filters (the deinterlacer, the rate filter) have their
// past when its first picture comes.
class SegmentPlan
{
public:
    using Segment = VideoSegment;

    // The duration in seconds (0 when unknown); segmentSeconds is both the
    // length of a segment and the playing time up to which one process does
    // it all. Never more than mostSegments: a longer film gets longer ones,
    // so that its pieces, their files and the time to plan them stay few.
    SegmentPlan(const InputFacts &facts, double durationSeconds, double segmentSeconds, int jobs, int mostSegments);

    const std::vector<Segment> &segments() const { return list; }
    bool isSegmented() const { return list.size() > 1; }
    // The span of a segment in seconds, the remaining playing time for the last.
    double seconds(std::size_t index) const;
    // Where a seek finds its keyframe after its point, ffmpeg decodes from
    // that keyframe. The point from which a segment then starts on a kept
    // picture: half a picture before the first at or after the keyframe;
    // -1 when that leaves the filters too little past before the segment.
    double decodingPoint(std::size_t index, double keyframe) const;
    // A point three times as far back from the segment's start, down to 0.
    double fartherBack(std::size_t index, double seek) const;
    void setSeek(std::size_t index, double seek) { list.at(index).seek = seek; }

private:
    double seekPoint(double start) const;
    double alignedSeek(double point) const;

    InputFacts facts;
    InputFacts::Rate outputRate;
    int inputCycle = 1;
    double duration = 0;
    std::vector<Segment> list;
};

#endif // SEGMENTPLAN_H
