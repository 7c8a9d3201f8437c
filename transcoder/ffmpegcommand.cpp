#include "ffmpegcommand.h"

#include "pathname.h"
#include "qualitycurve.h"

FfmpegCommand::FfmpegCommand(const std::string &inputPath, const std::string &outputPath, int quality)
    : m_inputPath(inputPath)
    , m_outputPath(outputPath)
    , m_quality(quality)
{
}

void FfmpegCommand::setStreams(const MediaFile::Stream &video, const MediaFile::Stream &audio)
{
    m_video = video;
    m_audio = audio;
}

std::vector<std::string> FfmpegCommand::arguments() const
{
    std::vector<std::string> arguments = {
        "ffmpeg", "-nostdin", "-hide_banner", "-nostats", "-loglevel", "error",
        // The output is our own temporary file, which exists already.
        "-y",
        "-progress", "pipe:1",
        "-protocol_whitelist", "file",
        "-i", PathName::url(m_inputPath),
        "-map", "0:" + std::to_string(m_video.index),
    };
    if (m_audio.exists())
        arguments.insert(arguments.end(), {"-map", "0:" + std::to_string(m_audio.index)});
    arguments.insert(arguments.end(), {"-sn", "-dn", "-map_chapters", "-1",
                                       "-max_muxing_queue_size", "4096"});
    addVideo(arguments);
    addAudio(arguments);
    arguments.insert(arguments.end(), {"-f", "avi", "file:" + m_outputPath});
    return arguments;
}

void FfmpegCommand::addVideo(std::vector<std::string> &arguments) const
{
    const QualityCurve curve(m_quality);
    // Square pixels at the displayed shape, rounded to even sizes for 4:2:0;
    // ffmpeg has already turned the picture upright by then.
    const std::string scale = "scale='max(2,trunc(iw*sar/2+0.5)*2)':'max(2,trunc(ih/2+0.5)*2)',setsar=1";
    arguments.insert(arguments.end(), {
        "-vf", scale,
        "-c:v", "mpeg4",
        // Hardware players look for this FourCC.
        "-vtag", "XVID",
        "-pix_fmt", "yuv420p",
        "-q:v", std::to_string(curve.videoQuantiser()),
    });
}

void FfmpegCommand::addAudio(std::vector<std::string> &arguments) const
{
    if (!m_audio.exists()) {
        arguments.push_back("-an");
        return;
    }
    const QualityCurve curve(m_quality);
    arguments.insert(arguments.end(), {"-c:a", "libmp3lame", "-q:a", curve.mp3QualityText()});
    if (m_audio.channels > 2)
        arguments.insert(arguments.end(), {"-ac", "2"});
    const int rate = mp3SampleRate(m_audio.sampleRate);
    if (rate != m_audio.sampleRate)
        arguments.insert(arguments.end(), {"-ar", std::to_string(rate)});
}

// The rates MPEG audio knows; anything else is brought to the nearest one that
// loses nothing audible, preferring the same family (44.1 kHz multiples).
int FfmpegCommand::mp3SampleRate(int inputRate)
{
    static const int rates[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
    for (int rate : rates) {
        if (rate == inputRate)
            return rate;
    }
    if (inputRate <= 0 || inputRate > 48000)
        return inputRate > 0 && inputRate % 11025 == 0 ? 44100 : 48000;
    for (int rate : rates) {
        if (rate > inputRate)
            return rate;
    }
    return 48000;
}
