#include "mediacache.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

// An argument that names a file, with or without ffmpeg's "file:" prefix.
QString inputFile(const QString &argument)
{
    const QString path = argument.startsWith(QLatin1String("file:")) ? argument.mid(5) : argument;
    return QDir::isAbsolutePath(path) && QFileInfo(path).isFile() ? path : QString();
}

bool addFile(QCryptographicHash &hash, const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && hash.addData(&file);
}

} // namespace

MediaCache::MediaCache(const QString &folder)
    : folder(folder)
{
}

QString MediaCache::entry(const QString &output, const QStringList &arguments) const
{
    // An upgraded ffmpeg may encode differently: its own file stands for it.
    const QFileInfo ffmpeg(QStandardPaths::findExecutable(QStringLiteral("ffmpeg")));
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(ffmpeg.canonicalFilePath().toUtf8());
    hash.addData(QByteArray::number(ffmpeg.size()) + ' '
                 + QByteArray::number(ffmpeg.lastModified().toMSecsSinceEpoch()));
    for (const QString &argument : arguments) {
        // Inputs live in each test's temporary folder: what they hold counts, not where.
        const QString input = inputFile(argument);
        if (input.isEmpty()) {
            hash.addData(argument.toUtf8());
        } else if (!addFile(hash, input)) {
            return QString();
        }
        hash.addData(QByteArray(1, '\0'));
    }
    const QString suffix = QFileInfo(output).suffix();
    return folder + QLatin1Char('/') + QString::fromLatin1(hash.result().toHex())
           + (suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix);
}

bool MediaCache::fetch(const QString &entry, const QString &path)
{
    if (entry.isEmpty() || !QFileInfo::exists(entry))
        return false;
    QFile::remove(path);
    return QFile::copy(entry, path);
}

void MediaCache::keep(const QString &path, const QString &entry)
{
    QFile source(path);
    if (entry.isEmpty() || !QDir().mkpath(QFileInfo(entry).path()) || !source.open(QIODevice::ReadOnly))
        return;
    QSaveFile kept(entry);
    if (kept.open(QIODevice::WriteOnly) && kept.write(source.readAll()) == source.size())
        kept.commit();
}
