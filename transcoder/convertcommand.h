#ifndef CONVERTCOMMAND_H
#define CONVERTCOMMAND_H

#include <cstdint>
#include <string>

class MediaFile;
class TemporaryOutput;

// One conversion into an AVI file that either appears complete under its
// name or not at all.
class ConvertCommand
{
public:
    ConvertCommand(const std::string &inputPath, const std::string &outputPath, int quality);
    int run();

private:
    bool checkPaths();
    bool readInput(MediaFile &input);
    bool convert(MediaFile &input, TemporaryOutput &output);
    bool checkWritten(const TemporaryOutput &output, bool expectAudio);
    bool publish(TemporaryOutput &output);
    bool fail(const std::string &reason);
    int failureStatus() const;

    std::string m_inputPath;
    std::string m_outputPath;
    int m_quality;
    std::uint32_t m_duration = 0;
};

#endif // CONVERTCOMMAND_H
