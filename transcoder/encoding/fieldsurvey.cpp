#include "fieldsurvey.h"

#include "transcoder/files/pathname.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// Forty seconds of pictures take a few seconds to decode at DVD size; a
// short clip is looked at whole, a longer one for a third of its time at
// most, at its start, middle and end, as mixed files tend to change between
// parts (video credits after a film).
constexpr double wholeUpTo = 30;
constexpr int stretchCount = 4;
constexpr double longestStretch = 10;
constexpr double shortestStretch = 5;
// Five seconds of 29.97: enough pictures for the pattern of fives to show.
constexpr int picturesPerSample = 150;
// Soft pulldown shows each film picture for two fields or three; times are
// kept to the millisecond or finer.
constexpr double threeFields = 3 * 1001 / 60000.0;
constexpr double fieldLeeway = 0.002;
// A report line is a few dozen characters; anything longer is not one.
constexpr std::size_t longestLine = 1024;

std::string seconds(double value)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%.3f", value);
    return text;
}

bool startsWith(const std::string &line, const char *prefix, std::string *rest)
{
    const std::string head(prefix);
    if (line.compare(0, head.size(), head) != 0)
        return false;
    *rest = line.substr(head.size());
    return true;
}

} // namespace

std::vector<FieldSurvey::Stretch> FieldSurvey::stretches(double durationSeconds)
{
    if (!(durationSeconds > wholeUpTo))
        return {{0, wholeUpTo}};
    const double seconds = std::clamp(durationSeconds / 3 / stretchCount, shortestStretch, longestStretch);
    std::vector<Stretch> list;
    for (int i = 0; i < stretchCount; ++i) {
        const double middle = durationSeconds * (i + 0.5) / stretchCount;
        list.push_back({std::max(0.0, middle - seconds / 2), seconds});
    }
    return list;
}

// The detector's threshold is the conversion's own (ffmpegcommand.cpp);
// the metadata filter prints each picture's findings on ffmpeg's standard
// output, the only thing written there.
std::vector<std::string> FieldSurvey::arguments(const std::string &inputPath, const Stretch &stretch)
{
    std::vector<std::string> arguments = {
        "ffmpeg", "-nostdin", "-hide_banner", "-nostats", "-loglevel", "error", "-protocol_whitelist", "file",
    };
    if (stretch.from > 0)
        arguments.insert(arguments.end(), {"-ss", seconds(stretch.from)});
    arguments.insert(arguments.end(), {
        "-t", seconds(stretch.seconds), "-i", PathName::url(inputPath),
        "-map", "0:V:0", "-an", "-sn", "-dn",
        "-vf", "format=yuv420p,idet=intl_thres=1.5,metadata=mode=print:file=/dev/stdout",
        "-f", "null", "-",
    });
    return arguments;
}

std::vector<InputFacts::FieldSample> FieldSurvey::samples() const
{
    std::vector<InputFacts::FieldSample> all = done;
    all.push_back(found);
    return all;
}

void FieldSurvey::feed(const char *data, std::size_t size)
{
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] != '\n') {
            if (partial.size() <= longestLine)
                partial += data[i];
            continue;
        }
        if (partial.size() <= longestLine)
            readLine(partial);
        partial.clear();
    }
}

void FieldSurvey::readLine(const std::string &line)
{
    std::string rest;
    if (startsWith(line, "frame:", &rest)) {
        if (found.pictures == picturesPerSample) {
            done.push_back(found);
            found = {};
            timed = false;
        }
        ++found.pictures;
        const std::size_t at = rest.find("pts_time:");
        char *end = nullptr;
        const char *time = at == std::string::npos ? "" : rest.c_str() + at + 9;
        const double value = std::strtod(time, &end);
        if (end == time)
            return;
        if (!timed)
            firstTime = value;
        found.threeFieldPictures += timed && std::abs(value - lastTime - threeFields) <= fieldLeeway;
        timed = true;
        lastTime = value;
        found.seconds = value - firstTime;
    } else if (startsWith(line, "lavfi.idet.repeated.current_frame=", &rest)) {
        found.repeatedFields += rest == "top" || rest == "bottom";
    } else if (startsWith(line, "lavfi.idet.multiple.current_frame=", &rest)) {
        found.combed += rest == "tff" || rest == "bff";
        found.combedBottomFirst += rest == "bff";
    }
}
