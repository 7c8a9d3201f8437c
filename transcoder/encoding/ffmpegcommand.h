#ifndef FFMPEGCOMMAND_H
#define FFMPEGCOMMAND_H

#include "captionswitch.h"
#include "colourconversion.h"
#include "decoderbuffer.h"
#include "playerenvelope.h"
#include "qualitycurve.h"
#include "videosegment.h"

#include <string>
#include <vector>

// The ffmpeg argument vectors for one conversion, a function of the input,
// the quality and the input's facts alone; each output is named per call,
// so one command serves the single run and every piece of a segmented one.
// The facts (InputFacts) are what libavformat tells of the input before
// ffmpeg starts: the coded picture size, the pixels' shape and whether the
// picture is shown turned, the picture rate and whether it varies,
// interlacing and its field order, and the sound stream chosen for the
// reader and its sample rate, and how the pictures' colours are coded.
// From them the output is fitted to what DVD players and TVs decode
// (PlayerEnvelope, ColourConversion). Every path goes in as "file:" plus an
// absolute path, so no file name reads as an option or a protocol.
class FfmpegCommand
{
public:
    FfmpegCommand(const std::string &inputPath, int quality, const InputFacts &facts);

    const PlayerEnvelope &envelope() const { return playerEnvelope; }

    // Captions to burn in: a video (a path ffmpeg can open) laid over the
    // film after the deinterlacer and the scaler while any of them is shown.
    // An empty path: none.
    void burnCaptions(const std::string &videoPath, const TimeSpans &shown);
    // Where the output's time 0 lies on the filters' timeline at the
    // overlay, in seconds: the captions are timed on it.
    double captionShift() const;

    // videoRate: the average bits a second the picture is fitted to; 0 for
    // what the quality and the players allow.
    std::vector<std::string> arguments(const std::string &outputPath, long long videoRate = 0) const;
    // One segment's pictures alone, as the single run makes them, with the
    // decoder buffer as full as the segment before it leaves it.
    std::vector<std::string> segmentArguments(const VideoSegment &segment, long long bufferBits, bool withSound,
                                              const std::string &outputPath, long long videoRate = 0) const;
    // The sound alone, over the whole input, as the single run makes it.
    std::vector<std::string> soundArguments(const std::string &outputPath) const;
    // The segments (named in a concat list) and the sound, if any, copied into the output.
    std::vector<std::string> joinArguments(const std::string &listPath, const std::string &soundPath,
                                           const std::string &outputPath) const;

private:
    // fromStart: the filters see the input's first picture (a single run,
    // or the first segment).
    std::string videoFilters(bool fromStart) const;
    // The same without the pixels' shape, where the captions are laid over.
    std::string scaledFilters(bool fromStart) const;
    bool burns() const { return !captionVideo.empty(); }
    // The film's pictures as an output maps them.
    std::string videoMap() const;
    // seek: where a segment's decoding starts, 0 for from the start.
    void addCaptionInput(std::vector<std::string> &arguments, bool segmented, double seek) const;
    std::string deinterlaceFilters() const;
    std::string pulldownFilters() const;
    // bufferBits: what the players' decoder buffer holds at the first picture.
    void addVideo(std::vector<std::string> &arguments, const std::string &moreFilters = {}, bool fromStart = true,
                  long long bufferBits = DecoderBuffer::sizeBits, long long videoRate = 0) const;
    void addAudio(std::vector<std::string> &arguments) const;

    std::string inputPath;
    QualityCurve curve;
    int soundStream;
    double videoStart;
    PlayerEnvelope playerEnvelope;
    ColourConversion colour;
    std::string captionVideo;
    std::string captionShown;   // the overlay's switch (CaptionSwitch)
};

#endif // FFMPEGCOMMAND_H
