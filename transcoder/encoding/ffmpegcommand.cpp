#include "ffmpegcommand.h"

#include "transcoder/files/pathname.h"

#include <cstdio>

namespace {

std::string seconds(double value)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%.6f", value);
    return text;
}

// ffmpeg's scene detection weighs the cost of coding a picture afresh
// against a lambda that grows with the quantiser, so no one threshold finds
// the cuts at every quantiser. These were read off sweeps over photographic
// footage with grain at 720x406: at each quantiser the threshold lies inside
// the range that put a keyframe on every cut and nowhere else, whose ends
// move apart from -4,000..-6,000 at 3 to -48,000..-64,000 at 31. At coarse
// quantisers the score is a sum over the picture's macroblocks, so there it
// follows the picture's area: at 176x144, -56,000 makes every picture a
// keyframe.
int sceneChangeThreshold(int quantiser, int width, int height)
{
    if (quantiser <= 2)
        return -8000;
    if (quantiser <= 10)
        return -5000;
    const double area = width > 0 && height > 0 ? double(width) * height / (720 * 406) : 1.0;
    // From -5000 at 10 to about -56000 at 31 at the measured size.
    return -5000 - int((quantiser - 10) * 2450 * area);
}

// Half a picture's leeway keeps the forced keyframes on their pictures
// whatever the rounding of the pictures' times.
std::string forcedKeyframes(const PlayerEnvelope &envelope)
{
    const double perSecond = envelope.frameRate().value();
    return "expr:gte(t,n_forced*" + seconds(envelope.keyframeSeconds()) + "-"
           + seconds(perSecond > 0 ? 0.5 / perSecond : 0) + ")";
}

// ffmpeg's defaults for this encoder (a keyframe every 12 pictures) spend a
// third of the bits on pictures that repeat what came before. These settings
// were chosen by measuring size against PSNR and CPU time on photographic
// footage (bench/quality.sh). They stay within what XviD/DivX players decode:
// Advanced Simple Profile, no quarter-pel, no global motion compensation.
void addEncodingProfile(std::vector<std::string> &arguments, int quantiser, const PlayerEnvelope &envelope)
{
    arguments.insert(arguments.end(), {
        // No B-frames. AVI has no timestamps: a player learns each picture's
        // time from its place in the file and its decoding order, and
        // GStreamer shows a picture a frame early at every keyframe that
        // B-frames before it depend on. ffmpeg can only keep such keyframes
        // out by closing every GOP, which it refuses together with its
        // scene-change keyframes; and without those a cut starts on a P-frame,
        // which a player cannot seek to. Every cut starting on a keyframe and
        // every picture at its time is worth more than the few per cent that
        // B-frames saved over the rest of this profile.
        "-bf", "0",
        // A keyframe at least every ten seconds, so that seeking stays quick,
        // and one at every cut from ffmpeg's scene detection. Players seek
        // and recover by keyframes and want one every 250 pictures at least.
        "-g", std::to_string(PlayerEnvelope::longestKeyframeGapPictures),
        "-force_key_frames", forcedKeyframes(envelope),
        "-sc_threshold", std::to_string(sceneChangeThreshold(quantiser, envelope.width(), envelope.height())),
        // AC prediction is free. Four vectors per macroblock, MPEG
        // quantisation and the SATD comparison functions save nothing or
        // make files bigger.
        "-flags", "+aic",
    });
    // Predicting motion from the previous picture's vectors as well finds
    // better ones for next to no time, at every quantiser. The encoder runs
    // on one thread: with more it cuts each picture into slices and its
    // scene detection and rate control then vary from run to run, so that a
    // cut near the threshold (the grainy footage's first, at quantiser 3)
    // became a keyframe in some runs only. One slice is also half a per
    // cent smaller, for the same CPU time; decoding and scaling, most of
    // the work, keep their threads.
    arguments.insert(arguments.end(), {"-last_pred", "2", "-threads", "1"});
    if (quantiser < 8) {
        // At fine quantisers trellis quantisation and always trying the zero
        // vector save 4 to 8 per cent at equal PSNR, on grainy footage most.
        // At 2, where most coefficients are coded, trellis doubles the
        // encoder's time, but without it the file is larger than 0.80 of
        // ffmpeg's default at equal PSNR. Choosing by rate and distortion
        // which blocks to code makes files bigger beside them.
        arguments.insert(arguments.end(), {"-trellis", "1", "-mpv_flags", "+mv0"});
    } else {
        // At coarse ones the picture is mostly vectors and skipped blocks:
        // choosing each macroblock's coding by the bits it takes saves 6 per
        // cent of the size at equal PSNR. Choosing by rate and distortion
        // saves half a per cent more for a third more CPU time, which
        // libxvid's does not spend.
        arguments.insert(arguments.end(), {"-mbd", "bits"});
    }
}

