#include "commandline.h"

#include "qualitycurve.h"

#include <cstring>

CommandLine::CommandLine(int argc, char **argv)
{
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        m_mode = Mode::Help;
    } else if (argc == 3 && std::strcmp(argv[1], "-i") == 0 && argv[2][0] != '\0') {
        m_inputPath = argv[2];
        m_mode = Mode::Probe;
    } else if (parseConvert(argc, argv)) {
        m_mode = Mode::Convert;
    }
}

// Only the exact shape "-i IN -vcodec mpeg4 -aq Q -acodec libmp3lame -aq Q -f avi OUT"
// is accepted: anything looser would let a stray word pass for an option.
bool CommandLine::parseConvert(int argc, char **argv)
{
    static const char *const shape[] = {
        nullptr, "-i", nullptr, "-vcodec", "mpeg4", "-aq", nullptr,
        "-acodec", "libmp3lame", "-aq", nullptr, "-f", "avi", nullptr,
    };
    constexpr int shapeSize = sizeof(shape) / sizeof(shape[0]);
    if (argc != shapeSize)
        return false;
    for (int i = 1; i < argc; ++i) {
        if (shape[i] && std::strcmp(argv[i], shape[i]) != 0)
            return false;
    }
    int videoQuality = -1;
    int audioQuality = -1;
    if (!parseQuality(argv[6], &videoQuality) || !parseQuality(argv[10], &audioQuality))
        return false;
    // The application writes the same slider value twice; two different
    // values would have no single meaning on our curve.
    if (videoQuality != audioQuality || argv[2][0] == '\0' || argv[13][0] == '\0')
        return false;
    m_inputPath = argv[2];
    m_outputPath = argv[13];
    m_quality = videoQuality;
    return true;
}

bool CommandLine::parseQuality(const char *text, int *quality)
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

std::string CommandLine::usage(const char *programName)
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
           "      the conversion succeeded; then \"##success##\" is printed and the\n"
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
           "no quarter-pel, no global motion compensation, a keyframe at every cut\n"
           "and at least every 10 seconds. At the same PSNR the files are about a\n"
           "third smaller than with ffmpeg's defaults for the encoder on\n"
           "photographic footage, for about a tenth more CPU time.\n"
           "\n"
           "Progress: when TARVELO_PROGRESS_SOCKET names a Unix datagram socket,\n"
           "every growth of the converted whole seconds is sent to it as 8 bytes:\n"
           "the message number 0xA5EF4CA5 and the seconds, both unsigned 32-bit\n"
           "integers in host byte order.\n"
           "\n"
           "Exit status: 0 success, 1 failure, 2 bad arguments, 128+N stopped by signal N.\n";
}
