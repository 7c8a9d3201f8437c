#include "progressreader.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

bool ProgressReader::feed(const char *data, std::size_t size)
{
    bool grown = false;
    pending.append(data, size);
    std::size_t start = 0;
    for (std::size_t end; (end = pending.find('\n', start)) != std::string::npos; start = end + 1)
        grown = readLine(pending.substr(start, end - start)) || grown;
    pending.erase(0, start);
    // A line is a few dozen bytes; anything longer is not ffmpeg's progress.
    if (pending.size() > 4096)
        pending.clear();
    return grown;
}

bool ProgressReader::readLine(const std::string &line)
{
    // ffmpeg 5.1 writes microseconds under both names.
    if (line.rfind("out_time_us=", 0) != 0 && line.rfind("out_time_ms=", 0) != 0)
        return false;
    const char *text = line.c_str() + std::strlen("out_time_us=");
    char *end = nullptr;
    const long long microseconds = std::strtoll(text, &end, 10);
    if (end == text || microseconds <= 0)
        return false;   // "N/A" before the first frame, or a negative start
    const long long seconds = microseconds / 1000000;
    if (seconds > UINT32_MAX)
        return false;
    convertedMicroseconds = std::max(convertedMicroseconds, microseconds);
    if (seconds <= convertedSeconds)
        return false;
    convertedSeconds = std::uint32_t(seconds);
    return true;
}
