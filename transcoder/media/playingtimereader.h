#ifndef PLAYINGTIMEREADER_H
#define PLAYINGTIMEREADER_H

#include <cstdint>

class MediaFile;

// How long the pictures and sound of the open file play (PlayingTime), in
// whole seconds rounded up, so that converted seconds never exceed it; 0
// when unknown, with the reason in the file's error(). The headers are read
// first; the streams and the last packets only where those leave it unknown
// or doubtful.
std::uint32_t readPlayingSeconds(MediaFile &file);

#endif // PLAYINGTIMEREADER_H
