#include "testhome.h"

#include <QDir>
#include <QFile>

TestHome::TestHome()
{
    QDir(home.path()).mkpath(QStringLiteral(".config"));
    // The runtime folder holds the one-window socket: a program started
    // with this home never reaches the user's own Tarvelo, nor another test's.
    QDir(home.path()).mkpath(QStringLiteral("runtime"));
    QFile::setPermissions(home.filePath(QStringLiteral("runtime")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

bool TestHome::setDocumentsFolder(const QString &name) const
{
    QFile dirs(home.filePath(QStringLiteral(".config/user-dirs.dirs")));
    return dirs.open(QIODevice::WriteOnly) && dirs.write("XDG_DOCUMENTS_DIR=\"$HOME/" + name.toUtf8() + "\"\n") > 0;
}

void TestHome::enter() const
{
    const QProcessEnvironment values = environment();
    for (const char *name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"})
        qputenv(name, QFile::encodeName(values.value(QLatin1String(name))));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

void TestHome::applyTo(QProcessEnvironment &environment) const
{
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral(".config")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral(".local/share")));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), home.filePath(QStringLiteral(".cache")));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.filePath(QStringLiteral("runtime")));
}

QProcessEnvironment TestHome::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    applyTo(environment);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return environment;
}

void TestHome::enterForTheWholeRun()
{
    static TestHome home;
    home.enter();
}
