#include "testhome.h"

#include <QDir>
#include <QFile>

TestHome::TestHome()
{
    QDir(home.path()).mkpath(QStringLiteral(".config"));
}

bool TestHome::setDocumentsFolder(const QString &name) const
{
    QFile dirs(home.filePath(QStringLiteral(".config/user-dirs.dirs")));
    return dirs.open(QIODevice::WriteOnly) && dirs.write("XDG_DOCUMENTS_DIR=\"$HOME/" + name.toUtf8() + "\"\n") > 0;
}

void TestHome::enter() const
{
    const QProcessEnvironment values = environment();
    for (const char *name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
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
