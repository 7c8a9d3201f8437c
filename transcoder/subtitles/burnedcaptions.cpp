#include "burnedcaptions.h"

#include "captioncanvas.h"
#include "captiontimeline.h"
#include "captionvideo.h"
#include "picturetrack.h"
#include "trackname.h"
#include "transcoder/files/diagnostics.h"
#include "transcoder/files/temporaryoutput.h"
#include "transcoder/run/stopsignals.h"

#include <cmath>
#include <cstdio>

namespace {

std::string clockTime(std::int64_t milliseconds)
{
    const long long seconds = milliseconds / 1000;
    char text[32];
    std::snprintf(text, sizeof(text), "%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return text;
}

} // namespace

// Paints each shown span and notes it: the captions' picture at its
// start; at its end, unless the next caption takes over right there, an
// empty picture.
struct BurnedCaptions::Writer
{
    Writer(const LibAv &libAv, const CaptionPlacement::Sizes &sizes, std::int64_t shift, TimeSpans &spans)
        : sizes(sizes)
        , shift(shift)
        , canvas(sizes.outputWidth, sizes.outputHeight)
        , video(libAv, sizes.outputWidth, sizes.outputHeight)
        , spans(spans)
    {
    }

    bool open(const std::string &path)
    {
        // Every reader's timeline starts at the file's first picture, so the
        // file starts at 0, with nothing shown.
        return video.open(path) && frame(0);
    }

    bool show(const PictureCaption &caption, std::int64_t start, std::int64_t end)
    {
        start = std::max<std::int64_t>(start + shift, 0);
        end += shift;
        if (end <= start)
            return true;
        if (clearAt >= 0 && clearAt < start && !clear())
            return false;
        canvas.clear();
        CaptionPlacement::Sizes own = sizes;
        own.canvasWidth = caption.canvasWidth;
        own.canvasHeight = caption.canvasHeight;
        canvas.paint(caption, own);
        if (!spans.empty() && spans.back().second == start)
            spans.back().second = end;
        else
            spans.emplace_back(start, end);
        clearAt = end;
        return frame(start);
    }

    // The overlay ends the film's pictures when either of its inputs ends
    // (else it would add pictures for captions after the film's end), so
    // the captions' video lasts beyond any film.
    bool finish()
    {
        constexpr std::int64_t beyondAnyFilm = 1000LL * 3600 * 1000;
        if (clearAt >= 0 && !clear())
            return false;
        canvas.clear();
        return frame(std::max(beyondAnyFilm, lastFrame + 1)) && video.close();
    }

    bool clear()
    {
        canvas.clear();
        const std::int64_t at = clearAt;
        clearAt = -1;
        return frame(at);
    }

    bool frame(std::int64_t at)
    {
        if (at <= lastFrame)
            at = lastFrame + 1;
        lastFrame = at;
        return video.write(canvas.rgba(), at);
    }

    std::string error() const { return video.error(); }

    CaptionPlacement::Sizes sizes;
    std::int64_t shift;
    CaptionCanvas canvas;
    CaptionVideo video;
    TimeSpans &spans;
    std::int64_t clearAt = -1;
    std::int64_t lastFrame = -1;
};

BurnedCaptions::BurnedCaptions(const LibAv &libAv, const std::string &inputPath, const std::string &outputPath,
                               std::chrono::milliseconds stallLimit)
    : libAv(libAv)
    , inputPath(inputPath)
    , outputPath(outputPath)
    , stallLimit(stallLimit)
{
}

BurnedCaptions::~BurnedCaptions() = default;

void BurnedCaptions::choose(const StreamDescription &track, bool forcedOnly)
{
    this->track = track;
    this->forcedOnly = forcedOnly;
}

void BurnedCaptions::discard()
{
    video.reset();
    spans.clear();
}

bool BurnedCaptions::write(const CaptionPlacement::Sizes &sizes, double shiftSeconds, double filmSeconds)
{
    if (track.index < 0)
        return true;
    if (sizes.outputWidth <= 0 || sizes.outputHeight <= 0) {
        Diagnostics::note(trackName(track) + " holds pictures, and the film's size is not known; it is left out");
        return true;
    }
    video = std::make_unique<TemporaryOutput>(outputPath);
    if (!video->create()) {
        Diagnostics::note("no subtitles in the picture: " + video->error());
        discard();
        return true;
    }
    Writer writer(libAv, sizes, std::llround(shiftSeconds * 1000), spans);
    if (!writer.open(video->path())) {
        Diagnostics::note("no subtitles in the picture: " + writer.error());
        discard();
        return true;
    }
    CaptionTimeline timeline([&writer](const PictureCaption &caption, std::int64_t start, std::int64_t end) {
        return writer.show(caption, start, end);
    });
    PictureTrack reader(libAv);
    // The first picture lies at 0 on the filters' timeline.
    if (filmSeconds > 0)
        reader.setFilm(std::llround(-shiftSeconds * 1000), std::llround(filmSeconds * 1000));
    const bool read = reader.read(inputPath, track.index, forcedOnly, track.forced, stallLimit,
                                  [&timeline](PictureCaption caption) { return timeline.add(std::move(caption)); });
    if (StopSignals::requested()) {
        discard();
        return false;
    }
    const bool written = timeline.finish() && writer.finish();
    if (!written) {
        Diagnostics::note("no subtitles in the picture: " + writer.error());
        discard();
        return true;
    }
    if (!read && spans.empty()) {
        Diagnostics::note(trackName(track) + " cannot be read, so no subtitles are in the picture: " + reader.error());
        discard();
        return true;
    }
    if (!read)
        Diagnostics::note(trackName(track) + " breaks off, so its captions after the last one read are not in the picture: "
             + reader.error());
    if (reader.damaged() > 0)
        Diagnostics::note(trackName(track) + ": " + std::to_string(reader.damaged())
             + " damaged pieces could not be decoded and are not in the picture, the first at "
             + clockTime(reader.firstDamaged()));
    if (spans.empty()) {
        if (reader.damaged() == 0)
            Diagnostics::note(trackName(track) + (forcedOnly ? " holds no forced captions" : " holds no captions")
                 + ", so none are in the picture");
        discard();
    }
    return true;
}

std::string BurnedCaptions::videoPath() const
{
    return video->fdPath();
}

int BurnedCaptions::videoFd() const
{
    return video->fd();
}
