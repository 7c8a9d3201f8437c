#include "packagebuild.h"

#include "processrun.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QThread>

PackageBuild::PackageBuild(const QString &workFolder)
    : workFolder(workFolder)
    , sourceCopy(workFolder + QStringLiteral("/tarvelo"))
{
}

// What a fresh checkout would hold: the tracked files and the new ones not
// ignored, so that build folders and earlier package builds stay out.
QStringList PackageBuild::sourceFiles(const QString &sourceFolder) const
{
    const ProcessRun git = runProcess(QStringLiteral("git"), {"ls-files", "-z", "--cached", "--others",
                                                              "--exclude-standard"},
                                      QProcessEnvironment::systemEnvironment(), sourceFolder, 60000);
    if (git.succeeded()) {
        QStringList files;
        const QList<QByteArray> names = git.out.split('\0');
        for (const QByteArray &name : names) {
            if (!name.isEmpty())
                files << QString::fromUtf8(name);
        }
        return files;
    }

    // Not a git checkout (an unpacked release): everything but build output.
    QStringList files;
    const QDir source(sourceFolder);
    QDirIterator it(sourceFolder, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString relative = source.relativeFilePath(it.next());
        if (!relative.startsWith(QLatin1String("build")) && !relative.startsWith(QLatin1String("obj-"))
            && !relative.startsWith(QLatin1String(".git")))
            files << relative;
    }
    return files;
}

bool PackageBuild::copySource(const QString &sourceFolder)
{
    const QStringList files = sourceFiles(sourceFolder);
    if (files.isEmpty()) {
        lastError = QStringLiteral("no source files found in ") + sourceFolder;
        return false;
    }
    for (const QString &file : files) {
        const QString from = sourceFolder + QLatin1Char('/') + file;
        if (!QFileInfo::exists(from))
            continue; // deleted in the work tree, not yet in git
        const QString to = sourceCopy + QLatin1Char('/') + file;
        if (!QDir().mkpath(QFileInfo(to).path()) || !QFile::copy(from, to)) {
            lastError = QStringLiteral("cannot copy ") + from;
            return false;
        }
    }
    return true;
}

bool PackageBuild::run(const QString &program, const QStringList &arguments, QByteArray *output)
{
    // The package build is a full build: bounded by the test's own timeout only.
    const ProcessRun result = runProcess(program, arguments, QProcessEnvironment::systemEnvironment(), sourceCopy, -1);
    if (output)
        *output = result.out;
    if (result.succeeded())
        return true;
    lastError = program + QLatin1Char(' ') + arguments.join(QLatin1Char(' ')) + QStringLiteral(" failed:\n")
              + QString::fromLocal8Bit((result.out + result.err).right(6000));
    return false;
}

bool PackageBuild::build()
{
    // The package's own test run is what this build is tested by already.
    qputenv("DEB_BUILD_OPTIONS", "nocheck parallel=" + QByteArray::number(QThread::idealThreadCount()));
    if (!run(QStringLiteral("dpkg-buildpackage"), {"-us", "-uc", "-b"}))
        return false;
    const QStringList debs = QDir(workFolder).entryList({QStringLiteral("tarvelo_*.deb")}, QDir::Files);
    if (debs.size() != 1) {
        lastError = QStringLiteral("expected one tarvelo_*.deb, found: ") + debs.join(QStringLiteral(", "));
        return false;
    }
    debFile = workFolder + QLatin1Char('/') + debs.first();
    return true;
}

bool PackageBuild::unpack()
{
    QByteArray listing;
    if (!run(QStringLiteral("dpkg-deb"), {"--contents", debFile}, &listing)
        || !run(QStringLiteral("dpkg-deb"), {"--extract", debFile, rootFolder()}))
        return false;
    const QList<QByteArray> lines = listing.split('\n');
    for (const QByteArray &line : lines) {
        // "-rwxr-xr-x root/root 123 2026-12-07 11:30 ./usr/bin/x": the path is the sixth column on.
        const QList<QByteArray> columns = line.simplified().split(' ');
        if (columns.size() >= 6)
            listedContents << QString::fromUtf8(columns.mid(5).join(' '));
    }
    return true;
}

QString PackageBuild::field(const QString &name) const
{
    const ProcessRun dpkgDeb = runProcess(QStringLiteral("dpkg-deb"), {"--field", debFile, name});
    return QString::fromUtf8(dpkgDeb.out).simplified();
}
