#include "systemstate.h"
#include "testhome.h"
#include "testmedia.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/stat.h>

using namespace SystemState;
using namespace TestMedia;

// The whole application, stopped from outside the way a desktop stops it:
// logout and shutdown (SIGTERM, SIGHUP), Ctrl+C (SIGINT), or a kill.
class TestApplicationStop : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void signalsEndTheApplicationInOrder_data();
    void signalsEndTheApplicationInOrder();
    void stopDuringOverwriteKeepsTheOldFile_data();
    void stopDuringOverwriteKeepsTheOldFile();
    void signalWhileADialogIsOpen_data();
    void signalWhileADialogIsOpen();

private:
    QString privateFolder(const QString &name) const;

    QTemporaryDir root;
    TestHome home;
    QString media;
};

void TestApplicationStop::initTestCase()
{
    QVERIFY(root.isValid());
    QVERIFY(QFileInfo(QStringLiteral(TARVELO_PROGRAM_DIR "/tarvelo-transcode")).isExecutable());
    media = root.filePath(QStringLiteral("media"));
    QVERIFY(QDir().mkpath(media));
    // Long enough that a stop always lands in the middle of its conversion.
    QVERIFY(makeClip(media + QStringLiteral("/long clip.mp4"), 120, QStringLiteral("320x240")));
}

// A case that failed halfway leaves its application converting; whatever
// of it outlived the case goes now, not when CTest gives up on the suite.
void TestApplicationStop::cleanup()
{
    QVERIFY(endProcessesMentioning(root.path()));
}

void TestApplicationStop::signalsEndTheApplicationInOrder_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

// The real program: handled, the signal ends the event loop with the shell's
// status for it; unhandled, the program would die of it.
void TestApplicationStop::signalsEndTheApplicationInOrder()
{
    QFETCH(int, signalNumber);
    QProcess app;
    app.setProcessEnvironment(home.environment());
    app.start(QStringLiteral(TARVELO_PROGRAM_DIR "/tarvelo"), {});
    QVERIFY(app.waitForStarted());
    // The program folder becomes current once the window is up.
    const QString programDir = QFileInfo(QStringLiteral(TARVELO_PROGRAM_DIR)).canonicalFilePath();
    QTRY_COMPARE_WITH_TIMEOUT(QFileInfo(QStringLiteral("/proc/%1/cwd").arg(app.processId())).symLinkTarget(),
                              programDir, 20000);

    QCOMPARE(::kill(pid_t(app.processId()), signalNumber), 0);
    QVERIFY(app.waitForFinished(20000));
    QCOMPARE(app.exitStatus(), QProcess::NormalExit);
    QCOMPARE(app.exitCode(), 128 + signalNumber);
}

void TestApplicationStop::stopDuringOverwriteKeepsTheOldFile_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGHUP") << int(SIGHUP);
    QTest::newRow("SIGKILL") << int(SIGKILL);
}

// The user answered "Overwrite" and the conversion is under way when the
// application is stopped: the old file must still be there, whole, under its
// own name, with nothing beside it, and no tool or ffmpeg may live on.
void TestApplicationStop::stopDuringOverwriteKeepsTheOldFile()
{
    QFETCH(int, signalNumber);
    const QString output = privateFolder(QStringLiteral("out %1").arg(signalNumber));
    QVERIFY(!output.isEmpty());
    QByteArray old(256 * 1024, Qt::Uninitialized);
    QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(old.data()), old.size() / 4);
    QVERIFY(writeFile(output + QStringLiteral("/long clip.avi"), old));

    QProcess app;
    app.setProcessEnvironment(home.environment());
    app.setProcessChannelMode(QProcess::ForwardedChannels);
    app.start(QStringLiteral(CONVERTING_APP),
              {QStringLiteral("overwrite"), output + QLatin1Char('/'), media, QStringLiteral("long clip.mp4")});
    QVERIFY(app.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(ffmpegIsReading(media + QStringLiteral("/long clip.mp4")), 30000);

    QCOMPARE(::kill(pid_t(app.processId()), signalNumber), 0);
    QVERIFY(app.waitForFinished(30000));
    if (signalNumber == SIGKILL) {
        QCOMPARE(app.exitStatus(), QProcess::CrashExit);
    } else {
        QCOMPARE(app.exitStatus(), QProcess::NormalExit);
        QCOMPARE(app.exitCode(), 128 + signalNumber);
    }
    // Orphaned by a kill, the tool must notice and stop on its own.
    QTRY_VERIFY2_WITH_TIMEOUT(processesMentioning(root.path()).isEmpty(),
                              qPrintable(processesMentioning(root.path()).join('\n')), 20000);
    QCOMPARE(QDir(output).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
             QStringList{"long clip.avi"});
    QVERIFY(readFile(output + QStringLiteral("/long clip.avi")) == old);
}

QString TestApplicationStop::privateFolder(const QString &name) const
{
    const QString folder = root.filePath(name);
    if (!QDir().mkpath(folder) || !QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
        return QString();
    return folder;
}

void TestApplicationStop::signalWhileADialogIsOpen_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::newRow("overwrite question") << QStringLiteral("File Exists");
    QTest::newRow("summary") << QStringLiteral("Conversion Completed!");
}

// Nobody is there to answer at a logout: an open dialog must not keep the
// application, the question counts as unanswered, and the signal's status
// stands.
void TestApplicationStop::signalWhileADialogIsOpen()
{
    QFETCH(QString, dialog);
    const bool question = dialog == QLatin1String("File Exists");
    const QString output = privateFolder(QStringLiteral("out dialog %1").arg(question));
    QVERIFY(!output.isEmpty());
    if (question)
        QVERIFY(writeFile(output + QStringLiteral("/short.avi"), "OLD"));
    QVERIFY(makeClip(media + QStringLiteral("/short.mp4"), 1));

    QProcess app;
    app.setProcessEnvironment(home.environment());
    app.start(QStringLiteral(CONVERTING_APP),
              {QStringLiteral("none"), output + QLatin1Char('/'), media, QStringLiteral("short.mp4")});
    QVERIFY(app.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(app.canReadLine(), 60000);
    QCOMPARE(QString::fromUtf8(app.readLine()).trimmed(), dialog);

    QCOMPARE(::kill(pid_t(app.processId()), SIGTERM), 0);
    QVERIFY(app.waitForFinished(30000));
    QCOMPARE(app.exitStatus(), QProcess::NormalExit);
    QCOMPARE(app.exitCode(), 128 + SIGTERM);
    QTRY_VERIFY_WITH_TIMEOUT(processesMentioning(root.path()).isEmpty(), 20000);
    QCOMPARE(QDir(output).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
             QStringList{"short.avi"});
    if (question)
        QCOMPARE(readFile(output + QStringLiteral("/short.avi")), QByteArray("OLD"));
}

QTEST_GUILESS_MAIN(TestApplicationStop)
#include "tst_applicationstop.moc"
