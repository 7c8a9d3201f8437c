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

} // namespace OddNames

#endif // ODDNAMES_H
