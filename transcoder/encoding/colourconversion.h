#ifndef COLOURCONVERSION_H
#define COLOURCONVERSION_H

#include "transcoder/media/inputfacts.h"

#include <string>

// SD players and TVs decode pictures of 720x576 and smaller as BT.601 at TV
// range, and the MPEG-4 encoder has no way to tell them otherwise, so every
// output is coded so. What the input is coded in is decided here from its
// facts alone: the matrix by its tag, else by its size as players do; HDR
// (PQ, HLG) is brought to SDR with its highlights rolled off towards TV
// white. The work is done after the scaler, on the fewest pixels.
class ColourConversion
{
public:
    enum class Matrix { Bt601, Bt709, Bt2020, Fcc, Smpte240m };
    enum class Transfer { Sdr, Pq, Hlg };

    // Where HDR places SDR's white (BT.2408), in cd/m2.
    static constexpr double referenceWhite = 203;
    // The highlight a film that tells none of its light is rolled off from.
    static constexpr double assumedPeak = 1000;
    // Up to this share of reference white an HDR picture is what an SDR
    // master of it shows; above it the highlights are compressed. Any
    // higher and a 1000 cd/m2 highlight is hardly brighter than white.
    static constexpr double knee = 0.75;

    explicit ColourConversion(const InputFacts &facts);

    Matrix matrix() const;
    // False when the matrix was read from the picture's size instead.
    bool matrixTagged() const;
    Transfer transfer() const;
    bool isHdr() const { return transfer() != Transfer::Sdr; }
    // Why the film cannot be shown in its colours; empty when it can.
    std::string refusal() const;
    // The highlight that the roll-off brings to TV white, in cd/m2.
    double peak() const;
    // Light relative to reference white, in linear terms, to light
    // relative to TV white.
    struct ToneCurve
    {
        double a = 0;
        double b = 0;
        double scale = 1;
        double operator()(double light) const;
    };
    ToneCurve toneCurve() const;
    // The pixel format the pictures keep up to the colour filters.
    std::string workingFormat() const;
    // The filters that follow the scaler, each with its closing comma;
    // empty where the pictures are BT.601 SDR already.
    std::string filters() const;
    // What was found and done, in a few words for standard error.
    std::string summary() const;

private:
    bool tagged(Matrix &found) const;
    bool wideGamutSdr() const;
    bool peakTold() const;
    std::string hdrFilters() const;

    InputFacts::Colour colour;
    int height;
};

#endif // COLOURCONVERSION_H
