#ifndef DECODERBUFFER_H
#define DECODERBUFFER_H

#include "transcoder/media/inputfacts.h"

// The players' decoder buffer: 1,835,008 bits, refilled at 4,854 kb/s up to
// full, from which each picture's bits are taken at its time. A picture whose
// bits are not all there yet when it is due is an underflow: the player stalls
// or drops it.
class DecoderBuffer
{
public:
    static constexpr long long sizeBits = 1835008;
    static constexpr long long refillBitsPerSecond = 4854000;
    // Players are certified for this average; the rate control aims below
    // it, leaving room for its own error.
    static constexpr long long averageBitsPerSecond = 4000000;
    static constexpr long long targetBitsPerSecond = averageBitsPerSecond * 9 / 10;

    DecoderBuffer(InputFacts::Rate pictureRate, long long startBits = sizeBits);

    void take(long long pictureBits);
    // What the buffer holds when the next picture is due.
    long long bits() const { return occupancy; }
    bool underflowed() const { return underflow; }

private:
    long long refillPerPicture;
    long long occupancy;
    bool underflow = false;
};

#endif // DECODERBUFFER_H
