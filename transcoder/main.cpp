#include "commandline.h"
#include "convertcommand.h"
#include "probecommand.h"

extern "C" {
#include <libavutil/log.h>
}

#include <cstdio>

int main(int argc, char **argv)
{
    // Failures are reported as one line of our own, not libav's chatter.
    av_log_set_level(AV_LOG_QUIET);
    const CommandLine commandLine(argc, argv);
    switch (commandLine.mode()) {
    case CommandLine::Mode::Help:
        std::fputs(CommandLine::usage(argv[0]).c_str(), stdout);
        return 0;
    case CommandLine::Mode::Probe:
        return ProbeCommand(commandLine.inputPath()).run();
    case CommandLine::Mode::Convert:
        return ConvertCommand(commandLine.inputPath(), commandLine.outputPath(), commandLine.quality()).run();
    case CommandLine::Mode::Invalid:
        break;
    }
    std::fputs(CommandLine::usage(argc > 0 ? argv[0] : nullptr).c_str(), stderr);
    return 2;
}
