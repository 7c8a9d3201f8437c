#include "probecommand.h"

#include "transcoder/media/libav.h"
#include "transcoder/media/mediafile.h"
#include "transcoder/media/playingtimereader.h"
#include "transcoder/files/diagnostics.h"

#include "protocol/toolprotocol.h"

#include <cstdio>

namespace {
// A failed probe holds up the application's window, so it must end quickly.
constexpr std::chrono::milliseconds probeTimeLimit(900);
} // namespace

ProbeCommand::ProbeCommand(const std::string &inputPath)
    : inputPath(inputPath)
{
}

int ProbeCommand::run()
{
    LibAv libAv;
    MediaFile file(libAv);
    std::uint32_t seconds = 0;
    if (libAv.load() && file.open(inputPath, probeTimeLimit))
        seconds = readPlayingSeconds(file);
    if (seconds == 0) {
        const std::string &reason = libAv.isLoaded() ? file.error() : libAv.error();
        std::printf("%c%c\n", durationDelimiter, durationDelimiter);
        Diagnostics::note(inputPath + ": " + reason);
        return 1;
    }
    std::printf("%c%u%c\n", durationDelimiter, unsigned(seconds), durationDelimiter);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
