#ifndef ODDNAMES_H
#define ODDNAMES_H

#include <QString>
#include <QStringList>

// File names that break whatever reads a name as anything but one opaque
// argument: a shell, an option parser, a URL, markup or an 8-bit encoding.
namespace OddNames {

// Every odd name, extension appended.
QStringList all(const QString &extension);
// Adds one data row per odd name, extension appended, to a test whose
// first column is the QString "name".
void addRows(const QString &extension);
// What a tool tip shows of its text, which it may take for markup.
QString shownText(const QString &toolTip);

} // namespace OddNames

#endif // ODDNAMES_H