// Players are certified for MPEG-4 Advanced Simple Profile at level 5 with a
// decoder buffer of 1,835,008 bits refilled at 4,854 kb/s and a 4 Mb/s
// average. A fixed quantiser bypasses ffmpeg's rate control, which alone
// keeps to a buffer; so rate control runs, held at the slider's quantiser as
// its floor and at the slider's own trade-off of bits for quality (the
// lambda), with every picture at one quantiser (qcomp 1). Where the slider's
// quantiser fits, the stream is what the fixed quantiser gives; only
// footage that would pass the ceiling gets a coarser one. The target and
// the tolerance leave room for the control's error, measured on grainy clips
// of 2 to 12 s: short ones spend the full buffer at the start on top.
// A film fitted to a size gets its own average (videoRate) with the same
// share of tolerance; the floor stays.
void addPlayerLimits(std::vector<std::string> &arguments, int quantiser, long long bufferBits, long long videoRate)
{
    constexpr int lambdaPerQuantiser = 118; // ffmpeg's FF_QP2LAMBDA
    const bool fitted = videoRate > 0;
    arguments.insert(arguments.end(), {
        "-profile:v", "15", // Advanced Simple
        "-level", "5",
        "-qmin", std::to_string(quantiser),
        "-lmin", std::to_string(quantiser * lambdaPerQuantiser),
        "-qcomp", "1",
        "-b:v", fitted ? std::to_string(videoRate) : std::to_string(DecoderBuffer::targetBitsPerSecond / 1000) + "k",
        "-bt", fitted ? std::to_string(videoRate * 10 / 36) : "1000k",
        "-maxrate", std::to_string(DecoderBuffer::refillBitsPerSecond / 1000) + "k",
        "-bufsize", std::to_string(DecoderBuffer::sizeBits),
        "-rc_init_occupancy", std::to_string(bufferBits),
    });
}

// The players' sample rates, for ffmpeg to pick the nearest.
std::string anySampleRate()
{
    std::string rates;
    for (int rate : PlayerEnvelope::sampleRates)
        rates += (rates.empty() ? "" : "|") + std::to_string(rate);
    return rates;
}

// LAME's encoder delay (576 samples) and the MP3 decoder's own (529), which
// ffmpeg's encoder announces as its initial padding.
constexpr int mp3Delay = 576 + 529;

std::vector<std::string> start()
{
    return {
        "ffmpeg", "-nostdin", "-hide_banner", "-nostats", "-loglevel", "error",
        // The output is our own temporary file, which exists already.
        "-y",
        "-progress", "pipe:1",
        // Frequent reports, so that even short or fast files move the bar
        // within their band before they end.
        "-stats_period", "0.1",
        "-protocol_whitelist", "file",
    };
}

// The streams keep their own times. MP3 starts before zero by its encoder
// delay; shifting every stream to make up for it moves the pictures, which
// AVI only places by count, a whole frame late after the first: the picture
// would lag the sound and one picture too many would be shown. Where one
// stream runs far ahead of the other, ffmpeg's short default queue would end
// an output of both with an error.
void addTiming(std::vector<std::string> &arguments, bool bothStreams)
{
    if (bothStreams)
        arguments.insert(arguments.end(), {"-max_muxing_queue_size", "4096"});
    arguments.insert(arguments.end(), {"-avoid_negative_ts", "disabled"});
}

// What is mapped, and no subtitles, data or chapters beside it.
void addMapped(std::vector<std::string> &arguments, const std::string &map, bool bothStreams = false)
{
    arguments.insert(arguments.end(), {"-map", map, "-sn", "-dn", "-map_chapters", "-1"});
    addTiming(arguments, bothStreams);
}

// The span of a segment, cut after the rate filters on the single run's
// timeline; from there on its own timeline starts at zero, so that its
// forced keyframes fall as they would in a file of its own. Zero is where
// its first picture belongs, not where the first one comes: after a gap in
// the input, the pictures keep their times.
std::string trimFilter(const VideoSegment &segment, InputFacts::Rate rate)
{
    std::string trim = ",trim=";
    if (segment.hasStart)
        trim += "start=" + seconds(segment.start) + (segment.hasEnd ? ":" : "");
    if (segment.hasEnd)
        trim += "end=" + seconds(segment.end);
    if (!segment.hasStart)
        return trim;
    return trim + ",setpts=PTS-" + seconds(double(segment.firstPicture) * rate.den / rate.num) + "/TB";
}

} // namespace

