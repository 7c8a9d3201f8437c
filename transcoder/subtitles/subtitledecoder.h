#ifndef SUBTITLEDECODER_H
#define SUBTITLEDECODER_H

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

class LibAv;
struct AVCodecContext;
struct AVPacket;
struct AVStream;
struct AVSubtitle;

// One subtitle track of a media file with libavcodec's decoder for it: the
// file opened within the tool's open time limit, the track's packets handed
// over one at a time, and their times told on the output's timeline, where
// ffmpeg puts the input's start time at 0.
class SubtitleDecoder
{
public:
    using OnPacket = std::function<bool(const AVPacket &packet)>;

    // libAv must be loaded and outlive the object.
    explicit SubtitleDecoder(const LibAv &libAv);
    ~SubtitleDecoder();
    SubtitleDecoder(const SubtitleDecoder &) = delete;
    SubtitleDecoder &operator=(const SubtitleDecoder &) = delete;

    // Text not in UTF-8 is converted from this character set (empty: none).
    void setCharacterSet(const std::string &characterSet) { this->characterSet = characterSet; }
    // Damaged packets fail to decode rather than being passed over in silence.
    void setReportDamage(bool reportDamage) { this->reportDamage = reportDamage; }

    // False when the track cannot be opened or read through, and when
    // onPacket returned false (error() then tells only what it failed with).
    bool read(const std::string &path, int streamIndex, std::chrono::milliseconds stallLimit,
              const OnPacket &onPacket);
    const std::string &error() const { return lastError; }
    // For onPacket: why it stops the read, told in error(); false.
    bool fail(const std::string &what, int errorCode = 0);

    // Only while read() hands over packets: libavcodec's answer (< 0: an
    // error); got tells whether subtitle then holds one, for avsubtitle_free.
    int decode(const AVPacket &packet, AVSubtitle &subtitle, int &got);
    // The track's AVCodecID (0 before read()).
    int codecId() const;
    // The size of the picture the track's captions are placed on.
    int canvasWidth() const;
    int canvasHeight() const;
    // In milliseconds: a time of the track on the output's timeline, and a
    // span of the track's time.
    std::int64_t outputTime(std::int64_t timestamp) const;
    std::int64_t length(std::int64_t duration) const;

    static std::int64_t timestamp(const AVPacket &packet);

private:
    bool openDecoder();

    const LibAv &libAv;
    std::string characterSet;
    bool reportDamage = false;
    AVCodecContext *decoder = nullptr;
    const AVStream *track = nullptr;
    std::int64_t origin = 0;   // the output's time 0, in milliseconds of the input
    std::string lastError;
};

#endif // SUBTITLEDECODER_H
