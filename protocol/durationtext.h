#ifndef DURATIONTEXT_H
#define DURATIONTEXT_H

#include <QByteArray>
#include <QString>

// Reads the tool's probe answer: the playing time in whole seconds, printed
// between a pair of "$" so that any chatter around it can be told apart.
namespace DurationText {

// Returns the clock text ("h:m:s", no padding) of the duration found in
// output, or a null string when output holds no usable duration. When
// duration is given it receives the seconds, 0 whenever the text is null.
QString parse(const QByteArray &output, uint *duration);

} // namespace DurationText

#endif // DURATIONTEXT_H
