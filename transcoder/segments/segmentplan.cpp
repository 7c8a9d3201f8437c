#include "segmentplan.h"

#include "transcoder/encoding/playerenvelope.h"

#include <algorithm>
#include <cmath>

namespace {
// Deinterlacing looks one picture back and the rate filter repeats the last
// picture before a tick: a second, or three source pictures where they are
// rarer, gives both their past.
constexpr double prerollSeconds = 1;
constexpr int prerollPictures = 3;
// How a film is cut: into segments of a length, the last piece joining the
// one before it where it would be no longer than the tail.
struct Cut
{
    double length = 0;
    double tail = 1e-9;

    bool hasBoundary(double duration, int index) const { return duration - index * length > tail; }
};

// When the last process ends, each segment going to whichever is free first
// and costing its preroll besides its own span.
double lastEnd(double duration, Cut cut, int jobs)
{
    std::vector<double> ends(std::size_t(jobs), 0.0);
    double from = 0;
    for (int index = 1; from < duration; ++index) {
        const double to = cut.hasBoundary(duration, index) ? index * cut.length : duration;
        *std::min_element(ends.begin(), ends.end()) += prerollSeconds + to - from;
        from = to;
    }
    return *std::max_element(ends.begin(), ends.end());
}

// Segments in whole rounds of the jobs, as near count as most allows.
int wholeRounds(int count, int jobs, int most)
{
    const int up = (count + jobs - 1) / jobs * jobs;
    if (up <= most)
        return up;
    const int down = most / jobs * jobs;
    return down >= 2 ? down : std::min(count, most);
}

// Lengths to try between the longest and half of it: on the grid of the
// forced keyframes, and few enough that a claim of years plans at once.
constexpr int mostLengthsTried = 16;

// The processes finish together when the segments come in whole rounds of
// the jobs. Long segments are cut on the forced keyframes, so that a join
// adds none, at the length, down to half of it, with which the last process
// ends soonest, a short tail joining the last or not; short ones (tests)
// are equal parts in a multiple of the jobs. A film that would need more
// than most segments gets longer ones.
Cut bestCut(double duration, double segmentSeconds, int jobs, int most, double keyframeSeconds)
{
    if (segmentSeconds < 2 * keyframeSeconds) {
        const double wanted = std::min(std::ceil(duration / segmentSeconds), double(most));
        return {duration / wholeRounds(int(wanted), jobs, most)};
    }
    const double lowest = std::max(segmentSeconds / 2, duration / most);
    double first = std::floor(std::max(segmentSeconds, duration / most) / keyframeSeconds + 1e-9) * keyframeSeconds;
    if (first < lowest)
        first = std::ceil(lowest / keyframeSeconds) * keyframeSeconds;
    const double step = keyframeSeconds
                        * std::max(1.0, std::ceil((first - lowest) / keyframeSeconds / mostLengthsTried));
    Cut best;
    double bestEnd = 0;
    for (double length = first; length >= lowest; length -= step) {
        for (const double tail : {keyframeSeconds, 1e-9}) {
            const double end = lastEnd(duration, {length, tail}, jobs);
            if (best.length == 0 || end < bestEnd) {
                best = {length, tail};
                bestEnd = end;
            }
        }
    }
    return best;
}

} // namespace

SegmentPlan::SegmentPlan(const InputFacts &facts, double durationSeconds, double segmentSeconds, int jobs,
                         int mostSegments)
    : facts(facts)
    , duration(durationSeconds)
{
    const PlayerEnvelope envelope(facts);
    outputRate = envelope.frameRate();
    inputCycle = envelope.inputCycle();
    list.push_back({});
    // Without a rate there is no picture grid to cut on.
    if (jobs <= 1 || mostSegments < 2 || outputRate.num <= 0 || !(segmentSeconds > 0)
        || !(durationSeconds > segmentSeconds))
        return;
    const Cut cut = bestCut(durationSeconds, segmentSeconds, jobs, mostSegments, envelope.keyframeSeconds());
    const double length = cut.length;
    const double rate = outputRate.value();
    for (int index = 1; cut.hasBoundary(durationSeconds, index); ++index) {
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

// A source picture that is dropped to halve a rate, or to undo pulldown,
// must be dropped in the segment as in the single run, which counts its
// groups (every step-th picture, the cycles of five) from the first: the
// segment's decoding starts on the first picture of a group.
double SegmentPlan::alignedSeek(double point) const
{
    const double inputRate = facts.frameRate.value();
    if (inputCycle <= 1 || inputRate <= 0)
        return std::max(0.0, point);
    const long long picture = (long long)std::floor((point - facts.videoStart) * inputRate / inputCycle) * inputCycle;
    if (picture <= 0)
        return 0;
    return facts.videoStart + (picture - 0.5) / inputRate;
}

double SegmentPlan::decodingPoint(std::size_t index, double keyframe) const
{
    const Segment &segment = list.at(index);
    const double inputRate = facts.frameRate.value();
    if (keyframe < 0 || inputRate <= 0)
        return -1;
    const long long picture = (long long)std::ceil((keyframe - facts.videoStart) * inputRate / inputCycle - 1e-6)
                              * inputCycle;
    const double point = std::max(0.0, facts.videoStart + (picture - 0.5) / inputRate);
    return point <= segment.start - prerollPictures / inputRate ? point : -1;
}

double SegmentPlan::fartherBack(std::size_t index, double seek) const
{
    const Segment &segment = list.at(index);
    return alignedSeek(segment.start - 3 * (segment.start - seek));
}

double SegmentPlan::seconds(std::size_t index) const
{
    const Segment &segment = list.at(index);
    const double start = segment.hasStart ? segment.start : 0;
    const double end = segment.hasEnd ? segment.end : duration;
    return std::max(0.0, end - start);
}
