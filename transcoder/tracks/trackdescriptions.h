#ifndef TRACKDESCRIPTIONS_H
#define TRACKDESCRIPTIONS_H

#include "transcoder/media/streamdescription.h"

#include <chrono>
#include <vector>

class MediaFile;

// Every stream's kind, codec, language and flags, for choosing tracks, with
// the cue counts the container keeps.
std::vector<StreamDescription> describeTracks(const MediaFile &file);
// Fills in the cue counts the container does not keep by reading the
// subtitle packets from the start, for at most timeLimit: a count of part
// of the film still tells a track of a few lines from a full one.
void countCues(MediaFile &file, std::vector<StreamDescription> &tracks, std::chrono::milliseconds timeLimit);

#endif // TRACKDESCRIPTIONS_H
