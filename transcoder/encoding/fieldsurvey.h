#ifndef FIELDSURVEY_H
#define FIELDSURVEY_H

#include "transcoder/media/inputfacts.h"

#include <cstddef>
#include <string>
#include <vector>

// ffmpeg's interlace detector (idet) run over stretches of the input before
// the conversion's command is built: whether film is carried by pulldown
// decides the output's picture rate, which every segment, keyframe and
// caption is timed by. Each stretch is one ffmpeg whose report of every
// picture is read here, as it comes, into samples of a few seconds each, so
// that a change from film to video within a stretch shows.
class FieldSurvey
{
public:
    struct Stretch
    {
        double from = 0;
        double seconds = 0;
    };

    // Where to look in a film that plays this long (0: not known): all of
    // a short one, else stretches spread over it, a few seconds of work.
    static std::vector<Stretch> stretches(double durationSeconds);
    static std::vector<std::string> arguments(const std::string &inputPath, const Stretch &stretch);

    void feed(const char *data, std::size_t size);
    std::vector<InputFacts::FieldSample> samples() const;

private:
    void readLine(const std::string &line);

    std::string partial;
    std::vector<InputFacts::FieldSample> done;
    InputFacts::FieldSample found;
    double firstTime = 0;
    double lastTime = 0;
    bool timed = false;
};

#endif // FIELDSURVEY_H