FfmpegCommand::FfmpegCommand(const std::string &inputPath, int quality, const InputFacts &facts)
    : inputPath(inputPath)
    , curve(quality)
    , soundStream(facts.soundStream)
    , videoStart(facts.videoStart)
    , playerEnvelope(facts)
    , colour(facts)
{
}

std::vector<std::string> FfmpegCommand::arguments(const std::string &outputPath, long long videoRate) const
{
    std::vector<std::string> arguments = start();
    arguments.insert(arguments.end(), {
        "-i", PathName::url(inputPath),
    });
    addCaptionInput(arguments, false, 0);
    // The first video that is not cover art (capital V) is the film; an
    // input without one fails here.
    addMapped(arguments, videoMap(), true);
    // The sound chosen for the reader, when there is any.
    if (soundStream >= 0)
        arguments.insert(arguments.end(), {"-map", "0:" + std::to_string(soundStream)});
    addVideo(arguments, {}, true, DecoderBuffer::sizeBits, videoRate);
    addAudio(arguments);
    arguments.insert(arguments.end(), {"-f", "avi", "file:" + outputPath});
    return arguments;
}

std::string FfmpegCommand::videoFilters(bool fromStart) const
{
    return scaledFilters(fromStart) + "setsar=1";
}

std::string FfmpegCommand::scaledFilters(bool fromStart) const
{
    // The encoder needs 4:2:0 pictures; so does the detector's measure,
    // which misses the combs of 4:2:2 ones.
    std::string filters = "format=" + colour.workingFormat() + "," + deinterlaceFilters();
    if (playerEnvelope.pictureStep() > 1)
        filters += "framestep=" + std::to_string(playerEnvelope.pictureStep()) + ",";
    // The first picture goes onto the output's grid of picture times, a
    // whole number of pictures after the start: AVI has no timestamps, and a
    // picture half a step off would be rounded onto its successor's place.
    // The shift is the input's own, so that a segment decoded from the
    // middle lands on the same grid.
    filters += "setpts=PTS-" + seconds(videoStart) + "/TB,";
    const InputFacts::Rate rate = playerEnvelope.frameRate();
    if (playerEnvelope.retimes())
        filters += "fps=" + std::to_string(rate.num) + "/" + std::to_string(rate.den) + ",";
    const int leading = playerEnvelope.leadingPictures();
    if (leading > 0 && fromStart)
        filters += "tpad=start=" + std::to_string(leading) + ":start_mode=clone,";
    else if (leading > 0)
        filters += "setpts=PTS+" + seconds(leading / rate.value()) + "/TB,";
    if (playerEnvelope.width() > 0) {
        // Lanczos keeps a reduced picture sharp; a picture at its size stays untouched.
        filters += "scale=" + std::to_string(playerEnvelope.width()) + ":" + std::to_string(playerEnvelope.height());
        filters += playerEnvelope.scalesDown() ? ":flags=lanczos," : ",";
    } else {
        filters += "scale=w='min(" + std::to_string(PlayerEnvelope::maximumWidth) + ",iw)':h='min("
                   + std::to_string(PlayerEnvelope::maximumHeightAbove25)
                   + ",ih)':force_original_aspect_ratio=decrease:force_divisible_by=2,";
    }
    // The captions laid over these pictures come after the colours are
    // brought to SDR, so that they are as bright as on any other film.
    return filters + colour.filters();
}

void FfmpegCommand::burnCaptions(const std::string &videoPath, const TimeSpans &shown)
{
    // ffmpeg takes an argument of up to 128 KiB; the rest of the graph is short.
    constexpr std::size_t longestSwitch = 120000;
    captionVideo = videoPath;
    captionShown = CaptionSwitch::expression(shown, longestSwitch);
    if (captionShown.empty())
        captionVideo.clear();
}

double FfmpegCommand::captionShift() const
{
    const InputFacts::Rate rate = playerEnvelope.frameRate();
    const int leading = playerEnvelope.leadingPictures();
    return -videoStart + (leading > 0 && rate.value() > 0 ? leading / rate.value() : 0);
}

std::string FfmpegCommand::videoMap() const
{
    return burns() ? "[film]" : "0:V:0";
}

