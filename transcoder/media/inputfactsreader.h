#ifndef INPUTFACTSREADER_H
#define INPUTFACTSREADER_H

#include "inputfacts.h"

class MediaFile;

// What the headers and findStreams() tell of the video and of the sound
// stream soundStream (-1: none); nothing while the file is not open.
InputFacts readInputFacts(const MediaFile &file, int soundStream);

#endif // INPUTFACTSREADER_H
