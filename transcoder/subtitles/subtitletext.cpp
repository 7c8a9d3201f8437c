#include "subtitletext.h"

#include <vector>

namespace {

constexpr int fieldsBeforeText = 8;

struct Styling
{
    bool italic = false;   // as the override tags ask
    bool drawing = false;  // vector drawing commands, not words
};

// Reads the tags of one override block ("\an8\i1\c&H00FF00&") into the styling.
void readOverrides(const std::string &block, Styling &styling)
{
    std::size_t at = block.find('\\');
    while (at != std::string::npos) {
        const std::size_t next = block.find('\\', at + 1);
        const std::string tag = block.substr(at + 1, next == std::string::npos ? std::string::npos : next - at - 1);
        if (tag == "i1")
            styling.italic = true;
        else if (tag == "i0" || tag == "i" || tag.compare(0, 1, "r") == 0)
            styling.italic = false;
        else if (tag.size() >= 2 && tag[0] == 'p' && tag[1] >= '0' && tag[1] <= '9')
            styling.drawing = tag[1] != '0';
        at = next;
    }
}

// Right after the last letter, so that no line holds the closing tag alone.
void closeItalics(std::string &text)
{
    text.insert(text.find_last_not_of(" \n") + 1, "</i>");
}

// Lines without the spaces around them and without empty ones, which would
// end a SubRip cue early.
std::string joinedLines(const std::string &text)
{
    std::string result;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::size_t first = text.find_first_not_of(' ', start);
        if (first != std::string::npos && first < end) {
            const std::size_t last = text.find_last_not_of(' ', end - 1);
            if (!result.empty())
                result += '\n';
            result += text.substr(first, last + 1 - first);
        }
        start = end + 1;
    }
    return result;
}

} // namespace

std::string SubtitleText::fromAssText(const std::string &text)
{
    std::string result;
    Styling styling;
    bool openItalic = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const std::size_t close = c == '{' ? text.find('}', i) : std::string::npos;
        if (close != std::string::npos) {
            readOverrides(text.substr(i + 1, close - i - 1), styling);
            if (openItalic && !styling.italic) {
                closeItalics(result);
                openItalic = false;
            }
            i = close;
        } else if (styling.drawing || c == '\r') {
            continue;
        } else if (c == '\\' && i + 1 < text.size()
                   && (text[i + 1] == 'N' || text[i + 1] == 'n' || text[i + 1] == 'h')) {
            // A hard space, or a line break.
            result += text[i + 1] == 'h' ? ' ' : '\n';
            ++i;
        } else {
            // Italics open at the first letter, so that no line holds an empty pair.
            if (styling.italic && !openItalic && c != ' ' && c != '\n') {
                result += "<i>";
                openItalic = true;
            }
            result += c;
        }
    }
    if (openItalic)
        closeItalics(result);
    return joinedLines(result);
}

std::string SubtitleText::fromAssEvent(const std::string &event)
{
    std::size_t at = 0;
    for (int field = 0; field < fieldsBeforeText; ++field) {
        at = event.find(',', at);
        if (at == std::string::npos)
            return {};
        ++at;
    }
    return fromAssText(event.substr(at));
}
