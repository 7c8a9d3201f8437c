#include "commandline.h"
#include "convertcommand.h"
#include "probecommand.h"

#include <cstdio>

int main(int argc, char **argv)
{
    const CommandLine commandLine = parseCommandLine(argc, argv);
    switch (commandLine.mode) {
    case CommandLine::Mode::Help:
        std::fputs(usage(argv[0]).c_str(), stdout);
        return 0;
    case CommandLine::Mode::Probe:
        return ProbeCommand(commandLine.inputPath).run();
    case CommandLine::Mode::Convert:
        return ConvertCommand(commandLine.inputPath, commandLine.outputPath, commandLine.quality,
                              ToolSettings::fromEnvironment()).run();
    case CommandLine::Mode::Invalid:
        break;
    }
    std::fprintf(stderr, "tarvelo-transcode: %s\n\n", commandLine.error.c_str());
    std::fputs(usage(argc > 0 ? argv[0] : nullptr).c_str(), stderr);
    return 2;
}
