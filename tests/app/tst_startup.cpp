#include "testhome.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

// Starts the real application, as a desktop launcher would, from elsewhere.
class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void runsInProgramFolderAndCreatesOutputFolder_data();
    void runsInProgramFolderAndCreatesOutputFolder();

private:
    static QString workingDirectoryOf(qint64 pid)
    {
        return QFileInfo(QStringLiteral("/proc/%1/cwd").arg(pid)).symLinkTarget();
    }
};

void TestStartup::runsInProgramFolderAndCreatesOutputFolder_data()
{
    QTest::addColumn<bool>("throughLink");
    QTest::newRow("direct") << false;
    QTest::newRow("through a link elsewhere") << true;
}

void TestStartup::runsInProgramFolderAndCreatesOutputFolder()
{
    QFETCH(bool, throughLink);
    TestHome home;
    QTemporaryDir launchDir;
    QVERIFY(home.isValid() && launchDir.isValid());

    // A folder of downloads may hold anything: nothing in it is ever loaded.
    for (const char *library : {"libQt6Core.so.6", "libQt6Widgets.so.6", "libc.so.6"}) {
        QFile junk(launchDir.filePath(QLatin1String(library)));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("not a library");
    }

    const QString programDir = QFileInfo(QStringLiteral(TARVELO_PROGRAM_DIR)).canonicalFilePath();
    QString program = programDir + QStringLiteral("/tarvelo");
    if (throughLink) {
        const QString link = launchDir.filePath(QStringLiteral("tarvelo"));
        QVERIFY(QFile::link(program, link));
        program = link;
    }

    QProcess app;
    app.setProcessEnvironment(home.environment());
    app.setWorkingDirectory(launchDir.path());
    app.start(program, {});
    QVERIFY(app.waitForStarted());

    QTRY_COMPARE_WITH_TIMEOUT(workingDirectoryOf(app.processId()), programDir, 20000);
    QVERIFY(QFileInfo(home.filePath(QStringLiteral("Documents/Tarvelo Output"))).isDir());
    QCOMPARE(app.state(), QProcess::Running);

    app.terminate();
    QVERIFY(app.waitForFinished(10000));
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
