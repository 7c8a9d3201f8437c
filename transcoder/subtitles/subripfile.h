#ifndef SUBRIPFILE_H
#define SUBRIPFILE_H

#include <cstdint>
#include <string>
#include <vector>

// A SubRip (.srt) file as DVD players and TVs read it: numbered cues,
// "HH:MM:SS,mmm" times and CR LF line ends, the text in the code page
// players expect for its language.
namespace SubRipFile {

struct Cue
{
    std::int64_t start = 0;   // milliseconds on the output's timeline
    std::int64_t end = 0;
    std::string text;         // UTF-8, lines separated by '\n'
};

// The file's text in UTF-8; cues in the order they are shown.
std::string text(std::vector<Cue> cues);
// The file's bytes: the text in the code page (CP1252 and the like), or
// UTF-8 after a byte-order mark when there is none (0) or a character does
// not fit it.
std::string encoded(const std::string &utf8, int codePage);

} // namespace SubRipFile

#endif // SUBRIPFILE_H
