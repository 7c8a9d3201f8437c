#include "segmentedconversion.h"

#include "transcoder/encoding/decoderbuffer.h"
#include "transcoder/encoding/outputbudget.h"
#include "transcoder/media/libav.h"
#include "transcoder/media/mediafile.h"
#include "transcoder/run/progressreader.h"
#include "transcoder/run/progresssender.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <numeric>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

// Sixteen rounds of the jobs keep every core busy to the end, and a
// two-hour film in its two-minute segments; more would add files and
// joins, not speed.
constexpr int roundsPerJob = 16;
constexpr int fewestBound = 64;
// Besides one per segment: the output, the sound, the list of segments,
// the join's pipes and its own opening of them, a segment encoded again;
// and each running ffmpeg's pipes. Twice what was seen to be needed.
constexpr int descriptorsBeside = 12;
constexpr int descriptorsPerJob = 4;
// Where the rate control still overshoots, the segments that did are
// encoded again at a lower rate; twice more has always been enough.
constexpr int fitRounds = 3;

// Descriptors open now (standard ones, any inherited), -1 when unknown.
int openDescriptors()
{
    DIR *folder = opendir("/proc/self/fd");
    if (!folder)
        return -1;
    int count = 0;
    while (const dirent *entry = readdir(folder)) {
        if (entry->d_name[0] != '.')
            ++count;
    }
    closedir(folder);
    // The folder's own.
    return count - 1;
}

DecoderBuffer played(const std::vector<long long> &pictureBits, InputFacts::Rate rate, long long startBits)
{
    DecoderBuffer buffer(rate, startBits);
    for (long long bits : pictureBits)
        buffer.take(bits);
    return buffer;
}
} // namespace

SegmentedConversion::SegmentedConversion(const Setup &setup, const FfmpegCommand &command, const SegmentPlan &plan,
                                         const LibAv &libAv)
    : setup(setup)
    , command(command)
    , plan(plan)
    , libAv(libAv)
{
}

int SegmentedConversion::mostSegments(int jobs)
{
    const int bound = std::max(fewestBound, roundsPerJob * jobs);
    rlimit limit;
    const int open = openDescriptors();
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY || open < 0)
        return bound;
    const long long free = (long long)limit.rlim_cur - open - descriptorsBeside - descriptorsPerJob * jobs;
    return int(std::clamp(free, 1LL, (long long)bound));
}

bool SegmentedConversion::fail(const std::string &reason)
{
    if (lastError.empty())
        lastError = reason;
    return false;
}

bool SegmentedConversion::createPiece(Piece &piece)
{
    piece.file = std::make_unique<TemporaryOutput>(setup.outputPath);
    piece.hasPictures = false;
    return piece.file->create() || fail(piece.file->error());
}

void SegmentedConversion::takeSound(std::unique_ptr<TemporaryOutput> encoded)
{
    soundEncoded = encoded != nullptr;
    if (soundEncoded)
        sound.file = std::move(encoded);
}

// Nothing replaces the output before the joined file is known to fit.
bool SegmentedConversion::run(TemporaryOutput &output, ProgressSender &sender)
{
    segments.resize(plan.segments().size());
    rates.assign(segments.size(), setup.size.videoRate);
    videoBytes.assign(segments.size(), 0);
    for (Piece &segment : segments) {
        if (!createPiece(segment))
            return false;
    }
    if (setup.withSound && !sound.file && !createPiece(sound))
        return false;
    if (!encode(sender))
        return false;
    for (int round = 0;; ++round) {
        if (!carryBuffer() || !join(output))
            return false;
        struct stat info;
        if (fstat(output.fd(), &info) != 0)
            return fail(std::string("cannot tell the output's size: ") + std::strerror(errno));
        if (info.st_size <= setup.size.limitBytes)
            return true;
        if (setup.size.videoRate <= 0 || round == fitRounds)
            return fail("the output came to " + std::to_string(info.st_size) + " bytes, over the "
                        + std::to_string(setup.size.limitBytes) + " it may take");
        if (!lowerOvershooting(info.st_size))
            return false;
    }
}

