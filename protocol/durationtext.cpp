#include "durationtext.h"

#include "protocol/toolprotocol.h"

#include <limits>

namespace {

QString numberText(const QByteArray &output)
{
    const qsizetype end = output.indexOf('\0');
    const QString text = QString::fromLatin1(output.constData(), end < 0 ? output.size() : end);
    const qsizetype first = text.indexOf(QLatin1Char(durationDelimiter));
    if (first < 0)
        return text;
    const qsizetype last = text.lastIndexOf(QLatin1Char(durationDelimiter));
    if (last == first)
        return text.mid(first + 1);
    return text.mid(first + 1, last - first - 1);
}

QString clockText(qint64 seconds)
{
    const qint64 hours = seconds / 3600;
    const qint64 minutes = (seconds - hours * 3600) / 60;
    return QStringLiteral("%1:%2:%3").arg(hours).arg(minutes).arg(seconds % 60);
}

} // namespace

QString DurationText::parse(const QByteArray &output, uint *duration)
{
    bool isNumber = false;
    qint64 seconds = numberText(output).trimmed().toLongLong(&isNumber, 10);
    // A count that does not fit the stored type would come back as some other,
    // small duration; such an answer is as useless as no answer at all.
    if (!isNumber || seconds <= 0 || seconds > std::numeric_limits<uint>::max())
        seconds = 0;
    if (duration)
        *duration = uint(seconds);
    return seconds > 0 ? clockText(seconds) : QString();
}
