#ifndef FFMPEGCOMMAND_H
#define FFMPEGCOMMAND_H

#include <string>
#include <vector>

// The ffmpeg argument vector for one conversion. Every path goes in as
// "file:" plus an absolute path, so no file name reads as an option or a protocol.
// Nothing in it depends on reading the input first, so ffmpeg can start at once.
class FfmpegCommand
{
public:
    FfmpegCommand(const std::string &inputPath, const std::string &outputPath, int quality);

    std::vector<std::string> arguments() const;

private:
    void addVideo(std::vector<std::string> &arguments) const;
    void addAudio(std::vector<std::string> &arguments) const;

    std::string inputPath;
    std::string outputPath;
    int quality;
};

#endif // FFMPEGCOMMAND_H
