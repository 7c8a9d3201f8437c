#ifndef OUTPUTBUDGET_H
#define OUTPUTBUDGET_H

#include <string>

// How many bits a second the picture may take so that the whole AVI stays
// within a size: what the sound and the AVI's own structure leave of it,
// spread over the playing time. Nothing is encoded here; the numbers come
// from the input's facts and the sound, encoded first.
class OutputBudget
{
public:
    // Sizes are told in MB of 1,048,576 bytes, as file managers count them.
    static constexpr long long megabyte = 1LL << 20;
    // FAT32, which the players' USB sticks almost all use, holds no file of
    // 4 GiB; nor do many players read one.
    static constexpr long long defaultLimitMegabytes = 4096;
    // Kept free below 4 GiB whatever the planning says (see outputbudget.cpp).
    static constexpr long long safetyMarginBytes = 4 * megabyte;
    // Below this rate at 320x240 (and so much more as the picture is larger)
    // the picture is blocks, not a film: such a limit is refused.
    static constexpr long long floorBitsPerSecond = 150000;
    static constexpr int floorWidth = 320;
    static constexpr int floorHeight = 240;
    // The most the encoder spends on average at any quantiser: a film whose
    // room allows this much is encoded as it always was.
    static constexpr long long ceilingBitsPerSecond = 4000000;

    struct Film
    {
        double seconds = 0;
        long long pictures = 0;
        // The sound as an AVI of its own (its chunks and their index included).
        long long soundBytes = 0;
        int width = 0;
        int height = 0;
    };

    struct Plan
    {
        enum class Verdict { AsAlways, Fitted, Refused };
        Verdict verdict = Verdict::AsAlways;
        // The average picture rate to aim at, when fitted.
        long long videoBitsPerSecond = 0;
        // What the picture's own bytes may come to in all.
        long long videoBytes = 0;
        // Why it was refused.
        std::string reason;
    };

    // The limit in bytes: TARVELO_MAX_OUTPUT_MB's text (none: nullptr), never
    // above 4 GiB less the margin. Returns 0 for a text that is no whole
    // number of MB from 1 up.
    static long long limitBytes(const char *megabytesText);
    // The limit as the user set it, in MB, for telling.
    static long long limitMegabytes(const char *megabytesText);

    // Whether a film of so many seconds and pictures fits whatever its
    // picture and sound hold; then its sound need not be encoded first.
    static bool fitsAnyway(double seconds, long long pictures, long long limit);
    static Plan plan(const Film &film, long long limit);
    // A rate lowered so that a picture of so many seconds that took
    // actualBytes at rate takes at most allowedBytes.
    static long long lowered(long long rate, double seconds, long long allowedBytes, long long actualBytes);
    // What the AVI adds to the pictures' own bytes.
    static long long videoOverheadBytes(long long pictures);
};

#endif // OUTPUTBUDGET_H
