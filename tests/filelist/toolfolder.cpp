#include "toolfolder.h"

#include <QFile>

QString ToolFolder::toolName()
{
    return QStringLiteral("tarvelo-transcode");
}

QString ToolFolder::toolPath() const
{
    return dir.filePath(toolName());
}

bool ToolFolder::install(const QByteArray &body, bool executable) const
{
    QFile tool(toolPath());
    if (!tool.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    tool.write("#!/bin/sh\n" + body + '\n');
    tool.close();
    QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
    if (executable)
        permissions |= QFile::ExeOwner;
    return tool.setPermissions(permissions);
}
