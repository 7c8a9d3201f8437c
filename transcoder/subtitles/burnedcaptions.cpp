#include "burnedcaptions.h"

#include "captioncanvas.h"
#include "captiontimeline.h"
#include "captionvideo.h"
#include "picturetrack.h"
#include "transcoder/files/pathname.h"
#include "transcoder/files/temporaryoutput.h"
#include "transcoder/run/stopsignals.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

std::string clockTime(std::int64_t milliseconds)
{
    const long long seconds = milliseconds / 1000;
    char text[32];
    std::snprintf(text, sizeof(text), "%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return text;
}

} // namespace

// Paints each shown span and writes it with the overlay's commands: the
// captions' picture at its start, the overlay laid on; at its end, unless
// the next caption takes over right there, an empty picture and the overlay
// taken off.
struct BurnedCaptions::Writer
{
    Writer(const LibAv &libAv, const CaptionPlacement::Sizes &sizes, std::int64_t shift,
           TemporaryOutput &commands)
        : sizes(sizes)
        , shift(shift)
        , canvas(sizes.outputWidth, sizes.outputHeight)
        , video(libAv, sizes.outputWidth, sizes.outputHeight)
        , commands(commands)
    {
    }

    bool open(const std::string &path)
    {
        // Every reader's timeline starts at the file's first picture, so the
        // file starts at 0, with nothing shown.
        return video.open(path) && frame(0, false);
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
        ++shownCount;
        clearAt = end;
        return frame(start, true);
    }

    bool finish()
    {
        return (clearAt < 0 || clear()) && video.close();
    }

    bool clear()
    {
        canvas.clear();
        const std::int64_t at = clearAt;
        clearAt = -1;
        return frame(at, false);
    }

    bool frame(std::int64_t at, bool shown)
    {
        if (at <= lastFrame)
            at = lastFrame + 1;
        lastFrame = at;
        char line[64];
        const int length = std::snprintf(line, sizeof(line), "%lld.%03lld [enter] overlay y %s;\n",
                                         static_cast<long long>(at / 1000), static_cast<long long>(at % 1000),
                                         shown ? "0" : "main_h");
        if (!video.write(canvas.rgba(), at))
            return false;
        if (!commands.write(line, std::size_t(length))) {
            failure = std::string("cannot write the overlay's commands: ") + std::strerror(errno);
            return false;
        }
        return true;
    }

    std::string error() const { return failure.empty() ? video.error() : failure; }

    CaptionPlacement::Sizes sizes;
    std::int64_t shift;
    CaptionCanvas canvas;
    CaptionVideo video;
    TemporaryOutput &commands;
    std::int64_t clearAt = -1;
    std::int64_t lastFrame = -1;
    int shownCount = 0;
    std::string failure;
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

void BurnedCaptions::note(const std::string &text) const
{
    std::fprintf(stderr, "tarvelo-transcode: %s\n", PathName::printable(text).c_str());
}

std::string BurnedCaptions::trackName() const
{
    return "the subtitle track " + std::to_string(track.index)
           + (track.language.empty() ? std::string() : " (" + track.language + ")");
}

void BurnedCaptions::discard()
{
    video.reset();
    commands.reset();
}

bool BurnedCaptions::write(const CaptionPlacement::Sizes &sizes, double shiftSeconds)
{
    if (track.index < 0)
        return true;
    if (sizes.outputWidth <= 0 || sizes.outputHeight <= 0) {
        note(trackName() + " holds pictures, and the film's size is not known; it is left out");
        return true;
    }
    video = std::make_unique<TemporaryOutput>(outputPath);
    commands = std::make_unique<TemporaryOutput>(outputPath);
    if (!video->create() || !commands->create()) {
        note("no subtitles in the picture: " + (video->error().empty() ? commands->error() : video->error()));
        discard();
        return true;
    }
    Writer writer(libAv, sizes, std::llround(shiftSeconds * 1000), *commands);
    if (!writer.open(video->path())) {
        note("no subtitles in the picture: " + writer.error());
        discard();
        return true;
    }
    CaptionTimeline timeline([&writer](const PictureCaption &caption, std::int64_t start, std::int64_t end) {
        return writer.show(caption, start, end);
    });
    PictureTrack reader(libAv);
    const bool read = reader.read(inputPath, track.index, forcedOnly, track.forced, stallLimit,
                                  [&timeline](PictureCaption caption) { return timeline.add(std::move(caption)); });
    if (StopSignals::requested()) {
        discard();
        return false;
    }
    const bool written = timeline.finish() && writer.finish();
    if (!written) {
        note("no subtitles in the picture: " + writer.error());
        discard();
        return true;
    }
    if (!read && writer.shownCount == 0) {
        note(trackName() + " cannot be read, so no subtitles are in the picture: " + reader.error());
        discard();
        return true;
    }
    if (!read)
        note(trackName() + " breaks off, so its captions after the last one read are not in the picture: "
             + reader.error());
    if (reader.damaged() > 0)
        note(trackName() + ": " + std::to_string(reader.damaged())
             + " damaged pieces could not be decoded and are not in the picture, the first at "
             + clockTime(reader.firstDamaged()));
    if (writer.shownCount == 0) {
        if (reader.damaged() == 0)
            note(trackName() + (forcedOnly ? " holds no forced captions" : " holds no captions")
                 + ", so none are in the picture");
        discard();
    }
    return true;
}

std::string BurnedCaptions::videoPath() const
{
    return video->path();
}

std::string BurnedCaptions::commandsPath() const
{
    return commands->path();
}

int BurnedCaptions::videoFd() const
{
    return video->fd();
}

int BurnedCaptions::commandsFd() const
{
    return commands->fd();
}
