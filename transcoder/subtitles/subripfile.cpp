#include "subripfile.h"

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <iconv.h>

namespace {

const char byteOrderMark[] = "\xEF\xBB\xBF";

std::string timeText(std::int64_t milliseconds)
{
    char text[40];
    std::snprintf(text, sizeof(text), "%02" PRId64 ":%02d:%02d,%03d", milliseconds / 3600000,
                  int(milliseconds / 60000 % 60), int(milliseconds / 1000 % 60), int(milliseconds % 1000));
    return text;
}

std::string withCrLf(const std::string &text)
{
    std::string result;
    for (char c : text) {
        if (c == '\n')
            result += '\r';
        result += c;
    }
    return result;
}

// False when a character has no place in the code page.
bool convert(const std::string &utf8, int codePage, std::string *bytes)
{
    const std::string name = "CP" + std::to_string(codePage);
    iconv_t converter = iconv_open(name.c_str(), "UTF-8");
    if (converter == iconv_t(-1))
        return false;
    std::string input = utf8;
    char *in = &input[0];
    std::size_t inLeft = input.size();
    bool fits = true;
    while (inLeft > 0 && fits) {
        char buffer[4096];
        char *out = buffer;
        std::size_t outLeft = sizeof(buffer);
        const std::size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
        bytes->append(buffer, out - buffer);
        fits = result != std::size_t(-1) || errno == E2BIG;
    }
    iconv_close(converter);
    return fits;
}

} // namespace

std::string SubRipFile::text(std::vector<Cue> cues)
{
    std::stable_sort(cues.begin(), cues.end(), [](const Cue &a, const Cue &b) { return a.start < b.start; });
    std::string result;
    int number = 0;
    for (const Cue &cue : cues) {
        if (cue.text.empty() || cue.end <= cue.start || cue.start < 0)
            continue;
        result += std::to_string(++number) + "\n" + timeText(cue.start) + " --> " + timeText(cue.end) + "\n"
                  + cue.text + "\n\n";
    }
    return withCrLf(result);
}

std::string SubRipFile::encoded(const std::string &utf8, int codePage)
{
    std::string bytes;
    if (codePage > 0 && convert(utf8, codePage, &bytes))
        return bytes;
    return byteOrderMark + utf8;
}