// The captions' video is read from the caption in effect a little before
// the segment's decoding point on, every picture of it kept: it holds one
// picture per change of caption, so a caption begun long before the point
// is still there, and the segment decodes none of the film's earlier ones.
void FfmpegCommand::addCaptionInput(std::vector<std::string> &arguments, bool segmented, double seek) const
{
    if (!burns())
        return;
    if (segmented)
        arguments.insert(arguments.end(), {"-threads", "1"});
    // A second of leeway for the rate filters' and the padding's shifts.
    const double captionSeek = seek + captionShift() - 1;
    if (seek > 0 && captionSeek > 0)
        arguments.insert(arguments.end(), {"-ss", seconds(captionSeek), "-noaccurate_seek"});
    arguments.insert(arguments.end(), {"-protocol_whitelist", "file", "-f", "nut", "-i", "file:" + captionVideo});
}

// Players show interlaced pictures whole, so every movement combs; each
// interlaced picture is deinterlaced into one picture per frame. A stream
// that says it is interlaced is believed for every picture: the detector
// misses the combs of slow movement. For the others, idet marks the
// pictures it finds interlaced (captures and re-encodes often say
// progressive) and unmarks the plainly progressive ones; its default
// threshold (1.04) finds combs in sharp progressive motion, at 1.5 it finds
// them in interlaced footage only.
std::string FfmpegCommand::deinterlaceFilters() const
{
    if (playerEnvelope.tooSmallToDeinterlace())
        return {};
    if (playerEnvelope.pulldown() == Pulldown::Kind::Hard)
        return pulldownFilters();
    // Soft pulldown's pictures are whole film pictures, whatever the stream
    // says of its fields; the detector still finds any stretch of video.
    const bool flagsBelieved = playerEnvelope.pulldown() != Pulldown::Kind::Soft;
    if (flagsBelieved && playerEnvelope.scan() == InputFacts::Scan::TopFieldFirst)
        return "setfield=tff,bwdif=mode=send_frame:parity=tff:deint=all,";
    if (flagsBelieved && playerEnvelope.scan() == InputFacts::Scan::BottomFieldFirst)
        return "setfield=bff,bwdif=mode=send_frame:parity=bff:deint=all,";
    // HDR (BT.2100) has progressive pictures only: the detector, four times
    // as slow at ten bits, would look for combs that cannot be there.
    if (colour.isHdr())
        return {};
    return "idet=intl_thres=1.5,bwdif=mode=send_frame:parity=auto:deint=interlaced,";
}

// Each film picture is put back together from the two fields that belong
// to it (fieldmatch), and the one picture in five that then repeats is
// dropped (decimate), in cycles of five from the first picture. The rate is
// made steady at 29.97 first: soft stretches and gaps then become repeated
// pictures that the cycles take like the rest, and no picture moves off its
// time. A picture whose fields belong to no film picture (a cut in the
// pattern) still combs and is deinterlaced.
std::string FfmpegCommand::pulldownFilters() const
{
    const std::string parity = playerEnvelope.pulldownBottomFirst() ? "bff" : "tff";
    return "fps=30000/1001,fieldmatch=order=" + parity + ",bwdif=mode=send_frame:parity=" + parity
           + ":deint=interlaced,decimate,";
}

void FfmpegCommand::addVideo(std::vector<std::string> &arguments, const std::string &moreFilters,
                             bool fromStart, long long bufferBits, long long videoRate) const
{
    if (burns()) {
        // The captions go onto the deinterlaced picture at its output size,
        // so they stay sharp and cost blending only at that size; the
        // overlay lies below the picture, out of the way, while none is
        // shown. Each picture takes the caption of its own time, as both
        // inputs are synchronised; the captions' video outlasts the film, so
        // ending with the shorter input ends with the film.
        std::string scaled = scaledFilters(fromStart);
        scaled.pop_back();   // its closing comma
        arguments.insert(arguments.end(), {
            "-filter_complex", "[0:V:0]" + scaled + "[picture];[picture][1:v]overlay=y='if("
                                   + captionShown + ",0,main_h)':shortest=1:format=yuv420,setsar=1" + moreFilters
                                   + "[film]",
        });
    } else {
        arguments.insert(arguments.end(), {"-vf", videoFilters(fromStart) + moreFilters});
    }
    arguments.insert(arguments.end(), {
        "-c:v", "mpeg4",
        // Hardware players look for this FourCC.
        "-vtag", "XVID",
        "-pix_fmt", "yuv420p",
    });
    addPlayerLimits(arguments, curve.videoQuantiser(), bufferBits, videoRate);
    addEncodingProfile(arguments, curve.videoQuantiser(), playerEnvelope);
}

