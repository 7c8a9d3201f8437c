#ifndef INPUTFACTS_H
#define INPUTFACTS_H

#include <vector>

// What a conversion needs to know of its input to fit the output into what
// hardware players decode. Read with libavformat before ffmpeg starts; plain
// data, so that the ffmpeg command built from it can be checked without media.
// A zero stands for "not known".
struct InputFacts
{
    struct Rate
    {
        int num = 0;
        int den = 1;
        double value() const { return den > 0 ? double(num) / den : 0; }
    };
    enum class Scan { Unknown, Progressive, TopFieldFirst, BottomFieldFirst };

    // The coded picture, before ffmpeg turns it upright.
    int width = 0;
    int height = 0;
    // The shape of one pixel (width:height); 0:1 when the file does not say.
    Rate pixelAspect{0, 1};
    // Shown turned by a quarter (a phone held upright): width and height swap.
    bool quarterTurn = false;
    // Pictures a second; the average when the rate varies.
    Rate frameRate;
    bool variableRate = false;
    Scan scan = Scan::Unknown;
    // Where the first picture lies after the file's start, in seconds.
    double videoStart = 0;
    // The sound's sample rate, 0 without any (ffmpeg mixes surround down by itself).
    int sampleRate = 0;
    // The index of the sound stream to convert, -1 for none.
    int soundStream = -1;

    // What the interlace detector saw in one stretch of the pictures.
    struct FieldSample
    {
        int pictures = 0;
        // From the first picture's time to the last's.
        double seconds = 0;
        // Pictures one of whose fields repeats the picture before's.
        int repeatedFields = 0;
        // Pictures that comb, and of those the ones whose bottom field comes first.
        int combed = 0;
        int combedBottomFirst = 0;
        // Pictures that last three fields of 59.94 a second, after the one before.
        int threeFieldPictures = 0;
    };
    // Stretches sampled where the rate may carry film at 29.97; none elsewhere.
    std::vector<FieldSample> fieldSamples;

    // How the pictures' colours are coded, as the file tells it. The tags
    // keep libav's numbering (AVColorSpace, AVColorTransferCharacteristic,
    // AVColorPrimaries), in which 2 stands for "not told", so that what a
    // tag means is decided in one place (ColourConversion).
    struct Colour
    {
        int matrix = 2;
        int transfer = 2;
        int primaries = 2;
        // Bits per component of the coded picture; 0 when not known.
        int bitDepth = 0;
        // Coded as red, green and blue, with no matrix of its own.
        bool rgb = false;
        // The brightest light of the display the film was mastered on, and
        // the brightest the film holds (MaxCLL), in cd/m2; 0 when not told.
        double masteringPeak = 0;
        double maxContentLight = 0;
        // Dolby Vision's configuration record: the profile (-1 without one)
        // and what its base layer is coded as (0: nothing a player shows).
        int doviProfile = -1;
        int doviCompatibility = 0;
    };
    Colour colour;
};

#endif // INPUTFACTS_H
