#include "commandline.h"

#include "convertcommand.h"
#include "transcoder/encoding/colourconversion.h"
#include "transcoder/encoding/decoderbuffer.h"
#include "transcoder/encoding/outputbudget.h"
#include "transcoder/encoding/playerenvelope.h"
#include "transcoder/encoding/qualitycurve.h"
#include "transcoder/files/pathname.h"

#include "protocol/toolprotocol.h"

#include <cstdio>
#include <cstring>
#include <iterator>

namespace {

bool parseQuality(const char *text, int *quality)
{
    // No more digits than the highest quality has: "007" is not what the
    // application writes.
    const std::size_t length = std::strlen(text);
    if (length == 0 || length > std::to_string(highestQuality).size())
        return false;
    int value = 0;
    for (const char *digit = text; *digit; ++digit) {
        if (*digit < '0' || *digit > '9')
            return false;
        value = value * 10 + (*digit - '0');
        if (value > highestQuality)
            return false;
    }
    *quality = value;
    return value >= lowestQuality;
}

std::string quoted(const char *argument)
{
    return "\"" + PathName::printable(argument) + "\"";
}

// Only the exact shape is accepted: anything looser would let a stray word
// pass for an option. Returns why the arguments do not fit, or nothing.
template<std::size_t size>
std::string parseShape(const ToolArgumentSlot (&shape)[size], char **argv, CommandLine *parsed)
{
    for (std::size_t i = 0; i < size; ++i) {
        const char *argument = argv[i + 1];
        int quality = -1;
        switch (shape[i].kind) {
        case ToolArgument::Word:
            if (std::strcmp(argument, shape[i].word) != 0)
                return "argument " + std::to_string(i + 1) + " is " + quoted(argument) + ", not \""
                       + shape[i].word + "\"";
            break;
        case ToolArgument::Input:
            if (!*argument)
                return "the input path is empty";
            parsed->inputPath = argument;
            break;
        case ToolArgument::Output:
            if (!*argument)
                return "the output path is empty";
            parsed->outputPath = argument;
            break;
        case ToolArgument::Quality:
            if (!parseQuality(argument, &quality))
                return "the quality " + quoted(argument) + " is not a whole number from "
                       + std::to_string(lowestQuality) + " to " + std::to_string(highestQuality);
            // The application writes the same slider value twice; two different
            // values would have no single meaning on our curve.
            if (parsed->quality >= 0 && quality != parsed->quality)
                return "the two qualities differ";
            parsed->quality = quality;
            break;
        }
    }
    return {};
}

// A shape as people read it: its words, and names for the places.
template<std::size_t size>
std::string shapeText(const ToolArgumentSlot (&shape)[size], const char *inputName)
{
    std::string text;
    for (const ToolArgumentSlot &place : shape) {
        switch (place.kind) {
        case ToolArgument::Word:
            text += place.word;
            break;
        case ToolArgument::Input:
            text += inputName;
            break;
        case ToolArgument::Quality:
            text += "Q";
            break;
        case ToolArgument::Output:
            text += "OUT";
            break;
        }
        text += ' ';
    }
    text.pop_back();
    return text;
}

// A whole number with its thousands set apart, as people write it: 1,835,008.
std::string grouped(long long value)
{
    std::string text = std::to_string(value);
    for (int at = int(text.size()) - 3; at > 0; at -= 3)
        text.insert(std::size_t(at), ",");
    return text;
}

// A limit as people write it: 29.97, 30.
std::string number(double value)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%g", value);
    return text;
}

bool isHelp(int argc, char **argv)
{
    return argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0);
}

template<std::size_t size>
CommandLine parseMode(const ToolArgumentSlot (&shape)[size], char **argv, CommandLine::Mode mode)
{
    CommandLine commandLine;
    commandLine.error = parseShape(shape, argv, &commandLine);
    commandLine.mode = commandLine.error.empty() ? mode : CommandLine::Mode::Invalid;
    return commandLine;
}

} // namespace

