#include "tooloutput.h"

#include "protocol/toolprotocol.h"

#include <algorithm>
#include <limits>

namespace {

constexpr qsizetype prefixLength = qsizetype(sizeof(progressPrefix) - 1);
constexpr qsizetype markerLength = qsizetype(sizeof(successMarker) - 1);
// The prefix and at most ten digits, the most a 32-bit count takes.
constexpr qsizetype longestProgressLine = prefixLength + 10;

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
        }
        line.clear();
        lineTooLong = false;
    }
    keepLine(bytes, start, bytes.size());
}

// Adds bytes[start, end) to the unfinished line while it can still be a
// progress line; false once it cannot.
bool ToolOutput::keepLine(const QByteArray &bytes, qsizetype start, qsizetype end)
{
    lineTooLong = lineTooLong || line.size() + (end - start) > longestProgressLine;
    if (lineTooLong)
        line.clear();
    else
        line.append(bytes.constData() + start, end - start);
    return !lineTooLong;
}

qint64 ToolOutput::progressValue(const QByteArray &line)
{
    if (!line.startsWith(progressPrefix))
        return -1;
    const QByteArray digits = line.mid(prefixLength);
    // Plain decimal digits only: no sign, no blanks, nothing after them.
    if (digits.isEmpty() || digits.size() > 10
        || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return -1;
    const qint64 value = digits.toLongLong();
    return value <= std::numeric_limits<quint32>::max() ? value : -1;
}
