#ifndef PLAYINGTIMEREADER_H
#define PLAYINGTIMEREADER_H

#include "playingtime.h"

#include <cstdint>

class MediaFile;

// Reads a file's PlayingTime: the headers first, the streams and the last
// packets only where those leave it unknown or doubtful.
class PlayingTimeReader
{
public:
    // The file must be open and outlive this.
    explicit PlayingTimeReader(MediaFile &file);

    // How long the pictures and sound play, in whole seconds rounded up, so
    // that converted seconds never exceed it; 0 when unknown, with the
    // reason kept in the file's error().
    std::uint32_t seconds();

private:
    double playingStart() const;
    PlayingTime fromHeaders() const;
    double endOfPlayingPackets(const PlayingTime &time);

    MediaFile &file;
};

#endif // PLAYINGTIMEREADER_H
