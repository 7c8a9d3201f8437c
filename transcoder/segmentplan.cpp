#include "segmentplan.h"

#include "playerenvelope.h"

#include <algorithm>
#include <cmath>

namespace {
// Forced keyframes come every ten seconds; segments as long as a few of
// those are cut on them, so that a join adds no keyframe.
constexpr double keyframeSeconds = 10;
// Deinterlacing looks one picture back and the rate filter repeats the last
// picture before a tick: a second, or three source pictures where they are
// rarer, gives both their past.
constexpr double prerollSeconds = 1;
constexpr int prerollPictures = 3;
// The processes finish together when the segments come in whole rounds of
// the jobs. Long segments are cut on the forced keyframes, at the length,
// down to half of it, that ends the last round soonest; short ones (tests)
// are equal parts in a multiple of the jobs.
double segmentLength(double duration, double segmentSeconds, int jobs)
{
    if (segmentSeconds < 2 * keyframeSeconds) {
        const int count = int(std::ceil(duration / segmentSeconds));
        return duration / ((count + jobs - 1) / jobs * jobs);
    }
    double best = 0, bestWall = 0;
    for (double length = std::floor(segmentSeconds / keyframeSeconds) * keyframeSeconds;
         length >= segmentSeconds / 2; length -= keyframeSeconds) {
        const double count = std::ceil(duration / length - 1e-9);
        const double wall = std::ceil(count / jobs) * length;
        if (best == 0 || wall < bestWall) {
            best = length;
            bestWall = wall;
        }
    }
    return best;
}

} // namespace

SegmentPlan::SegmentPlan(const InputFacts &facts, double durationSeconds, double segmentSeconds, int jobs)
    : facts(facts)
    , duration(durationSeconds)
{
    const PlayerEnvelope envelope(facts);
    outputRate = envelope.frameRate();
    pictureStep = envelope.pictureStep();
    list.push_back({});
    // Without a rate there is no picture grid to cut on.
    if (jobs <= 1 || outputRate.num <= 0 || !(segmentSeconds > 0) || !(durationSeconds > segmentSeconds))
        return;
    const double length = segmentLength(durationSeconds, segmentSeconds, jobs);
    const double rate = outputRate.value();
    for (int index = 1; index * length < durationSeconds - 1e-9; ++index) {
        Segment segment;
        segment.firstPicture = (long long)std::ceil(index * length * rate - 1e-6);
        segment.start = (segment.firstPicture - 0.5) / rate;
        segment.hasStart = true;
        segment.seek = seekPoint(segment.start);
        list.back().end = segment.start;
        list.back().hasEnd = true;
        list.push_back(segment);
    }
}

double SegmentPlan::seekPoint(double start) const
{
    const double inputRate = facts.frameRate.value();
    double preroll = prerollSeconds;
    if (inputRate > 0)
        preroll = std::max(preroll, prerollPictures / inputRate);
    return alignedSeek(start - preroll);
}

// A source picture that is dropped to halve a rate must be dropped in the
// segment as in the single run, which keeps every step-th from the first:
// the segment's decoding starts on such a picture.
double SegmentPlan::alignedSeek(double point) const
{
    const double inputRate = facts.frameRate.value();
    if (pictureStep <= 1 || inputRate <= 0)
        return std::max(0.0, point);
    const long long picture = (long long)std::floor((point - facts.videoStart) * inputRate / pictureStep) * pictureStep;
    if (picture <= 0)
        return 0;
    return facts.videoStart + (picture - 0.5) / inputRate;
}

bool SegmentPlan::moveSeekBack(std::size_t index)
{
    Segment &segment = list.at(index);
    if (segment.seek <= 0)
        return false;
    const double back = std::max(keyframeSeconds, 3 * (segment.start - segment.seek));
    segment.seek = alignedSeek(segment.start - back);
    return true;
}

double SegmentPlan::seconds(std::size_t index) const
{
    const Segment &segment = list.at(index);
    const double start = segment.hasStart ? segment.start : 0;
    const double end = segment.hasEnd ? segment.end : duration;
    return std::max(0.0, end - start);
}
