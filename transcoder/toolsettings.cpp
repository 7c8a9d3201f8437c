#include "toolsettings.h"

#include "transcoder/tracks/readerlanguage.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <unistd.h>

namespace {

// A number from the environment within [lowest, highest], else the default.
double setting(const char *name, double lowest, double highest, double byDefault)
{
    const char *text = std::getenv(name);
    char *end = nullptr;
    const double value = text ? std::strtod(text, &end) : 0;
    if (!text || end == text || *end || !(value >= lowest && value <= highest))
        return byDefault;
    return value;
}

// A time from the environment, from a tenth of a second up.
std::chrono::milliseconds durationSetting(const char *name, double highestSeconds, double byDefault)
{
    return std::chrono::milliseconds(std::llround(setting(name, 0.1, highestSeconds, byDefault) * 1000));
}

} // namespace

ToolSettings ToolSettings::fromEnvironment()
{
    ToolSettings settings;
    settings.limits = {durationSetting("TARVELO_STALL_SECONDS", 86400, defaultStallSeconds),
                       durationSetting("TARVELO_STOP_GRACE_SECONDS", 60, defaultStopGraceSeconds)};
    const long cores = sysconf(_SC_NPROCESSORS_ONLN);
    settings.encodeJobs = int(setting("TARVELO_ENCODE_JOBS", 1, 64, double(std::clamp(cores, 1L, 64L))));
    settings.segmentSeconds = setting("TARVELO_SEGMENT_SECONDS", 1, 86400, defaultSegmentSeconds);
    settings.readerLanguage = ReaderLanguage::fromEnvironment();
    return settings;
}
