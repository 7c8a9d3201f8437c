#include "tooloutput.h"

#include "protocol/toolprotocol.h"

#include <algorithm>
#include <limits>

QList<uint> ToolOutput::append(const QByteArray &bytes)
{
    text.append(bytes);
    QList<uint> values;
    for (qsizetype end; (end = text.indexOf('\n', lineStart)) >= 0; lineStart = end + 1) {
        const qint64 value = progressValue(text.mid(lineStart, end - lineStart));
        if (value >= 0)
            values.append(uint(value));
    }
    return values;
}

bool ToolOutput::hasSuccessMarker() const
{
    // Whatever follows a NUL byte is not text the tool meant to print.
    const qsizetype nul = text.indexOf('\0');
    return text.left(nul < 0 ? text.size() : nul).contains(successMarker);
}

qint64 ToolOutput::progressValue(const QByteArray &line)
{
    if (!line.startsWith(progressPrefix))
        return -1;
    const QByteArray digits = line.mid(qsizetype(sizeof(progressPrefix) - 1));
    // Plain decimal digits only: no sign, no blanks, nothing after them.
    if (digits.isEmpty() || digits.size() > 10
        || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return -1;
    const qint64 value = digits.toLongLong();
    return value <= std::numeric_limits<quint32>::max() ? value : -1;
}
