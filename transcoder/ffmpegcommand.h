#ifndef FFMPEGCOMMAND_H
#define FFMPEGCOMMAND_H

#include "mediafile.h"

#include <string>
#include <vector>

// The ffmpeg argument vector for one conversion. Every path goes in as
// "file:" plus an absolute path, so no file name reads as an option or a protocol.
class FfmpegCommand
{
public:
    FfmpegCommand(const std::string &inputPath, const std::string &outputPath, int quality);

    void setStreams(const MediaFile::Stream &video, const MediaFile::Stream &audio);
    std::vector<std::string> arguments() const;

    static int mp3SampleRate(int inputRate);

private:
    void addVideo(std::vector<std::string> &arguments) const;
    void addAudio(std::vector<std::string> &arguments) const;

    std::string m_inputPath;
    std::string m_outputPath;
    int m_quality;
    MediaFile::Stream m_video;
    MediaFile::Stream m_audio;
};

#endif // FFMPEGCOMMAND_H
