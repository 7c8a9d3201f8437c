#include "tooloutput.h"

#include "protocol/toolprotocol.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

constexpr qsizetype prefixLength = qsizetype(sizeof(progressPrefix) - 1);
constexpr qsizetype tracksPrefixLength = qsizetype(sizeof(tracksPrefix) - 1);
constexpr qsizetype markerLength = qsizetype(sizeof(successMarker) - 1);
// The prefix and at most ten digits, the most a 32-bit count takes.
constexpr qsizetype longestProgressLine = prefixLength + 10;
// The prefix, three words and the blanks between them.
constexpr qsizetype longestTracksLine = tracksPrefixLength + 3 * tracksLongestLanguage + 2;
// The prefix and a size in MB, far under ten digits.
constexpr qsizetype longestFittedLine = qsizetype(sizeof(fittedPrefix) - 1) + 10;
constexpr qsizetype longestLine = std::max({longestProgressLine, longestTracksLine, longestFittedLine});

bool isLanguage(const QByteArray &word)
{
    return word == tracksNone
           || (!word.isEmpty() && word.size() <= tracksLongestLanguage
               && std::all_of(word.begin(), word.end(), [](char c) { return c >= 'a' && c <= 'z'; }));
}

} // namespace

QList<uint> ToolOutput::append(const QByteArray &bytes)
{
    lookForMarker(bytes);
    QList<uint> values;
    readLines(bytes, values);
    return values;
}

void ToolOutput::lookForMarker(const QByteArray &bytes)
{
    // Whatever follows a NUL byte is not text the tool meant to print.
    if (markerSeen || nulSeen)
        return;
    const qsizetype nul = bytes.indexOf('\0');
    nulSeen = nul >= 0;
    const QByteArray text = markerTail + (nulSeen ? bytes.left(nul) : bytes);
    markerSeen = text.contains(successMarker);
    markerTail = text.right(markerLength - 1);
}

void ToolOutput::readLines(const QByteArray &bytes, QList<uint> &values)
{
    qsizetype start = 0;
    for (qsizetype end; (end = bytes.indexOf('\n', start)) >= 0; start = end + 1) {
        if (keepLine(bytes, start, end)) {
            const qint64 value = progressValue(line);
            if (value >= 0)
                values.append(uint(value));
            readTracks(line, &outputTracks);
            fitted = std::max(fitted, progressValue(line, fittedPrefix));
        }
        line.clear();
        lineTooLong = false;
    }
    keepLine(bytes, start, bytes.size());
}

// Adds bytes[start, end) to the unfinished line while it can still be a
// line of the protocol; false once it cannot.
bool ToolOutput::keepLine(const QByteArray &bytes, qsizetype start, qsizetype end)
{
    lineTooLong = lineTooLong || line.size() + (end - start) > longestLine;
    if (lineTooLong)
        line.clear();
    else
        line.append(bytes.constData() + start, end - start);
    return !lineTooLong;
}

// The fitted line carries its number as a progress line does.
qint64 ToolOutput::progressValue(const QByteArray &line, const char *prefix)
{
    prefix = prefix ? prefix : progressPrefix;
    if (!line.startsWith(prefix))
        return -1;
    const QByteArray digits = line.mid(qsizetype(std::strlen(prefix)));
    // Plain decimal digits only: no sign, no blanks, nothing after them.
    if (digits.isEmpty() || digits.size() > 10
        || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return -1;
    const qint64 value = digits.toLongLong();
    return value <= std::numeric_limits<quint32>::max() ? value : -1;
}

// Three words, each of them checked, or the line is not taken.
bool ToolOutput::readTracks(const QByteArray &line, Tracks *tracks)
{
    if (!line.startsWith(tracksPrefix))
        return false;
    const QList<QByteArray> words = line.mid(tracksPrefixLength).split(' ');
    if (words.size() != 3 || !isLanguage(words.at(0)) || !isLanguage(words.at(2)))
        return false;
    const QByteArray &kind = words.at(1);
    if (kind != tracksNone && kind != tracksInFile && kind != tracksInPicture)
        return false;
    *tracks = {QString::fromLatin1(words.at(0)), QString::fromLatin1(kind), QString::fromLatin1(words.at(2))};
    return true;
}
