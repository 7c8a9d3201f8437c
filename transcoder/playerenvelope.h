#ifndef PLAYERENVELOPE_H
#define PLAYERENVELOPE_H

#include "inputfacts.h"

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

    explicit PlayerEnvelope(const InputFacts &facts);

    // The output's picture rate; 0/1 when the input's is unknown.
    InputFacts::Rate frameRate() const { return rate; }
    // Every step-th picture of a steady input is kept; 1 for an input whose
    // rate varies, which is made steady at the output's rate instead.
    int pictureStep() const { return facts.variableRate ? 1 : step; }
    InputFacts::Scan scan() const { return facts.scan; }
    // The output size in square pixels; 0 when the input's size is unknown.
    int width() const { return outputWidth; }
    int height() const { return outputHeight; }
    bool scalesDown() const;
    // 0 when the input has no sound or its rate is unknown.
    int sampleRate() const;

private:
    void fitRate();
    void fitSize();
    int maximumHeight() const;

    InputFacts facts;
    InputFacts::Rate rate{0, 1};
    int step = 1;
    int outputWidth = 0;
    int outputHeight = 0;
};

#endif // PLAYERENVELOPE_H
