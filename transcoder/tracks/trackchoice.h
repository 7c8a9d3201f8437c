#ifndef TRACKCHOICE_H
#define TRACKCHOICE_H

#include "transcoder/media/streamdescription.h"

#include <string>
#include <vector>

// Which sound and which subtitles of an input a reader gets, from the
// streams' languages, flags and cue counts and the reader's language (empty
// when unknown). Each is one ranked order over the tracks, as media players
// rank them: the first difference decides, and the earlier track wins a tie.
namespace TrackChoice {

// The stream index of the sound to convert, -1 without any.
int sound(const std::vector<StreamDescription> &streams, const std::string &reader);

struct Subtitles
{
    int text = -1;      // the text track to write as NAME.srt
    int picture = -1;   // the picture track to burn into the film
    // Only the forced captions are wanted (the sound is in the reader's own
    // language, or no reader's language is known) and the chosen picture
    // track is an ordinary one: only the captions flagged forced inside it.
    bool forcedOnly = false;
};
Subtitles subtitles(const std::vector<StreamDescription> &streams, const std::string &reader, int soundIndex);

// Whether the cue counts could change the choice: two subtitle tracks share
// a language and one of them has no count yet. Counting costs a read of the
// whole file, so it is done only then.
bool needsCueCounts(const std::vector<StreamDescription> &streams);

bool isTextSubtitle(int codecId);
bool isPictureSubtitle(int codecId);

} // namespace TrackChoice

#endif // TRACKCHOICE_H
