#ifndef MEDIAFILE_H
#define MEDIAFILE_H

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

class LibAv;
struct AVFormatContext;
struct AVPacket;
struct AVStream;

// A media file opened in-process with libavformat and read, for the probe,
// for the facts a conversion needs about its input and for checking what
// ffmpeg wrote. What is made of the packets is left to the rooms that use it.
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
    using Clock = std::chrono::steady_clock;

    // Opening a file, and each read of one, answers within this: far beyond
    // a slow network file or a disk spinning up, yet a stuck read still ends.
    static constexpr std::chrono::milliseconds openTimeLimit{15000};

    // libAv must outlive the file; nothing opens until it is loaded.
    explicit MediaFile(const LibAv &libAv);
    ~MediaFile();
    MediaFile(const MediaFile &) = delete;
    MediaFile &operator=(const MediaFile &) = delete;

    // Everything, including a failure, answers within the time limit.
    bool open(const std::string &path, std::chrono::milliseconds timeLimit);
    bool findStreams();

    const std::string &error() const { return lastError; }
    // Keeps why reading failed for error(); always false.
    bool fail(const std::string &what, int errorCode = 0);
    const LibAv &library() const { return libAv; }
    // The headers as read so far; null unless open.
    const AVFormatContext *format() const { return context; }
    std::string formatName() const;
    double sizeInBytes() const { return fileBytes; }
    Stream videoStream() const;
    Stream audioStream() const;
    // Cover art is a one-frame "video" stream; it is not the film.
    static bool isCoverArt(const AVStream *stream);
    bool hasVideoPacket();
    // Where the file's first stream starts, in AV_TIME_BASE units (0 when
    // unknown): ffmpeg makes it the output's time 0.
    std::int64_t startTime() const;
    // Null unless open and index names a stream.
    const AVStream *stream(int index) const;

    // Seeks an open file as ffmpeg does, to target in AV_TIME_BASE units, then reads the
    // streams that reads selects (every one without it); the seek and the
    // reads after it give up at until.
    bool seek(std::int64_t target, Clock::time_point until, const std::function<bool(int)> &reads = {});
    Clock::time_point timeLimit() const { return deadline; }
    // Hands over the packets from where the file stands, until its end, a
    // failure or onPacket returning false; answers av_read_frame's last
    // result, 0 when onPacket stopped.
    int readOn(const std::function<bool(const AVPacket &)> &onPacket);
    // Hands over the packets of one stream to the file's end, or until
    // onPacket returns false; the others are skipped. Each packet renews the
    // time limit to stallLimit, so a long file takes the time it needs while
    // a read that hangs still ends.
    bool readPackets(int streamIndex, std::chrono::milliseconds stallLimit,
                     const std::function<bool(const AVPacket &)> &onPacket);

private:
    Stream firstStream(int mediaType) const;
    void readOnly(const std::function<bool(int)> &reads);
    static int interrupted(void *opaque);

    const LibAv &libAv;
    AVFormatContext *context = nullptr;
    Clock::time_point deadline;
    // Set while packets are read: the deadline moves on with every byte read.
    std::chrono::milliseconds readStall{0};
    std::int64_t lastPosition = -1;
    bool streamsFound = false;
    double fileBytes = 0;
    std::string lastError;
};

#endif // MEDIAFILE_H
