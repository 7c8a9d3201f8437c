#include "convertcommand.h"

#include "ffmpegcommand.h"
#include "ffmpegprocess.h"
#include "mediafile.h"
#include "pathname.h"
#include "progressreader.h"
#include "progresssender.h"
#include "stopsignals.h"
#include "temporaryoutput.h"

extern "C" {
#include <libavcodec/codec_id.h>
#include <libavutil/common.h>
}

#include <cstdio>
#include <sys/stat.h>

namespace {
constexpr std::chrono::milliseconds inputTimeLimit(15000);
constexpr std::chrono::milliseconds outputTimeLimit(15000);
constexpr std::uint32_t xvidTag = MKTAG('X', 'V', 'I', 'D');
} // namespace

ConvertCommand::ConvertCommand(const std::string &inputPath, const std::string &outputPath, int quality)
    : m_inputPath(inputPath)
    , m_outputPath(outputPath)
    , m_quality(quality)
{
}

int ConvertCommand::run()
{
    if (!StopSignals::install()) {
        fail("cannot watch for stop signals");
        return 1;
    }
    MediaFile input;
    if (!checkPaths() || !readInput(input))
        return failureStatus();
    TemporaryOutput output(m_outputPath);
    if (!output.create()) {
        fail(output.error());
        return failureStatus();
    }
    if (!convert(input, output) || !publish(output))
        return failureStatus();
    return 0;
}

bool ConvertCommand::fail(const std::string &reason)
{
    std::fprintf(stderr, "tarvelo-transcode: %s\n", PathName::printable(reason).c_str());
    return false;
}

int ConvertCommand::failureStatus() const
{
    return StopSignals::requested() ? 128 + StopSignals::signalNumber() : 1;
}

// Refused before anything is written: a conversion onto its own input would
// destroy the input, and a folder cannot become a file.
bool ConvertCommand::checkPaths()
{
    struct stat inputInfo, outputInfo;
    if (stat(m_inputPath.c_str(), &inputInfo) != 0)
        return fail(PathName::printable(m_inputPath) + ": cannot read the file");
    if (stat(m_outputPath.c_str(), &outputInfo) != 0)
        return true;
    if (inputInfo.st_dev == outputInfo.st_dev && inputInfo.st_ino == outputInfo.st_ino)
        return fail("the output is the input file itself");
    if (S_ISDIR(outputInfo.st_mode))
        return fail(PathName::printable(m_outputPath) + ": the output is a folder");
    return true;
}

bool ConvertCommand::readInput(MediaFile &input)
{
    const std::string name = PathName::printable(m_inputPath);
    if (!input.open(m_inputPath, inputTimeLimit) || (!input.headersAreEnough() && !input.findStreams()))
        return fail(name + ": " + input.error());
    if (!input.videoStream().exists())
        return fail(name + ": the file has no video");
    // Without a duration the conversion still runs; only progress is not sent.
    m_duration = input.durationSeconds();
    return true;
}

bool ConvertCommand::convert(MediaFile &input, TemporaryOutput &output)
{
    FfmpegCommand command(m_inputPath, output.path(), m_quality);
    const MediaFile::Stream audio = input.audioStream();
    command.setStreams(input.videoStream(), audio);
    ProgressReader reader;
    ProgressSender sender(m_duration);
    FfmpegProcess ffmpeg(command.arguments(), output.fd());
    const bool converted = ffmpeg.run([&](const char *data, std::size_t size) {
        if (reader.feed(data, size))
            sender.report(reader.seconds());
    });
    if (!converted)
        return fail(ffmpeg.error());
    if (!checkWritten(output, audio.exists()))
        return false;
    sender.finish();
    return true;
}

// ffmpeg can exit 0 after writing little or nothing (an input that stops
// decoding early); only a readable AVI of the promised kind is published.
bool ConvertCommand::checkWritten(const TemporaryOutput &output, bool expectAudio)
{
    MediaFile written;
    if (!written.open(output.path(), outputTimeLimit))
        return fail("ffmpeg wrote no readable AVI file: " + written.error());
    const MediaFile::Stream video = written.videoStream();
    const MediaFile::Stream audio = written.audioStream();
    if (written.formatName() != "avi" || video.codecId != AV_CODEC_ID_MPEG4 || video.codecTag != xvidTag)
        return fail("ffmpeg wrote something other than MPEG-4 video in AVI");
    if (expectAudio && audio.codecId != AV_CODEC_ID_MP3)
        return fail("ffmpeg wrote no MP3 audio");
    if (!written.hasVideoPacket())
        return fail("ffmpeg wrote no pictures");
    return true;
}

// Once the file is in place the conversion has happened; a stop request that
// arrives during these last steps waits until the marker is out.
bool ConvertCommand::publish(TemporaryOutput &output)
{
    StopSignals::block();
    bool published = false;
    if (StopSignals::requested())
        fail(std::string("stopped by ") + strsignal(StopSignals::signalNumber()));
    else if (!output.commit())
        fail(output.error());
    else
        published = true;
    if (published) {
        std::fputs("##success##\n", stdout);
        std::fflush(stdout);
    }
    return published;
}
