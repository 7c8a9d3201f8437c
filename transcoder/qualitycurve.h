#ifndef QUALITYCURVE_H
#define QUALITYCURVE_H

#include <string>

// Maps the quality slider (0 "Smallest Size" .. 99 "Highest Quality") onto the
// encoders' own scales, where smaller numbers mean better quality.
class QualityCurve
{
public:
    static constexpr int minimumQuality = 0;
    static constexpr int maximumQuality = 99;

    explicit QualityCurve(int quality);

    int videoQuantiser() const { return quantiser; }   // mpeg4 -q:v, 2..31
    double mp3Quality() const { return lameQuality; }  // libmp3lame -q:a, 0..9
    std::string mp3QualityText() const;

    static std::string table();

private:
    int quantiser;
    double lameQuality;
};

#endif // QUALITYCURVE_H
