#include "testmedia.h"

#include <QFileInfo>
#include <QProcess>

bool TestMedia::makeClip(const QString &path)
{
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-nostdin"), QStringLiteral("-y"),
                  QStringLiteral("-f"), QStringLiteral("lavfi"),
                  QStringLiteral("-i"), QStringLiteral("testsrc=duration=3:size=160x120:rate=10"),
                  QStringLiteral("-f"), QStringLiteral("lavfi"),
                  QStringLiteral("-i"), QStringLiteral("sine=duration=3"),
                  QStringLiteral("-shortest"), QStringLiteral("file:") + path});
    return ffmpeg.waitForFinished(60000) && ffmpeg.exitStatus() == QProcess::NormalExit
        && ffmpeg.exitCode() == 0;
}

QString TestMedia::realToolFolder()
{
    const QString folder = QStringLiteral(TARVELO_PROGRAM_DIR);
    return QFileInfo(folder + QStringLiteral("/tarvelo-transcode")).isExecutable() ? folder : QString();
}
