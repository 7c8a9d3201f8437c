#ifndef CONVERTCOMMAND_H
#define CONVERTCOMMAND_H

#include "inputfacts.h"
#include "libav.h"

#include <cstdint>
#include <string>

class SegmentPlan;
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
    std::string readInput();
    bool convert(TemporaryOutput &output);
    bool convertInSegments(TemporaryOutput &output, const SegmentPlan &plan);
    bool checkWritten(const TemporaryOutput &output);
    bool publish(TemporaryOutput &output);
    bool fail(const std::string &reason);
    int failureStatus() const;

    std::string inputPath;
    std::string outputPath;
    int quality;
    LibAv libAv;
    // What reading the input told; the duration is 0 when unknown.
    std::uint32_t duration = 0;
    bool inputHasAudio = false;
    InputFacts inputFacts;
};

#endif // CONVERTCOMMAND_H
