#ifndef PICTURETRACK_H
#define PICTURETRACK_H

#include "bluraydisplayset.h"
#include "picturecaption.h"
#include "subtitledecoder.h"

#include <chrono>
#include <functional>
#include <string>

class LibAv;
struct AVPacket;
struct AVSubtitle;

// The captions of a picture subtitle track (Blu-ray, DVD, DVB), decoded
// in-process and handed on one at a time, on the output's timeline (see
// SubtitleTrack). Pieces the caller does not want (all but the forced ones,
// where only those are burned) are dropped here. A piece of the track that
// cannot be decoded is skipped and counted; the rest goes on.
class PictureTrack
{
public:
    using Sink = std::function<bool(PictureCaption caption)>;

    // libAv must be loaded and outlive the object.
    explicit PictureTrack(const LibAv &libAv);
    PictureTrack(const PictureTrack &) = delete;
    PictureTrack &operator=(const PictureTrack &) = delete;

    // Where the film's pictures start and end, in milliseconds on the
    // output's timeline: captions wholly outside are never seen.
    void setFilm(std::int64_t firstPicture, std::int64_t end);
    // forcedOnly, trackForced: see CaptionTimeline::keeps. False when the
    // track cannot be opened, or on a stop request, or when sink refused;
    // a read that breaks off later keeps what came before and tells it in
    // error().
    bool read(const std::string &path, int streamIndex, bool forcedOnly, bool trackForced,
              std::chrono::milliseconds stallLimit, const Sink &sink);
    // Undecodable packets, and the output time of the first, in milliseconds.
    int damaged() const { return damagedCount; }
    std::int64_t firstDamaged() const { return firstDamagedAt; }
    const std::string &error() const { return decoder.error(); }

private:
    bool decode(const AVPacket &packet, const Sink &sink);
    bool isRejectedWhole(const AVPacket &packet) const;
    bool isNeverSeen(const AVPacket &packet, std::int64_t shown) const;
    PictureCaption caption(const AVSubtitle &subtitle, std::int64_t shown, std::int64_t duration) const;
    PictureCaption cleared(std::int64_t shown) const;
    void countDamaged(std::int64_t shown);

    const LibAv &libAv;
    SubtitleDecoder decoder;
    BlurayDisplaySet displaySet;
    bool forcedOnly = false;
    bool trackForced = false;
    std::int64_t filmFirst = INT64_MIN;
    std::int64_t filmEnd = INT64_MAX;
    int damagedCount = 0;
    std::int64_t firstDamagedAt = 0;
};

#endif // PICTURETRACK_H
