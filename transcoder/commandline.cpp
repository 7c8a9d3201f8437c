#include "commandline.h"

#include "pathname.h"
#include "qualitycurve.h"

#include "protocol/toolprotocol.h"

#include <cstring>
#include <iterator>

namespace {

bool parseQuality(const char *text, int *quality)
{
    const std::size_t length = std::strlen(text);
    if (length == 0 || length > 2)
        return false;
    int value = 0;
    for (std::size_t i = 0; i < length; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + (text[i] - '0');
    }
    if (value < QualityCurve::minimumQuality || value > QualityCurve::maximumQuality)
        return false;
    *quality = value;
    return true;
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
                return "the quality " + quoted(argument) + " is not a whole number from 0 to 99";
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

bool isHelp(int argc, char **argv)
{
    return argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0);
}

} // namespace

template<std::size_t size>
CommandLine parseMode(const ToolArgumentSlot (&shape)[size], char **argv, CommandLine::Mode mode)
{
    CommandLine commandLine;
    commandLine.error = parseShape(shape, argv, &commandLine);
    commandLine.mode = commandLine.error.empty() ? mode : CommandLine::Mode::Invalid;
    return commandLine;
}

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
           "  " + name + " -i FILE\n"
           "      Print FILE's playing time in whole seconds, rounded up, between two\n"
           "      '$' signs (\"$187$\"). Exit 0; without a duration print \"$$\", a\n"
           "      reason on standard error and exit 1.\n"
           "  " + name + " -i IN -vcodec mpeg4 -aq Q -acodec libmp3lame -aq Q -f avi OUT\n"
           "      Convert IN into the AVI file OUT (MPEG-4 Visual video tagged XVID,\n"
           "      MP3 audio) with the system's ffmpeg. Both Q are the same quality,\n"
           "      0 (smallest size) to 99 (highest quality). OUT is replaced only when\n"
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
           "Video is MPEG-4 Visual as XviD and DivX players decode it: no B-frames,\n"
           "no quarter-pel, no global motion compensation, a keyframe at each cut\n"
           "that ffmpeg's scene detection finds (at the extreme qualities it can\n"
           "miss one after heavy grain) and at least every 10 seconds. At the same\n"
           "PSNR the files are about a third smaller than with ffmpeg's defaults\n"
           "for the encoder on photographic footage, for about a fifth more CPU.\n"
           "\n"
           "Progress: when standard output is not a terminal, every growth of the\n"
           "converted whole seconds is written to it as a line \"" + progressPrefix + "N\".\n"
           "\n"
           "Exit status: 0 success, 1 failure, 2 bad arguments, 128+N stopped by signal N.\n";
}
