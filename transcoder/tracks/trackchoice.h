#ifndef TRACKCHOICE_H
#define TRACKCHOICE_H

#include "transcoder/media/streamdescription.h"

#include <string>
#include <vector>

// Which sound and which subtitles of an input a reader gets, from the
// streams' languages and flags and the reader's language (empty when unknown).
namespace TrackChoice {

// The stream index of the sound to convert, -1 without any.
int sound(const std::vector<StreamDescription> &streams, const std::string &reader);

struct Subtitles
{
    int text = -1;      // the text track to write
    int picture = -1;   // the track chosen where no text track was, holding pictures
};
Subtitles subtitles(const std::vector<StreamDescription> &streams, const std::string &reader, int soundIndex);

bool isTextSubtitle(int codecId);
bool isPictureSubtitle(int codecId);

} // namespace TrackChoice

#endif // TRACKCHOICE_H
