#ifndef TOOLOUTPUT_H
#define TOOLOUTPUT_H

#include <QByteArray>
#include <QList>

// A conversion's standard output, read as it arrives: whether the success
// marker came before the first NUL, and the progress values of its whole
// lines. Only the line being read and the marker's last few bytes are kept,
// so a tool that prints without end costs the worker no memory.
class ToolOutput
{
public:
    // Adds the next bytes; returns the progress values of the lines they
    // complete, in order.
    QList<uint> append(const QByteArray &bytes);
    bool hasSuccessMarker() const { return markerSeen; }

private:
    void lookForMarker(const QByteArray &bytes);
    void readLines(const QByteArray &bytes, QList<uint> &values);
    bool keepLine(const QByteArray &bytes, qsizetype start, qsizetype end);
    static qint64 progressValue(const QByteArray &line);

    // The end of what came before, for a marker split across reads.
    QByteArray markerTail;
    bool markerSeen = false;
    bool nulSeen = false;
    // The unfinished line, dropped once it is too long to be a progress line.
    QByteArray line;
    bool lineTooLong = false;
};

#endif // TOOLOUTPUT_H
