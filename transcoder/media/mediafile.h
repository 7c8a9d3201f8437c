#ifndef MEDIAFILE_H
#define MEDIAFILE_H

#include "inputfacts.h"
#include "playingtime.h"
#include "streamdescription.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class LibAv;
struct AVFormatContext;
struct AVPacket;
struct AVStream;

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
    std::string formatName() const;
    // How long the pictures and sound play (PlayingTime), in whole seconds
    // rounded up, so that converted seconds never exceed it; 0 when unknown.
    std::uint32_t durationSeconds();
    Stream videoStream() const;
    Stream audioStream() const;
    bool hasVideoPacket();
    // What the headers and findStreams() tell of the video and of the sound
    // stream soundStream (-1: none).
    InputFacts facts(int soundStream) const;
    // Every stream's kind, codec, language and flags, for choosing tracks,
    // with the cue counts the container keeps.
    std::vector<StreamDescription> streamDescriptions() const;
    // Fills in the cue counts the container does not keep by reading the
    // subtitle packets from the start, for at most timeLimit: a count of
    // part of the film still tells a track of a few lines from a full one.
    void countCues(std::vector<StreamDescription> &streams, std::chrono::milliseconds timeLimit);
    // Where the file's first stream starts, in AV_TIME_BASE units (0 when
    // unknown): ffmpeg makes it the output's time 0.
    std::int64_t startTime() const;
    // Null unless open and index names a stream.
    const AVStream *stream(int index) const;
    // Hands over the packets of one stream to the file's end, or until
    // onPacket returns false; the others are skipped. Each packet renews the
    // time limit to stallLimit, so a long file takes the time it needs while
    // a read that hangs still ends.
    bool readPackets(int streamIndex, std::chrono::milliseconds stallLimit,
                     const std::function<bool(const AVPacket &)> &onPacket);
    // Where decoding starts after a seek to seconds from the file's start,
    // made as ffmpeg makes it: the time of the first video keyframe then
    // read, or -1. Containers without an index may land a keyframe late.
    double keyframeAfterSeek(double seconds, std::chrono::milliseconds stallLimit);
    // Each video packet's size in bits, in file order (none without video);
    // false when the file cannot be read to its end.
    bool videoPacketBits(std::vector<long long> &bits, std::chrono::milliseconds stallLimit);

private:
    Stream firstStream(int mediaType) const;
    static int interrupted(void *opaque);
    bool fail(const std::string &what, int errorCode = 0);
    double playingStart() const;
    PlayingTime playingTime() const;
    double endOfPlayingPackets(const PlayingTime &time);
    void addVideoFacts(InputFacts &facts) const;

    const LibAv &libAv;
    AVFormatContext *context = nullptr;
    std::chrono::steady_clock::time_point deadline;
    // Set while packets are read: the deadline moves on with every byte read.
    std::chrono::milliseconds readStall{0};
    std::int64_t lastPosition = -1;
    bool streamsFound = false;
    double fileBytes = 0;
    std::string lastError;
};

#endif // MEDIAFILE_H