// These options only apply when the input has sound; without it ffmpeg
// leaves them unused and writes a video-only file.
void FfmpegCommand::addAudio(std::vector<std::string> &arguments) const
{
    const int sampleRate = playerEnvelope.sampleRate();
    arguments.insert(arguments.end(), {
        "-c:a", "libmp3lame",
        "-q:a", curve.mp3QualityText(),
        // MP3 carries at most two channels: surround is mixed down. Players
        // take MPEG-1 Layer III only, which has three sample rates.
        // Sound that starts after the picture is preceded by silence, as AVI
        // places it by its count of samples from the file's start. Players
        // play an MP3 stream in AVI from its first sample, the encoder's and
        // decoder's delay included, so the input's first samples go in its place.
        "-af", "aresample=first_pts=0,aformat=channel_layouts=mono|stereo:sample_rates="
                   + (sampleRate > 0 ? std::to_string(sampleRate) : anySampleRate())
                   + ",atrim=start_sample=" + std::to_string(mp3Delay),
    });
}

std::vector<std::string> FfmpegCommand::segmentArguments(const VideoSegment &segment, long long bufferBits,
                                                        bool withSound, const std::string &outputPath,
                                                        long long videoRate) const
{
    std::vector<std::string> arguments = start();
    // The input's own timestamps, from zero as in the single run, so that
    // the rate filters put every picture on the same tick and the trim
    // finds it there; decoding starts a little before the segment.
    arguments.insert(arguments.end(), {"-copyts", "-start_at_zero"});
    if (segment.seek > 0)
        arguments.insert(arguments.end(), {"-ss", seconds(segment.seek)});
    // One process runs per core: the decoder's and filters' own threads
    // would only contend with the other segments, at a tenth more work.
    arguments.insert(arguments.end(), {"-threads", "1", "-filter_threads", "1"});
    arguments.insert(arguments.end(), {"-i", PathName::url(inputPath)});
    addCaptionInput(arguments, true, segment.seek);
    if (burns())
        arguments.insert(arguments.end(), {"-filter_complex_threads", "1"});
    addMapped(arguments, videoMap());
    arguments.push_back("-an");
    addVideo(arguments, trimFilter(segment, playerEnvelope.frameRate()), !segment.hasStart, bufferBits, videoRate);
    arguments.insert(arguments.end(), {"-f", "avi", "file:" + outputPath});
    // Where streams may start apart (MPEG transport and program streams),
    // ffmpeg starts the timeline at the earliest stream it reads, so the
    // segment reads the sound as the single run does, copied into nothing
    // up to the segment's end.
    if (withSound) {
        arguments.insert(arguments.end(), {"-map", "0:" + std::to_string(soundStream), "-c", "copy"});
        if (segment.hasEnd)
            arguments.insert(arguments.end(), {"-to", seconds(segment.end)});
        arguments.insert(arguments.end(), {"-f", "null", "-"});
    }
    return arguments;
}

std::vector<std::string> FfmpegCommand::soundArguments(const std::string &outputPath) const
{
    std::vector<std::string> arguments = start();
    arguments.insert(arguments.end(), {"-i", PathName::url(inputPath)});
    addMapped(arguments, "0:" + std::to_string(soundStream));
    arguments.push_back("-vn");
    addAudio(arguments);
    arguments.insert(arguments.end(), {"-f", "avi", "file:" + outputPath});
    return arguments;
}

std::vector<std::string> FfmpegCommand::joinArguments(const std::string &listPath, const std::string &soundPath,
                                                     const std::string &outputPath) const
{
    std::vector<std::string> arguments = start();
    // The list names the segments by their own paths.
    arguments.insert(arguments.end(), {"-f", "concat", "-safe", "0", "-i", "file:" + listPath});
    if (!soundPath.empty())
        arguments.insert(arguments.end(), {"-i", "file:" + soundPath});
    arguments.insert(arguments.end(), {"-map", "0:v:0"});
    if (!soundPath.empty())
        arguments.insert(arguments.end(), {"-map", "1:a:0"});
    arguments.insert(arguments.end(), {"-c", "copy", "-tag:v", "XVID"});
    addTiming(arguments, true);
    arguments.insert(arguments.end(), {"-f", "avi", "file:" + outputPath});
    return arguments;
}
