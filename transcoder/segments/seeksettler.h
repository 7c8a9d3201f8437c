#ifndef SEEKSETTLER_H
#define SEEKSETTLER_H

#include <chrono>
#include <cstddef>

class MediaFile;
class SegmentPlan;

// A container without an index (MPEG transport and program streams) may
// land a seek on the keyframe after its point; ffmpeg then decodes from
// there. Each segment's point is settled where decoding really starts, in
// time for the filters' past and on a kept picture, else from further back.
class SeekSettler
{
public:
    // A seek's reads end within this, as those of opening the file do: a
    // stuck read only loses the film its segments.
    static constexpr std::chrono::milliseconds stallLimit{15000};

    // The file must be open with its streams found; both must outlive this.
    SeekSettler(MediaFile &input, SegmentPlan &plan);

    // False when a later segment could only decode from the film's start, at
    // more cost than its own span: the film is better encoded in one go.
    bool settle();

private:
    bool settleAt(std::size_t index, double reach);
    // Where decoding starts after a seek to seconds from the file's start,
    // made as ffmpeg makes it: the time of the first video keyframe then
    // read, or -1. Containers without an index may land a keyframe late.
    double keyframeAfterSeek(double seconds);

    MediaFile &input;
    SegmentPlan &plan;
};

#endif // SEEKSETTLER_H
