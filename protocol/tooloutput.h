#ifndef TOOLOUTPUT_H
#define TOOLOUTPUT_H

#include <QByteArray>
#include <QList>
#include <QString>

// A conversion's standard output, read as it arrives: whether the success
// marker came before the first NUL, the progress values of its whole lines
// and the tracks the output got. Only the line being read and the marker's
// last few bytes are kept, so a tool that prints without end costs the
// worker no memory.
class ToolOutput
{
public:
    // The words of the tracks line (tracksPrefix in protocol/toolprotocol.h).
    struct Tracks
    {
        QString soundLanguage;
        QString subtitles;
        QString subtitleLanguage;
    };

    // Adds the next bytes; returns the progress values of the lines they
    // complete, in order.
    QList<uint> append(const QByteArray &bytes);
    bool hasSuccessMarker() const { return markerSeen; }
    // The last well-formed tracks line; empty words while none came.
    const Tracks &tracks() const { return outputTracks; }
    // The MB the picture was fitted to (fittedPrefix); 0 while none came.
    qint64 fittedMegabytes() const { return fitted; }

private:
    void lookForMarker(const QByteArray &bytes);
    void readLines(const QByteArray &bytes, QList<uint> &values);
    bool keepLine(const QByteArray &bytes, qsizetype start, qsizetype end);
    static qint64 progressValue(const QByteArray &line, const char *prefix = nullptr);
    static bool readTracks(const QByteArray &line, Tracks *tracks);

    // The end of what came before, for a marker split across reads.
    QByteArray markerTail;
    bool markerSeen = false;
    bool nulSeen = false;
    // The unfinished line, dropped once it is too long to be a progress line.
    QByteArray line;
    bool lineTooLong = false;
    Tracks outputTracks;
    qint64 fitted = 0;
};

#endif // TOOLOUTPUT_H
