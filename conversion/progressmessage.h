#ifndef PROGRESSMESSAGE_H
#define PROGRESSMESSAGE_H

// Shared by the application and the transcoder tool, so it stays free of Qt.

#include <cstddef>
#include <cstdint>

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

// One notification, sent as exactly one datagram of this size in host byte order.
struct ProgressMessage
{
    std::uint32_t message;
    std::uint32_t wParam;
};

static_assert(sizeof(ProgressMessage) == 8, "a notification is exactly 8 bytes");

#endif // PROGRESSMESSAGE_H
