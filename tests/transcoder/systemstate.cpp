#include "systemstate.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

QStringList SystemState::snapshot(const QString &folder)
{
    QStringList entries;
    const QFileInfoList infos = QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System
                                                           | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &info : infos)
        entries << info.fileName() + ' ' + QString::number(info.size()) + ' '
                       + QString::number(info.lastModified().toMSecsSinceEpoch());
    return entries;
}

QList<qint64> SystemState::processesMentioning(const QString &text)
{
    QList<qint64> found;
    const QStringList pids = QDir("/proc").entryList(QDir::Dirs);
    for (const QString &pid : pids) {
        bool isNumber = false;
        const qint64 number = pid.toLongLong(&isNumber);
        if (!isNumber || number == QCoreApplication::applicationPid())
            continue;
        QFile cmdline("/proc/" + pid + "/cmdline");
        QFile stat("/proc/" + pid + "/stat");
        if (!cmdline.open(QIODevice::ReadOnly) || !stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray state = stat.readAll();
        const int close = state.lastIndexOf(')');
        if (close < 0 || state.mid(close + 2, 1) == "Z")
            continue;
        if (cmdline.readAll().contains(text.toUtf8()))
            found << number;
    }
    return found;
}
