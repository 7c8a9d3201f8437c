#include "app/mainwindow.h"
#include "filelist/durationprobe.h"
#include "oddnames.h"
#include "testhome.h"
#include "testmedia.h"
#include "toolfolder.h"

#include <QDir>
#include <QScopeGuard>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// The probe as the window runs it: "./tarvelo-transcode -i PATH" from the
// current directory, against fake tools for the faults and the real tool.
class TestDurationProbe : public QObject
{
    Q_OBJECT

public:
    static void initMain() { TestHome::enterForTheWholeRun(); }

private slots:
    void init();

    void handsThePathOverAsOneArgument_data();
    void handsThePathOverAsOneArgument();
    void copesWithOddTools_data();
    void copesWithOddTools();
    void failsAtOnceWithoutARunnableTool();
    void stopsAHangingToolAtTheLimit_data();
    void stopsAHangingToolAtTheLimit();
    void windowLimitIsTheUsers_data();
    void windowLimitIsTheUsers();

    void readsTheRealTool_data();
    void readsTheRealTool();
    void realToolFailuresShowAsNoDuration_data();
    void realToolFailuresShowAsNoDuration();

private:
    QString estimate(const QString &path, uint *seconds);

    ToolFolder tools;
    QTemporaryDir media;
};

void TestDurationProbe::init()
{
    QVERIFY(tools.isValid());
    QVERIFY(QDir::setCurrent(tools.path()));
}

QString TestDurationProbe::estimate(const QString &path, uint *seconds)
{
    MainWindow window;
    *seconds = 12345;
    return window.estimateDuration(path, seconds);
}

void TestDurationProbe::handsThePathOverAsOneArgument_data()
{
    QTest::addColumn<QString>("name");
    OddNames::addRows(QStringLiteral(".mp4"));
}

void TestDurationProbe::handsThePathOverAsOneArgument()
{
    QFETCH(QString, name);
    const QString record = tools.path() + QStringLiteral("/arguments");
    QVERIFY(tools.install("printf '%s\\0' \"$@\" > '" + QFile::encodeName(record) + "'\necho '$7$'"));

    const QString path = tools.path() + QLatin1Char('/') + name;
    uint seconds = 0;
    QCOMPARE(estimate(path, &seconds), QStringLiteral("0:0:7"));
    QCOMPARE(seconds, 7u);

    QFile recorded(record);
    QVERIFY(recorded.open(QIODevice::ReadOnly));
    const QList<QByteArray> arguments = recorded.readAll().split('\0');
    QCOMPARE(arguments, QList<QByteArray>({"-i", QFile::encodeName(path), QByteArray()}));
    QVERIFY(!QFile::exists(tools.path() + QStringLiteral("/pwned")));
}

void TestDurationProbe::copesWithOddTools_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QString>("text");
    QTest::addColumn<uint>("seconds");

    QTest::newRow("floods its error channel")
        << QByteArray("head -c 2000000 /dev/zero | tr '\\0' x >&2\necho '$187$'") << "0:3:7" << 187u;
    QTest::newRow("reads its input first") << QByteArray("cat > /dev/null\necho '$9$'") << "0:0:9" << 9u;
    QTest::newRow("exit code not looked at") << QByteArray("echo '$61$'\nexit 3") << "0:1:1" << 61u;
    QTest::newRow("dies after answering") << QByteArray("echo '$3600$'\nkill -9 $$") << "1:0:0" << 3600u;
    QTest::newRow("answer split over writes")
        << QByteArray("printf 'probing\\n$1'\nsleep 0.05\nprintf '87$\\nbye\\n'") << "0:3:7" << 187u;
    QTest::newRow("says nothing") << QByteArray("exit 0") << "Couldn't estimate duration" << 0u;
    QTest::newRow("reason only on the error channel")
        << QByteArray("echo 'cannot read the file' >&2\nexit 1") << "Couldn't estimate duration" << 0u;
    QTest::newRow("two answers") << QByteArray("echo '$5$'\necho '$7$'") << "Couldn't estimate duration" << 0u;
    QTest::newRow("negative answer") << QByteArray("echo '$-5$'") << "Couldn't estimate duration" << 0u;
}

void TestDurationProbe::copesWithOddTools()
{
    QFETCH(QByteArray, script);
    QFETCH(QString, text);
    QFETCH(uint, seconds);

    QVERIFY(tools.install(script));
    uint duration = 0;
    QCOMPARE(estimate(QStringLiteral("/nowhere/clip.mp4"), &duration), text);
    QCOMPARE(duration, seconds);
}

