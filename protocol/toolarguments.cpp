#include "toolarguments.h"

#include "protocol/toolprotocol.h"

#include <cstddef>

namespace {

template<std::size_t size>
QStringList fillIn(const ToolArgumentSlot (&shape)[size], const QString &inputPath,
                   const QString &outputPath, int quality)
{
    QStringList arguments;
    for (const ToolArgumentSlot &place : shape) {
        switch (place.kind) {
        case ToolArgument::Word:
            arguments << QString::fromLatin1(place.word);
            break;
        case ToolArgument::Input:
            arguments << inputPath;
            break;
        case ToolArgument::Quality:
            arguments << QString::number(quality);
            break;
        case ToolArgument::Output:
            arguments << outputPath;
            break;
        }
    }
    return arguments;
}

} // namespace

QStringList probeToolArguments(const QString &inputPath)
{
    return fillIn(probeShape, inputPath, QString(), 0);
}

QStringList convertToolArguments(const QString &inputPath, const QString &outputPath, int quality)
{
    return fillIn(convertShape, inputPath, outputPath, quality);
}
