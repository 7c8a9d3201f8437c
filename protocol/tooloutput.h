#ifndef TOOLOUTPUT_H
#define TOOLOUTPUT_H

#include <QByteArray>
#include <QList>

// The tool's standard output, taken as it arrives: kept whole, for the
// success marker, and read line by line for its progress reports.
class ToolOutput
{
public:
    // Adds the next bytes; returns the progress values of the lines they
    // complete, in order.
    QList<uint> append(const QByteArray &bytes);
    bool hasSuccessMarker() const;

private:
    static qint64 progressValue(const QByteArray &line);

    QByteArray text;
    qsizetype lineStart = 0;
};

#endif // TOOLOUTPUT_H