// Each segment may take its playing time's share of the picture's bytes;
// the ones that took more are encoded again, at their own lower rate, and
// their joins checked again. Where none did (the AVI took more than
// planned), all give up the excess alike.
bool SegmentedConversion::lowerOvershooting(long long outputBytes)
{
    const long long allVideo = std::accumulate(videoBytes.begin(), videoBytes.end(), 0LL);
    const long long beside = outputBytes - allVideo;
    const long long allowed = std::min(setup.size.videoBytes, setup.size.limitBytes - beside);
    double total = 0;
    for (std::size_t i = 0; i < segments.size(); ++i)
        total += plan.seconds(i);
    bool anyOver = false;
    std::vector<std::size_t> again;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const long long share = total > 0 ? (long long)(double(allowed) * plan.seconds(i) / total) : allowed;
        const long long lowered = OutputBudget::lowered(rates[i], plan.seconds(i), share, videoBytes[i]);
        anyOver = anyOver || lowered != rates[i];
        if (lowered != rates[i])
            again.push_back(i);
        rates[i] = lowered;
    }
    if (!anyOver) {
        for (std::size_t i = 0; i < segments.size(); ++i) {
            rates[i] = OutputBudget::lowered(rates[i], total, allowed, allVideo);
            again.push_back(i);
        }
    }
    std::vector<long long> pictureBits;
    for (std::size_t i : again) {
        if (!reencode(i, startBits(i, DecoderBuffer::sizeBits), pictureBits))
            return false;
    }
    return true;
}

// A fitted segment is encoded as if the buffer held one second of its rate:
// from a full one, the rate control spends it on the first pictures, again
// in every segment, beyond what its rate allows. Assuming less than the
// player has never underflows it.
long long SegmentedConversion::startBits(std::size_t index, long long available) const
{
    if (rates[index] <= 0)
        return available;
    return std::min(available, rates[index]);
}

// The sound goes first, in one of the slots: it is short work and the join waits for it.
bool SegmentedConversion::encode(ProgressSender &sender)
{
    std::vector<FfmpegJobs::Job> jobs;
    if (sound.file && !soundEncoded) {
        jobs.push_back(
            {command.soundArguments(sound.file->path()), {sound.file->fd()}, [](const char *, std::size_t) {}});
    }
    // Progress is the sum of the segments' converted seconds, each within its
    // span. ffmpeg tells the furthest time of its outputs: the sound that a
    // segment reads along runs on the input's timeline, its pictures from zero.
    std::vector<ProgressReader> readers(segments.size());
    std::vector<double> done(segments.size(), 0);
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const SegmentPlan::Segment &segment = plan.segments()[i];
        const double start = setup.withSound && segment.hasStart ? segment.start : 0;
        const double span = plan.seconds(i);
        auto onProgress = [&, i, start, span](const char *data, std::size_t size) {
            if (!readers[i].feed(data, size))
                return;
            done[i] = std::clamp(readers[i].exactSeconds() - start, 0.0, span);
            double total = 0;
            for (double seconds : done)
                total += seconds;
            sender.report(std::uint32_t(total + 1e-6));
        };
        jobs.push_back({command.segmentArguments(segment, startBits(i, DecoderBuffer::sizeBits), setup.withSound,
                                                 segments[i].file->path(), rates[i]),
                        inheritedWith(segments[i].file->fd()), onProgress});
    }
    FfmpegJobs runner(setup.jobs, setup.limits);
    return runner.run(jobs) || fail(runner.error());
}

std::vector<int> SegmentedConversion::inheritedWith(int fd) const
{
    std::vector<int> inherited = setup.sharedInputs;
    inherited.push_back(fd);
    return inherited;
}

