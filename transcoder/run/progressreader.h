#ifndef PROGRESSREADER_H
#define PROGRESSREADER_H

#include <cstdint>
#include <string>

// Reads ffmpeg's "-progress" key=value lines and keeps the converted playing
// time; the log text is never looked at.
class ProgressReader
{
public:
    // Returns true when the whole number of converted seconds has grown.
    bool feed(const char *data, std::size_t size);
    std::uint32_t seconds() const { return convertedSeconds; }
    // The same to the microsecond, for sums of several ffmpegs' progress,
    // which whole seconds would each round down.
    double exactSeconds() const { return convertedMicroseconds / 1e6; }

private:
    bool readLine(const std::string &line);

    std::string pending;
    std::uint32_t convertedSeconds = 0;
    long long convertedMicroseconds = 0;
};

#endif // PROGRESSREADER_H
