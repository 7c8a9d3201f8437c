#ifndef COMMANDLINE_H
#define COMMANDLINE_H

#include <string>

// The two argument shapes the application sends, and --help for people.
struct CommandLine
{
    enum class Mode { Invalid, Help, Probe, Convert };

    Mode mode = Mode::Invalid;
    std::string inputPath;
    std::string outputPath;
    int quality = -1;
    // Why the arguments were refused, for Mode::Invalid.
    std::string error;
};

CommandLine parseCommandLine(int argc, char **argv);
std::string usage(const char *programName);

#endif // COMMANDLINE_H
