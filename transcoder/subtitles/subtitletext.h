#ifndef SUBTITLETEXT_H
#define SUBTITLETEXT_H

#include <string>

// The words of one subtitle as players of SubRip files show them. libavcodec
// hands every text subtitle (SubRip, ASS/SSA, mov_text, WebVTT) over as an
// ASS dialogue event; its styling and positioning mean nothing to those
// players and would show as text, except italics, which they know as <i>.
namespace SubtitleText {

// From an event's fields "ReadOrder,Layer,Style,Name,MarginL,MarginR,MarginV,Effect,Text":
// the text with one '\n' between lines, no empty lines, nothing when nothing is left.
std::string fromAssEvent(const std::string &event);
// The same from the Text field alone.
std::string fromAssText(const std::string &text);

} // namespace SubtitleText

#endif // SUBTITLETEXT_H
