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
    int text = -1;      // the text track to write as NAME.srt
    int picture = -1;   // the picture track to burn into the film, where no text track qualifies
    // Only the forced captions are wanted (the sound is in the reader's own
    // language, or no reader's language is known): of a track not flagged
    // forced, only the captions flagged forced inside it.
    bool forcedOnly = false;
};
Subtitles subtitles(const std::vector<StreamDescription> &streams, const std::string &reader, int soundIndex);

bool isTextSubtitle(int codecId);
bool isPictureSubtitle(int codecId);

} // namespace TrackChoice

#endif // TRACKCHOICE_H
