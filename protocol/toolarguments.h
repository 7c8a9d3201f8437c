#ifndef TOOLARGUMENTS_H
#define TOOLARGUMENTS_H

#include <QString>
#include <QStringList>

// The tool's argument lists for one file, as the tool's command line expects them.
QStringList probeToolArguments(const QString &inputPath);
QStringList convertToolArguments(const QString &inputPath, const QString &outputPath, int quality);

#endif // TOOLARGUMENTS_H
