#include "decoderbuffer.h"

#include <algorithm>

DecoderBuffer::DecoderBuffer(InputFacts::Rate pictureRate, long long startBits)
    // Rounded down: the buffer is never assumed fuller than it is.
    : refillPerPicture(pictureRate.num > 0 ? refillBitsPerSecond * pictureRate.den / pictureRate.num : 0)
    , occupancy(std::clamp(startBits, 0LL, sizeBits))
{
}

void DecoderBuffer::take(long long pictureBits)
{
    if (pictureBits > occupancy)
        underflow = true;
    occupancy = std::min(sizeBits, std::max(0LL, occupancy - pictureBits) + refillPerPicture);
}
