#include "systemstate.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <csignal>
#include <sys/types.h>

namespace {

QByteArray readProc(qint64 pid, const char *entry)
{
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(entry)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool isZombie(qint64 pid)
{
    const QByteArray state = readProc(pid, "stat");
    const int close = state.lastIndexOf(')');
    return close < 0 || state.mid(close + 2, 1) == "Z";
}

QString commandLine(qint64 pid)
{
    return QString::fromUtf8(readProc(pid, "cmdline").replace('\0', ' ')).trimmed();
}

} // namespace

namespace SystemState {

QStringList snapshot(const QString &folder)
{
    QStringList entries;
    const QFileInfoList infos = QDir(folder).entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &info : infos)
        entries << info.fileName() + QLatin1Char(' ') + QString::number(info.size()) + QLatin1Char(' ')
                       + QString::number(info.lastModified().toMSecsSinceEpoch());
    return entries;
}

QList<qint64> processIdsMentioning(const QString &text)
{
    QList<qint64> found;
    const QByteArray needle = text.toUtf8();
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : entries) {
        bool isNumber = false;
        const qint64 pid = entry.toLongLong(&isNumber);
        if (!isNumber || pid == QCoreApplication::applicationPid())
            continue;
        if (readProc(pid, "cmdline").contains(needle) && !isZombie(pid))
            found << pid;
    }
    return found;
}

QStringList processesMentioning(const QString &text)
{
    QStringList found;
    for (qint64 pid : processIdsMentioning(text))
        found << QString::number(pid) + QLatin1Char(' ') + commandLine(pid);
    return found;
}

bool endProcessesMentioning(const QString &text)
{
    // An empty text would match every process.
    QList<qint64> found;
    for (QDeadlineTimer deadline(10000); !text.isEmpty() && !deadline.hasExpired(); QThread::msleep(20)) {
        if ((found = processIdsMentioning(text)).isEmpty())
            return true;
        for (qint64 pid : std::as_const(found))
            ::kill(pid_t(qMax(pid, qint64(2))), SIGKILL);   // never 0 (the group) or 1 (init)
    }
    return false;
}

bool ffmpegIsReading(const QString &path)
{
    for (qint64 pid : processIdsMentioning(path)) {
        if (commandLine(pid).section(QLatin1Char(' '), 0, 0) == QLatin1String("ffmpeg"))
            return true;
    }
    return false;
}

} // namespace SystemState
