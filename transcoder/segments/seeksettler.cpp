#include "seeksettler.h"

#include "segmentplan.h"
#include "transcoder/media/libav.h"
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
    const double point = plan.decodingPoint(index, keyframeAfterSeek(reach));
    if (point < 0)
        return false;
    if (point <= reach + 1e-9) {
        plan.setSeek(index, reach);
        return true;
    }
    // A seek to the later point must find the same keyframe.
    const double again = plan.decodingPoint(index, keyframeAfterSeek(point));
    if (again < 0 || again > point + 1e-9)
        return false;
    plan.setSeek(index, point);
    return true;
}

double SeekSettler::keyframeAfterSeek(double seconds)
{
    const MediaFile::Stream video = input.videoStream();
    if (!video.exists())
        return -1;
    const AVStream *pictures = input.stream(video.index);
    std::int64_t target = input.startTime() + std::int64_t(seconds * AV_TIME_BASE);
    // ffmpeg aims a little earlier where pictures are stored out of order.
    if (!(input.format()->iformat->flags & AVFMT_SEEK_TO_PTS) && pictures->codecpar->video_delay > 0)
        target -= 3 * AV_TIME_BASE / 23;
    // ffmpeg seeks with every stream read.
    if (!input.seek(target, MediaFile::Clock::now() + stallLimit))
        return -1;
    double found = -1;
    input.readPackets(video.index, stallLimit, [&](const AVPacket &packet) {
        const std::int64_t time = packet.pts != AV_NOPTS_VALUE ? packet.pts : packet.dts;
        if (time == AV_NOPTS_VALUE)
            return true;
        const AVRational base{1, AV_TIME_BASE};
        const double at = double(input.library().av_rescale_q(time, pictures->time_base, base) - input.startTime())
                          / AV_TIME_BASE;
        if (packet.flags & AV_PKT_FLAG_KEY)
            found = at;
        // Ten seconds on without a keyframe, the seek is of no use.
        return found < 0 && at < seconds + 10;
    });
    return found;
}
