#include "seeksettler.h"

#include "segmentplan.h"
#include "transcoder/media/mediafile.h"

SeekSettler::SeekSettler(MediaFile &input, SegmentPlan &plan)
    : input(input)
    , plan(plan)
{
}

bool SeekSettler::settle()
{
    for (std::size_t i = 1; i < plan.segments().size(); ++i) {
        double reach = plan.segments()[i].seek;
        while (reach > 0 && !settleAt(i, reach))
            reach = plan.fartherBack(i, reach);
        if (reach <= 0) {
            plan.setSeek(i, 0);
            if (plan.segments()[i].start > plan.seconds(i))
                return false;
        }
    }
    return true;
}

bool SeekSettler::settleAt(std::size_t index, double reach)
{
    const double point = plan.decodingPoint(index, input.keyframeAfterSeek(reach, MediaFile::openTimeLimit));
    if (point < 0)
        return false;
    if (point <= reach + 1e-9) {
        plan.setSeek(index, reach);
        return true;
    }
    // A seek to the later point must find the same keyframe.
    const double again = plan.decodingPoint(index, input.keyframeAfterSeek(point, MediaFile::openTimeLimit));
    if (again < 0 || again > point + 1e-9)
        return false;
    plan.setSeek(index, point);
    return true;
}