CommandLine parseCommandLine(int argc, char **argv)
{
    const std::size_t count = argc > 0 ? std::size_t(argc - 1) : 0;
    if (isHelp(argc, argv)) {
        CommandLine help;
        help.mode = CommandLine::Mode::Help;
        return help;
    }
    if (count == std::size(probeShape))
        return parseMode(probeShape, argv, CommandLine::Mode::Probe);
    if (count == std::size(convertShape))
        return parseMode(convertShape, argv, CommandLine::Mode::Convert);
    CommandLine invalid;
    invalid.error = count == 0 ? "no arguments" : std::to_string(count) + " arguments, where a probe takes "
                    + std::to_string(std::size(probeShape)) + " and a conversion "
                    + std::to_string(std::size(convertShape));
    return invalid;
}

std::string usage(const char *programName)
{
    const std::string name = programName ? programName : "tarvelo-transcode";
    return "Usage:\n"
           "  " + name + " " + shapeText(probeShape, "FILE") + "\n"
           "      Print how long FILE's pictures and sound play, in whole seconds\n"
           "      rounded up, between two '$' signs (\"$187$\"); subtitle tracks and a\n"
           "      header's claim that the streams contradict do not count. Exit 0;\n"
           "      without a duration print \"$$\", a reason on standard error and exit 1.\n"
           "  " + name + " " + shapeText(convertShape, "IN") + "\n"
           "      Convert IN into the AVI file OUT (MPEG-4 Visual video tagged XVID,\n"
           "      MP3 audio) with the system's ffmpeg. Both Q are the same quality,\n"
           "      " + std::to_string(lowestQuality) + " (smallest size) to " + std::to_string(highestQuality)
           + " (highest quality). OUT is replaced only when\n"
           "      the conversion succeeded; then \"" + successMarker + "\" is printed and the\n"
           "      exit status is 0. SIGTERM, SIGINT and SIGHUP stop the conversion.\n"
           "  " + name + " --help\n"
           "      Show this text.\n"
           "\n"
           "Quality curve (video quantiser: 2 best .. 31 worst; MP3 VBR quality:\n"
           "0 best .. 9 worst), linear between these points, rounded, so that every\n"
           "step of Q gives at least the quality of the step below:\n"
           + QualityCurve::table() +
           "\n"
           "The output plays on DVD players, TVs and set-top boxes that play\n"
           "MPEG-4 AVI files: whatever the input and the quality, it stays within\n"
           "MPEG-4 Visual Advanced Simple Profile, level 5, as they decode it:\n"
           "  - at most " + std::to_string(PlayerEnvelope::maximumWidth) + " pixels wide, and "
           + std::to_string(PlayerEnvelope::maximumHeightUpTo25) + " lines at 25 pictures a second or\n"
           "    less, " + std::to_string(PlayerEnvelope::maximumHeightAbove25)
           + " above; larger pictures are scaled down (never up) to\n"
           "    square pixels at the shape they are shown at, turned phone videos\n"
           "    upright, in even sizes;\n"
           "  - at most " + number(PlayerEnvelope::maximumRate) + " pictures a second: a faster rate is divided by the\n"
           "    smallest whole number that brings it there (50 to 25, 59.94 to\n"
           "    29.97, 60 or 120 to 30) by keeping every n-th picture; a steady\n"
           "    rate up to " + number(PlayerEnvelope::maximumRate) + " keeps every picture; a varying rate becomes the first\n"
           "    of 23.976, 24, 25, 29.97 and 30 at or above its average; below "
           + number(PlayerEnvelope::minimumRate) + "\n"
           "    (a slideshow) pictures are repeated up to 25, or 29.97 for NTSC;\n"
           "  - the first picture and the first sound stay where the input has\n"
           "    them, within half a picture: a stream that starts late is preceded\n"
           "    by its first picture or by silence;\n"
           "  - interlaced pictures are deinterlaced at the frame rate (25i to\n"
           "    25p): all of a stream flagged interlaced, else those a detector\n"
           "    finds; progressive ones, and pictures too small for the\n"
           "    deinterlacer (under " + std::to_string(PlayerEnvelope::minimumDeinterlacedWidth) + "x"
           + std::to_string(PlayerEnvelope::minimumDeinterlacedHeight) + "), pass untouched;\n"
           "  - film carried at 29.97 by 3:2 pulldown goes back to its own pictures\n"
           "    at 23.976, whether the pattern is in the pictures (hard) or in\n"
           "    repeat-field flags (soft), as the detector finds it in stretches of\n"
           "    the file; a file that mixes film with interlaced video keeps every\n"
           "    moment at 29.97; standard error says which pulldown was found;\n"
           "  - colours in BT.601 at TV range, as SD players decode them: IN is\n"
           "    read by its matrix tag (BT.709, BT.601, BT.2020, FCC, SMPTE 240M;\n"
           "    others count as none), else by its size (more than 576 lines:\n"
           "    BT.709); HDR (PQ, HLG) is brought to SDR, up to reference white\n"
           "    (" + std::to_string(int(ColourConversion::referenceWhite))
           + " cd/m2) as its SDR master would look, its highlights rolled\n"
           "    off towards white from the film's MaxCLL or mastering peak, else\n"
           "    " + std::to_string(int(ColourConversion::assumedPeak))
           + " cd/m2; Dolby Vision plays as its HDR10, HLG or SDR base, and\n"
           "    profile 5, which has none, fails. A line on standard error tells\n"
           "    what was found and done;\n"
           "  - at most " + grouped(DecoderBuffer::averageBitsPerSecond / 1000)
           + " kb/s on average, and never more than a decoder buffer\n"
           "    of " + grouped(DecoderBuffer::sizeBits) + " bits refilled at "
           + grouped(DecoderBuffer::refillBitsPerSecond / 1000) + " kb/s holds; below that ceiling\n"
           "    every picture has the curve's quantiser;\n"
           "  - a keyframe at each cut that ffmpeg's scene detection finds (at the\n"
           "    extreme qualities it can miss one after heavy grain), at least\n"
           "    every " + number(PlayerEnvelope::longestKeyframeGapSeconds) + " seconds and every "
           + std::to_string(PlayerEnvelope::longestKeyframeGapPictures) + " pictures;\n"
           "  - no B-frames, no quarter-pel, no global motion compensation, FourCC\n"
           "    XVID;\n"
           "  - MP3 (MPEG-1 Layer III) at " + number(PlayerEnvelope::sampleRates[0] / 1000.0) + ", "
           + number(PlayerEnvelope::sampleRates[1] / 1000.0) + " or " + number(PlayerEnvelope::sampleRates[2] / 1000.0)
           + " kHz, mono or stereo:\n"
           "    surround is mixed down; another sample rate goes to the lowest of\n"
           "    these that is a whole multiple of it (22.05 kHz to 44.1, 16 to 32,\n"
           "    24 to 48), else to the highest that divides it (96 kHz to 48),\n"
           "    else to the nearest above it.\n"
           "At the same PSNR and size of picture the files are 0.55 to 0.72 of\n"
           "what ffmpeg's encoder gives by default and 0.75 to 0.98 of libxvid's on\n"
           "photographic footage, for 1.01 to 1.25 times libxvid's CPU time (1.05\n"
           "on average; the most at the top of the slider).\n"
           "\n"
           "Sound and subtitles follow the reader's language: the first entry of\n"
           "LANGUAGE, else LC_ALL, LC_MESSAGES or LANG (C and POSIX name none).\n"
           "  - The sound is the first track in that language (de, ger and deu\n"
           "    alike), else the first flagged default, else the first; commentary,\n"
           "    audio description and hearing-impaired tracks only when all are,\n"
           "    then chosen among them by the same rules.\n"
           "  - Subtitles go to OUT's name ending in .srt: IN's NAME.srt, else\n"
           "    NAME.<language>.srt, copied byte for byte; else, when the sound is\n"
           "    not in the reader's language, the fullest track in it (full, then\n"
           "    for the hearing impaired, then forced, then commentary), else the\n"
           "    fullest flagged default or forced; when it is, a forced track in\n"
           "    it, else the forced captions of a picture track in it; without a\n"
           "    reader's language, the same in the sound's language, else a track\n"
           "    flagged default or forced. A text track wins over pictures of the\n"
           "    same rank. A track with at most a tenth of the cues of the fullest\n"
           "    in its language counts as forced (cues the container does not\n"
           "    count are counted for up to " + std::to_string(ConvertCommand::cueCountTimeLimit.count()) + " s).\n"
           "  - Text tracks (SubRip, ASS/SSA, mov_text, WebVTT) lose their styling\n"
           "    but keep italics, are timed to OUT, and are written with CR LF in\n"
           "    their language's code page (1250 to 1257, 932, 936, 949, 950),\n"
           "    else in UTF-8 with a byte-order mark.\n"
           "  - A picture track (PGS, VobSub, DVB) so chosen is burned into the\n"
           "    picture: where only forced subtitles are wanted, only the captions\n"
           "    flagged forced (all of a track that counts as forced), else all.\n"
           "    Each is shown where and while the film shows it (to its end or the\n"
           "    next caption), scaled with the picture in its palette's colours, on\n"
           "    the deinterlaced picture; one placed outside a cropped picture is\n"
           "    moved, whole, inside it.\n"
           "    What a damaged track cannot decode is left out, with a note.\n"
           "  - The .srt appears only with a complete OUT. An existing one is\n"
           "    replaced only when OUT existed before, else left as it is, with a\n"
           "    note; subtitles that cannot be read never fail the conversion.\n"
           "\n"
           "Progress: when standard output is not a terminal, every growth of the\n"
           "converted whole seconds is written to it as a line \"" + progressPrefix + "N\".\n"
           "Before the success marker a line \"" + tracksPrefix + "SOUND KIND LANGUAGE\" tells\n"
           "the output's sound language, its subtitles (- none, file: the .srt,\n"
           "picture: burned in) and their language (und: not known, -: none).\n"
           "\n"
           "An IN longer than " + std::to_string(ToolSettings::defaultSegmentSeconds)
           + " s is encoded on every core: its video in\n"
           "segments by one ffmpeg per core, its sound once, then joined into\n"
           "the file one ffmpeg would make. TARVELO_ENCODE_JOBS sets how many\n"
           "(1: one ffmpeg for all). A long film gets longer segments, so that\n"
           "their files stay few and within the open-file limit (ulimit -n). A\n"
           "conversion whose ffmpeg reports no progress for TARVELO_STALL_SECONDS\n"
           "(" + std::to_string(ToolSettings::defaultStallSeconds) + ") fails, and a stopped ffmpeg that has not\n"
           "ended after TARVELO_STOP_GRACE_SECONDS (" + std::to_string(ToolSettings::defaultStopGraceSeconds)
           + ") is killed.\n"
           "\n"
           "No OUT reaches 4 GiB: the limit is " + std::to_string(OutputBudget::defaultLimitMegabytes)
           + " MB (of 1,048,576 bytes) less a\n"
           "margin of " + std::to_string(OutputBudget::safetyMarginBytes / OutputBudget::megabyte)
           + " MB, or TARVELO_MAX_OUTPUT_MB, smaller (700 for a CD). An IN\n"
           "that could pass it is planned before its picture is encoded: its sound\n"
           "is encoded first and the picture gets the average rate that fills 0.85\n"
           "to 1.00 of the limit, never finer than the curve's quantiser; what\n"
           "overshoots is encoded again at a lower rate before OUT is replaced, and\n"
           "a line \"" + fittedPrefix + "MB\" before the success marker tells the limit. A\n"
           "limit too small for the sound, or for a picture of "
           + std::to_string(OutputBudget::floorBitsPerSecond / 1000) + " kb/s at\n"
           + std::to_string(OutputBudget::floorWidth) + "x" + std::to_string(OutputBudget::floorHeight)
           + " (more as the picture is larger, by its area), fails at once.\n"
           "\n"
           "Exit status: 0 success, 1 failure, 2 bad arguments, 128+N stopped by signal N.\n";
}