bool SegmentedConversion::readPictures(Piece &piece, std::vector<long long> &pictureBits)
{
    MediaFile file(libAv);
    if (!file.open(piece.file->path(), MediaFile::openTimeLimit))
        return fail("ffmpeg wrote no readable segment: " + file.error());
    pictureBits.clear();
    const MediaFile::Stream video = file.videoStream();
    const bool read = !video.exists() || file.readPackets(video.index, setup.limits.stall, [&](const AVPacket &packet) {
        pictureBits.push_back(8LL * packet.size);
        return true;
    });
    if (!read)
        return fail("cannot read back a segment: " + file.error());
    piece.hasPictures = !pictureBits.empty();
    return true;
}

// Each segment was encoded as if it began with a full decoder buffer. Played
// after the one before it, it begins with what that one leaves; where that
// is too little for its own first pictures, it is encoded again from there.
// One segment's pictures are held at a time, however long the film.
bool SegmentedConversion::carryBuffer()
{
    const InputFacts::Rate rate = command.envelope().frameRate();
    long long carried = DecoderBuffer::sizeBits;
    std::vector<long long> pictureBits;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        if (!readPictures(segments[i], pictureBits))
            return false;
        DecoderBuffer buffer = played(pictureBits, rate, carried);
        if (buffer.underflowed() && carried < startBits(i, DecoderBuffer::sizeBits)) {
            if (!reencode(i, startBits(i, carried), pictureBits))
                return false;
            buffer = played(pictureBits, rate, carried);
        }
        carried = buffer.bits();
        videoBytes[i] = std::accumulate(pictureBits.begin(), pictureBits.end(), 0LL) / 8;
    }
    return true;
}

bool SegmentedConversion::reencode(std::size_t index, long long bufferBits, std::vector<long long> &pictureBits)
{
    Piece again;
    if (!createPiece(again))
        return false;
    FfmpegJobs runner(1, setup.limits);
    const FfmpegJobs::Job job = {
        command.segmentArguments(plan.segments()[index], bufferBits, setup.withSound, again.file->path(),
                                 rates[index]),
        inheritedWith(again.file->fd()), [](const char *, std::size_t) {}};
    if (!runner.run({job}))
        return fail(runner.error());
    if (!readPictures(again, pictureBits))
        return false;
    segments[index] = std::move(again);
    return true;
}

bool SegmentedConversion::join(TemporaryOutput &output)
{
    Piece list;
    if (!createPiece(list))
        return false;
    std::string text = "ffconcat version 1.0\n";
    std::vector<int> inherited = {output.fd(), list.file->fd()};
    const InputFacts::Rate rate = command.envelope().frameRate();
    for (std::size_t i = 0; i < segments.size(); ++i) {
        // A segment past the real end of a file whose duration said more holds nothing.
        if (!segments[i].hasPictures)
            continue;
        text += "file 'file:" + segments[i].file->fdPath() + "'\n";
        // Each segment lasts its span, also where the input has no pictures at its end.
        if (i + 1 < segments.size()) {
            const long long pictures = plan.segments()[i + 1].firstPicture - plan.segments()[i].firstPicture;
            char duration[48];
            std::snprintf(duration, sizeof(duration), "duration %.6f\n", double(pictures) * rate.den / rate.num);
            text += duration;
        }
        inherited.push_back(segments[i].file->fd());
    }
    if (!list.file->write(text.data(), text.size()))
        return fail(std::string("cannot write the list of segments: ") + std::strerror(errno));
    if (sound.file)
        inherited.push_back(sound.file->fd());
    FfmpegJobs runner(1, setup.limits);
    const std::string soundPath = sound.file ? sound.file->fdPath() : std::string();
    return runner.run({{command.joinArguments(list.file->fdPath(), soundPath, output.path()), inherited,
                        [](const char *, std::size_t) {}}})
           || fail(runner.error());
}
