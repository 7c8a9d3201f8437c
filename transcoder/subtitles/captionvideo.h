#ifndef CAPTIONVIDEO_H
#define CAPTIONVIDEO_H

#include <cstdint>
#include <string>

class LibAv;
struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct AVStream;

// The captions to burn as a video of their own that ffmpeg overlays on the
// film: straight-alpha RGBA pictures of the output's size, one at each
// change of what is shown, each a keyframe (PNG in NUT), so that a segment
// can start reading at the caption in effect at its decoding point.
class CaptionVideo
{
public:
    // libAv must be loaded and outlive the object.
    CaptionVideo(const LibAv &libAv, int width, int height);
    ~CaptionVideo();
    CaptionVideo(const CaptionVideo &) = delete;
    CaptionVideo &operator=(const CaptionVideo &) = delete;

    bool open(const std::string &path);
    // A picture of width x height RGBA from milliseconds on, times rising.
    bool write(const std::uint8_t *rgba, std::int64_t milliseconds);
    bool close();
    const std::string &error() const { return lastError; }

private:
    bool drain(bool flush);
    bool fail(const std::string &what, int errorCode = 0);

    const LibAv &libAv;
    int width;
    int height;
    AVCodecContext *encoder = nullptr;
    AVFormatContext *muxer = nullptr;
    AVStream *stream = nullptr;
    AVFrame *frame = nullptr;
    AVPacket *packet = nullptr;
    bool headerWritten = false;
    std::string lastError;
};

#endif // CAPTIONVIDEO_H