void TestDurationProbe::failsAtOnceWithoutARunnableTool()
{
    uint seconds = 0;
    QFile::remove(tools.toolPath());
    QCOMPARE(estimate(QStringLiteral("/nowhere/clip.mp4"), &seconds), QStringLiteral("Couldn't estimate duration"));
    QCOMPARE(seconds, 0u);

    QVERIFY(tools.install("echo '$5$'", false));
    QCOMPARE(estimate(QStringLiteral("/nowhere/clip.mp4"), &seconds), QStringLiteral("Couldn't estimate duration"));
    QCOMPARE(seconds, 0u);
    QVERIFY(QFile::remove(tools.toolPath()));
}

void TestDurationProbe::stopsAHangingToolAtTheLimit_data()
{
    QTest::addColumn<QByteArray>("script");
    // Had the probe waited, it would have read the late answer.
    QTest::newRow("sleeps") << QByteArray("sleep 3\necho '$5$'");
    // A helper that keeps the output open must not hold the probe either.
    QTest::newRow("leaves a helper behind") << QByteArray("(sleep 3; echo '$5$') &\nexec sleep 30");
}

void TestDurationProbe::stopsAHangingToolAtTheLimit()
{
    QFETCH(QByteArray, script);
    QVERIFY(tools.install(script));
    QCOMPARE(DurationProbe(tools.toolPath(), 100).run(QStringLiteral("/nowhere/clip.mp4")), QByteArray());
}

void TestDurationProbe::windowLimitIsTheUsers_data()
{
    QTest::addColumn<QByteArray>("limit");
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QString>("text");
    QTest::addColumn<uint>("seconds");
    // Shortened for the test, as a user may lengthen it.
    QTest::newRow("gives up on a hanging tool") << QByteArray("0.2") << QByteArray("sleep 3\necho '$5$'")
                                                << QStringLiteral("Couldn't estimate duration") << 0u;
    // A clip on a slow network share may take the tool a while to open.
    QTest::newRow("waits for a slow tool") << QByteArray("2") << QByteArray("sleep 0.5\necho '$5$'")
                                           << QStringLiteral("0:0:5") << 5u;
}

void TestDurationProbe::windowLimitIsTheUsers()
{
    QFETCH(QByteArray, limit);
    QFETCH(QByteArray, script);
    QFETCH(QString, text);
    QFETCH(uint, seconds);
    // The window waits half a minute unless told otherwise.
    QCOMPARE(DurationProbe::windowTimeLimitMs(), 30000);
    qputenv("TARVELO_PROBE_SECONDS", limit);
    const auto unset = qScopeGuard([] { qunsetenv("TARVELO_PROBE_SECONDS"); });
    QVERIFY(tools.install(script));
    uint found = 0;
    QCOMPARE(estimate(QStringLiteral("/nowhere/clip.mp4"), &found), text);
    QCOMPARE(found, seconds);
}

void TestDurationProbe::readsTheRealTool_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("plain") << QStringLiteral("clip.mp4");
    OddNames::addRows(QStringLiteral(".MP4"));
}

void TestDurationProbe::readsTheRealTool()
{
    const QString folder = TestMedia::realToolFolder();
    if (folder.isEmpty())
        QSKIP("tarvelo-transcode is not built yet");
    QFETCH(QString, name);
    const QString clip = media.filePath(QStringLiteral("clip.mp4"));
    if (!QFile::exists(clip))
        QVERIFY(TestMedia::makeClip(clip));
    const QString path = media.filePath(name);
    QVERIFY(QFile::exists(path) || QFile::copy(clip, path));

    QVERIFY(QDir::setCurrent(folder));
    uint seconds = 0;
    QCOMPARE(estimate(path, &seconds), QStringLiteral("0:0:3"));
    QCOMPARE(seconds, 3u);
}

void TestDurationProbe::realToolFailuresShowAsNoDuration_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("text file") << QStringLiteral("notes.mp4") << QByteArray("not a video\n");
    QTest::newRow("empty file") << QStringLiteral("empty.avi") << QByteArray();
    QTest::newRow("missing file") << QStringLiteral("missing.mp4") << QByteArray("-");
}

void TestDurationProbe::realToolFailuresShowAsNoDuration()
{
    const QString folder = TestMedia::realToolFolder();
    if (folder.isEmpty())
        QSKIP("tarvelo-transcode is not built yet");
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    const QString path = media.filePath(name);
    if (content != "-") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    QVERIFY(QDir::setCurrent(folder));
    uint seconds = 0;
    QCOMPARE(estimate(path, &seconds), QStringLiteral("Couldn't estimate duration"));
    QCOMPARE(seconds, 0u);
}

QTEST_MAIN(TestDurationProbe)
#include "tst_durationprobe.moc"
