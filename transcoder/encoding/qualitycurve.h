#ifndef QUALITYCURVE_H
#define QUALITYCURVE_H

#include <string>

// Maps the quality slider (lowestQuality "Smallest Size" .. highestQuality
// "Highest Quality") onto the encoders' own scales, where smaller numbers
// mean better quality.
class QualityCurve
{
public:
    explicit QualityCurve(int quality);

    int videoQuantiser() const { return quantiser; }   // mpeg4 -q:v, 2..31
    std::string mp3QualityText() const;                // libmp3lame -q:a, 0..9

    static std::string table();

private:
    int quantiser;
    double lameQuality;
};

#endif // QUALITYCURVE_H
