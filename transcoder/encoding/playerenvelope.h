#ifndef PLAYERENVELOPE_H
#define PLAYERENVELOPE_H

#include "pulldown.h"
#include "transcoder/media/inputfacts.h"

// What the output must be for DVD players, TVs and set-top boxes that play
// MPEG-4 Advanced Simple Profile level 5 ("home theater") files, worked out
// from the input's facts: picture size, picture rate, scan and sound format.
class PlayerEnvelope
{
public:
    static constexpr int maximumWidth = 720;
    static constexpr int maximumHeightUpTo25 = 576;
    static constexpr int maximumHeightAbove25 = 480;
    static constexpr double maximumRate = 30;
    // Below this a video is a slideshow, which players and the decoder
    // buffer only take as a steady film rate with its pictures repeated.
    static constexpr double minimumRate = 10;
    // The deinterlacer needs this much of a 4:2:0 picture.
    static constexpr int minimumDeinterlacedWidth = 6;
    static constexpr int minimumDeinterlacedHeight = 8;
    // Film reaches 29.97 by pulldown on discs and in broadcasts, none of
    // them larger than HD; a larger video (a phone's 4K) is not looked at.
    static constexpr int largestTelecined = 1920;
    // Players seek and recover by keyframes: one at least this often.
    static constexpr double longestKeyframeGapSeconds = 10;
    static constexpr int longestKeyframeGapPictures = 250;
    // MP3 in players is MPEG-1 Layer III, which has these, in rising order.
    static constexpr int sampleRates[] = {32000, 44100, 48000};

    explicit PlayerEnvelope(const InputFacts &facts);

    // The output's picture rate; 0/1 when the input's is unknown.
    InputFacts::Rate frameRate() const { return rate; }
    // Every step-th picture of a steady input is kept; 1 where the output
    // is re-timed instead.
    int pictureStep() const { return step; }
    // The input pictures that the rate filters take as a group: a segment
    // starts decoding on the first of one, as the single run does.
    int inputCycle() const;
    // Whether the input's rate could carry film by pulldown (29.97, kept
    // picture for picture), so that the detector is worth asking.
    bool mayCarryFilm() const { return ntscVideo; }
    // The pulldown found and undone; None where the rate cannot carry any.
    Pulldown::Kind pulldown() const { return film; }
    bool pulldownBottomFirst() const { return Pulldown::bottomFirst(facts); }
    // Whether pictures are repeated or dropped to meet the output's rate: a
    // varying rate is made steady, a slideshow is repeated up to a film rate.
    // A steady rate keeps every picture at its own time (or every step-th).
    bool retimes() const { return retimed; }
    InputFacts::Scan scan() const { return facts.scan; }
    // Keyframes are forced every so many seconds: the whole pictures that
    // fit in the longest gap (a 23.976 film's 240th picture would come 10.01 s on).
    double keyframeSeconds() const;
    // Pictures to show before the first one, so that a picture that starts
    // after the sound is not moved ahead of it: AVI places pictures by
    // their count from the file's start.
    int leadingPictures() const;
    // Too small for the deinterlacer; such pictures pass as they are.
    bool tooSmallToDeinterlace() const;
    // The output size in square pixels; 0 when the input's size is unknown.
    int width() const { return outputWidth; }
    int height() const { return outputHeight; }
    bool scalesDown() const;
    // 0 when the input has no sound or its rate is unknown.
    int sampleRate() const;

private:
    void fitRate();
    void undoPulldown();
    void fitSize();
    int maximumHeight() const;

    InputFacts facts;
    InputFacts::Rate rate{0, 1};
    int step = 1;
    bool retimed = false;
    bool ntscVideo = false;
    Pulldown::Kind film = Pulldown::Kind::None;
    int outputWidth = 0;
    int outputHeight = 0;
};

#endif // PLAYERENVELOPE_H
