#ifndef COLOURREADER_H
#define COLOURREADER_H

#include "inputfacts.h"

#include <chrono>

class LibAv;
class MediaFile;
struct AVStream;

// How a video stream's colours are coded: the tags its parameters carry,
// the depth and kind of its pixels, and the records of its light and of
// Dolby Vision that its container keeps beside it.
class ColourReader
{
public:
    // libAv must be loaded and outlive the reader.
    explicit ColourReader(const LibAv &libAv);

    InputFacts::Colour fromStream(const AVStream *stream) const;
    // Containers that keep no record of the light (MPEG transport streams,
    // raw HEVC) leave it to the pictures themselves: the first one is
    // decoded for it, within timeLimit. Nothing changes when it cannot be.
    void addFirstPictureLight(MediaFile &file, int streamIndex, std::chrono::milliseconds timeLimit,
                              InputFacts::Colour &colour) const;

private:
    const LibAv &libAv;
};

#endif // COLOURREADER_H
