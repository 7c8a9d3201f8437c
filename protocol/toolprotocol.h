#ifndef TOOLPROTOCOL_H
#define TOOLPROTOCOL_H

// What the application and the transcoder tool say to each other. Both
// programs include this one header, the tool without Qt, so it stays free of it.

#include <cstddef>
#include <cstdint>

// The tool, found relative to the current folder, which start-up makes the
// program folder.
constexpr const char toolProgram[] = "./tarvelo-transcode";

// Printed by a conversion on its standard output once the output is in place.
constexpr const char successMarker[] = "##success##";

// A probe prints the playing time in whole seconds between two of these, so
// that any chatter around it can be told apart.
constexpr char durationDelimiter = '$';

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

// The name both sides "register"; its number is derived from the name alone,
// so every process that registers it gets the same one without asking anybody.
constexpr const char progressMessageName[] = "ProgressMessage";

// Environment variable through which the application hands the channel's
// socket path to every child it starts.
constexpr const char progressSocketVariable[] = "TARVELO_PROGRESS_SOCKET";

constexpr std::uint32_t fnv1a32(const char *text)
{
    std::uint32_t hash = 2166136261u;
    for (; *text; ++text) {
        hash ^= static_cast<unsigned char>(*text);
        hash *= 16777619u;
    }
    return hash;
}

constexpr std::uint32_t registeredMessageId(const char *name)
{
    return fnv1a32(name);
}

static_assert(registeredMessageId(progressMessageName) == 0xA5EF4CA5u,
              "the tool and the application must agree on the message number");

// One notification, sent as exactly one datagram of this size in host byte
// order: the message number and the converted whole seconds.
struct ProgressMessage
{
    std::uint32_t message;
    std::uint32_t wParam;
};

static_assert(sizeof(ProgressMessage) == 8, "a notification is exactly 8 bytes");

#endif // TOOLPROTOCOL_H
