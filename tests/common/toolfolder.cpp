#include "toolfolder.h"

#include <QDir>
#include <QFile>

ToolFolder::ToolFolder()
    : folder(temporary.path())
{
}

ToolFolder::ToolFolder(const QString &path)
    : folder(path)
{
    temporary.remove();
    QDir().mkpath(folder);
}

QString ToolFolder::toolName()
{
    return QStringLiteral("tarvelo-transcode");
}

bool ToolFolder::isValid() const
{
    return !folder.isEmpty() && QDir(folder).exists();
}

QString ToolFolder::toolPath() const
{
    return folder + QLatin1Char('/') + toolName();
}

bool ToolFolder::install(const QByteArray &body, bool executable) const
{
    return writeScript(toolPath(), body, executable);
}

bool ToolFolder::installAs(const QString &name, const QByteArray &body, bool executable) const
{
    return writeScript(folder + QLatin1Char('/') + name, body, executable);
}

bool ToolFolder::writeScript(const QString &path, const QByteArray &body, bool executable)
{
    QFile script(path);
    if (!script.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray content = "#!/bin/sh\n" + body + '\n';
    if (script.write(content) != content.size())
        return false;
    script.close();
    QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
    if (executable)
        permissions |= QFile::ExeOwner;
    return script.setPermissions(permissions);
}
