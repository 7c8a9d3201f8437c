#ifndef TOOLPROTOCOL_H
#define TOOLPROTOCOL_H

// What the application and the transcoder tool say to each other. Both
// programs include this one header, the tool without Qt, so it stays free of it.

// The tool, found relative to the current folder, which start-up makes the
// program folder.
constexpr const char toolProgram[] = "./tarvelo-transcode";

// Printed by a conversion on its standard output once the output is in place.
constexpr const char successMarker[] = "##success##";

// A probe prints the playing time in whole seconds between two of these, so
// that any chatter around it can be told apart.
constexpr char durationDelimiter = '$';

// The quality the application sends, its slider's range: from "Smallest
// Size" to "Highest Quality".
constexpr int lowestQuality = 0;
constexpr int highestQuality = 99;

// The argument lists of the two modes: words that are written as they are,
// and places that the caller fills in.
enum class ToolArgument { Word, Input, Quality, Output };

struct ToolArgumentSlot
{
    ToolArgument kind;
    const char *word;   // only for ToolArgument::Word
};

constexpr ToolArgumentSlot probeShape[] = {
    {ToolArgument::Word, "-i"},
    {ToolArgument::Input, nullptr},
};

// The quality goes in twice, the same slider value both times.
constexpr ToolArgumentSlot convertShape[] = {
    {ToolArgument::Word, "-i"},
    {ToolArgument::Input, nullptr},
    {ToolArgument::Word, "-vcodec"},
    {ToolArgument::Word, "mpeg4"},
    {ToolArgument::Word, "-aq"},
    {ToolArgument::Quality, nullptr},
    {ToolArgument::Word, "-acodec"},
    {ToolArgument::Word, "libmp3lame"},
    {ToolArgument::Word, "-aq"},
    {ToolArgument::Quality, nullptr},
    {ToolArgument::Word, "-f"},
    {ToolArgument::Word, "avi"},
    {ToolArgument::Output, nullptr},
};

// While converting, the tool reports how far it has come on its standard
// output, one line per growth of the converted whole seconds of playing time:
// this prefix, the seconds in decimal, a newline. Neither "#" nor "$" ever
// appears in such a line, so it cannot be read as the marker or as a probe's
// answer, and only the tool the worker started can write to that pipe.
//
// Each step guards the number against what only it can see: the tool's
// ProgressReader takes no value that goes back (ffmpeg's times jitter around
// a cut), its ProgressSender holds the value to the probed duration (ffmpeg
// runs past a container's stated length), and the window keeps each file's
// value within its band of the bar and the bar from moving back (a report
// may come late, or from a tool it did not write).
constexpr const char progressPrefix[] = "@progress ";

// Once the output is in place, right before the success marker, the tool
// tells which sound and which subtitles it got, on one line: this prefix
// and three words between single blanks, the sound's language, the
// subtitles' kind and their language. A language is its ISO 639 code in
// lower-case letters ("de", or "ger" where there is no two-letter one),
// tracksUnknownLanguage where the file does not tell, tracksNone where there
// is no such track. The kind is tracksNone, tracksInFile (NAME.srt beside
// the AVI, the AVI's own name with .srt) or tracksInPicture (burned into the
// film). Plain facts only: the window words them in the reader's language.
constexpr const char tracksPrefix[] = "@tracks ";
constexpr const char tracksNone[] = "-";
constexpr const char tracksUnknownLanguage[] = "und";
constexpr const char tracksInFile[] = "file";
constexpr const char tracksInPicture[] = "picture";
// The longest language code sent.
constexpr int tracksLongestLanguage = 8;

// Beside the tracks line, when the picture was fitted to the size the
// output may take: this prefix and that size in whole MB of 1,048,576 bytes
// in decimal ("@fitted 4096").
constexpr const char fittedPrefix[] = "@fitted ";

#endif // TOOLPROTOCOL_H
