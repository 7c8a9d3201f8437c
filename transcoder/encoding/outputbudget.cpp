#include "outputbudget.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// ffmpeg's AVI writer, measured on its files: the headers with the room it
// keeps for the index of a file past 1 GiB, then per picture its chunk's
// header (8 bytes, odd sizes padded), the old index's entry (16) and the
// newer one's (8). A 4 GiB film of 2.4 hours carries 7 MB of them.
constexpr long long headerBytes = 16384;
constexpr long long bytesPerPicture = 33;

// Where the encoder's rate control is aimed within the room: a minute of
// grain comes out within a few per cent of its rate either way, and what
// passes the limit is encoded again.
constexpr double aim = 0.94;
// A picture encoded again misses in the same direction as before.
constexpr double loweredAim = 0.96;

// The MP3 encoder's most, 320 kb/s, and its frames' chunks at 48 kHz.
constexpr long long soundCeilingBitsPerSecond = 320000 + 42 * bytesPerPicture * 8;

long long parsedMegabytes(const char *text)
{
    // Set to nothing, as a shell line may leave it, it sets nothing.
    if (!text || !*text)
        return OutputBudget::defaultLimitMegabytes;
    char *end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text, &end, 10);
    if (end == text || *end || errno == ERANGE || value < 1 || *text == '+' || *text == ' ')
        return 0;
    return std::min(value, OutputBudget::defaultLimitMegabytes);
}

std::string megabytes(long long bytes)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%.1f MB", double(bytes) / OutputBudget::megabyte);
    return text;
}

} // namespace

long long OutputBudget::limitMegabytes(const char *megabytesText)
{
    return parsedMegabytes(megabytesText);
}

long long OutputBudget::limitBytes(const char *megabytesText)
{
    const long long limit = parsedMegabytes(megabytesText) * megabyte;
    return std::min(limit, defaultLimitMegabytes * megabyte - safetyMarginBytes);
}

long long OutputBudget::videoOverheadBytes(long long pictures)
{
    return headerBytes + std::max(0LL, pictures) * bytesPerPicture;
}

bool OutputBudget::fitsAnyway(double seconds, long long pictures, long long limit)
{
    // Without a playing time there is nothing to plan by; the size is checked afterwards.
    if (!(seconds > 0))
        return true;
    const double most = seconds * (ceilingBitsPerSecond + soundCeilingBitsPerSecond) / 8;
    return most + 2 * videoOverheadBytes(pictures) <= double(limit);
}

OutputBudget::Plan OutputBudget::plan(const Film &film, long long limit)
{
    Plan plan;
    if (!(film.seconds > 0))
        return plan;
    plan.videoBytes = limit - film.soundBytes - videoOverheadBytes(film.pictures);
    if (plan.videoBytes <= 0) {
        plan.verdict = Plan::Verdict::Refused;
        plan.reason = "the sound alone takes " + megabytes(film.soundBytes) + " of the " + megabytes(limit)
                      + " the output may take";
        return plan;
    }
    const double rate = double(plan.videoBytes) * 8 / film.seconds * aim;
    if (rate >= ceilingBitsPerSecond)
        return plan;
    const int width = film.width > 0 ? film.width : floorWidth;
    const int height = film.height > 0 ? film.height : floorHeight;
    const double floor = double(floorBitsPerSecond) * width * height / (floorWidth * floorHeight);
    if (rate < floor) {
        plan.verdict = Plan::Verdict::Refused;
        plan.reason = megabytes(limit) + " leaves the picture " + std::to_string(std::llround(rate / 1000))
                      + " kb/s, where " + std::to_string(width) + "x" + std::to_string(height) + " needs at least "
                      + std::to_string(std::llround(floor / 1000)) + " kb/s";
        return plan;
    }
    plan.verdict = Plan::Verdict::Fitted;
    plan.videoBitsPerSecond = std::llround(rate);
    return plan;
}

// What the rate control overshot by is taken as a cost of its own, not a
// share of the rate: most of it is what the first pictures took from the
// buffer the segment started with, which they take again at a lower rate.
long long OutputBudget::lowered(long long rate, double seconds, long long allowedBytes, long long actualBytes)
{
    if (actualBytes <= allowedBytes || !(seconds > 0))
        return rate;
    const double planned = double(rate) * seconds / 8;
    const double wanted = double(allowedBytes) * loweredAim - (double(actualBytes) - planned);
    // The rate control holds a rate much lower than it was asked for no better.
    return std::max(1000LL, std::llround(std::max(wanted, planned / 4) * 8 / seconds));
}
