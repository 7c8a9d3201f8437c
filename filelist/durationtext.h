#ifndef DURATIONTEXT_H
#define DURATIONTEXT_H

#include <QByteArray>
#include <QString>

// Reads the tool's probe answer: the playing time in whole seconds, printed
// between a pair of "$" so that any chatter around it can be told apart.
class DurationText
{
public:
    // Returns the clock text ("h:m:s", no padding) of the duration found in
    // output, or a null string when output holds no usable duration. When
    // duration is given it receives the seconds, 0 whenever the text is null.
    static QString parse(const QByteArray &output, uint *duration);

private:
    static QString numberText(const QByteArray &output);
    static QString clockText(qint64 seconds);
};

#endif // DURATIONTEXT_H
