#ifndef PACKAGEBUILD_H
#define PACKAGEBUILD_H

#include <QString>
#include <QStringList>

// Builds the Debian package from a copy of a source tree, the way a user
// would from a fresh checkout, and unpacks it for inspection.
class PackageBuild
{
public:
    explicit PackageBuild(const QString &workFolder);

    bool copySource(const QString &sourceFolder);
    bool build();
    bool unpack();

    QString error() const { return lastError; }
    QString debPath() const { return debFile; }
    QString rootFolder() const { return workFolder + QStringLiteral("/root"); }
    // Paths as dpkg-deb lists them ("./usr/bin/tarvelo -> ...").
    QStringList contents() const { return listedContents; }
    QString field(const QString &name) const;

private:
    QStringList sourceFiles(const QString &sourceFolder) const;
    bool run(const QString &program, const QStringList &arguments, QByteArray *output = nullptr);

    QString workFolder;
    QString sourceCopy;
    QString debFile;
    QStringList listedContents;
    QString lastError;
};

#endif // PACKAGEBUILD_H
