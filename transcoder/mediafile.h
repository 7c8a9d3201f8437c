#ifndef MEDIAFILE_H
#define MEDIAFILE_H

#include "inputfacts.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

class LibAv;
struct AVFormatContext;

// A media file opened in-process with libavformat, for the probe, for the
// facts a conversion needs about its input and for checking what ffmpeg wrote.
class MediaFile
{
public:
    struct Stream
    {
        int index = -1;
        int codecId = 0;
        std::uint32_t codecTag = 0;
        bool exists() const { return index >= 0; }
    };

    // libAv must outlive the file; nothing opens until it is loaded.
    explicit MediaFile(const LibAv &libAv);
    ~MediaFile();
    MediaFile(const MediaFile &) = delete;
    MediaFile &operator=(const MediaFile &) = delete;

    // Everything, including a failure, answers within the time limit.
    bool open(const std::string &path, std::chrono::milliseconds timeLimit);
    bool findStreams();

    const std::string &error() const { return lastError; }
    std::string formatName() const;
    // Whole seconds rounded up, so that converted seconds never exceed it; 0 when unknown.
    std::uint32_t durationSeconds();
    Stream videoStream() const;
    Stream audioStream() const;
    bool hasVideoPacket();
    // Each video packet's size in bits, in file order.
    std::vector<long long> videoPacketBits();
    // What the headers and findStreams() tell of the video and sound.
    InputFacts facts() const;

private:
    Stream firstStream(int mediaType) const;
    static int interrupted(void *opaque);
    bool fail(const std::string &what, int errorCode = 0);
    std::int64_t streamDuration() const;
    void addVideoFacts(InputFacts &facts) const;

    const LibAv &libAv;
    AVFormatContext *context = nullptr;
    std::chrono::steady_clock::time_point deadline;
    bool streamsFound = false;
    std::string lastError;
};

#endif // MEDIAFILE_H
