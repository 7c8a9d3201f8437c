#include "processrun.h"
#include "systemstate.h"
#include "testmedia.h"
#include "toolfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <csignal>
#include <sys/types.h>
#include <unistd.h>

using TestMedia::convertArguments;
using TestMedia::readFile;
using TestMedia::writeFile;

namespace {

const QString tool = QStringLiteral(TARVELO_PROGRAM_DIR "/tarvelo-transcode");
const QByteArray earlierOutput = "the user's earlier file";

enum class TemporaryFile { Unnamed, Named };
// In segments: the 3 s clip in four segments for two jobs, and its sound, so
// that several ffmpeg processes run at once; one job: the same segment
// length, yet a single process asked for.
enum class Layout { Whole, InSegments, OneJob };

using Outcome = ProcessRun;

// The first eight hex digits of the machine's and the boot's identity, as
// the tool names its part files with them.
QString firstHexDigits(const QString &path)
{
    const QString text = QString::fromLatin1(readFile(path)).remove('-').trimmed().toLower();
    return text.size() >= 8 ? text.left(8) : QString("00000000");
}

// Whether a signal sent to the process still waits to be delivered.
bool signalPending(qint64 pid, int signalNumber)
{
    const QString status = QString::fromLatin1(readFile(QString("/proc/%1/status").arg(pid)));
    const QRegularExpressionMatch pending = QRegularExpression("ShdPnd:\\s*([0-9a-f]+)").match(status);
    return pending.hasMatch() && (pending.captured(1).toULongLong(nullptr, 16) & (1ULL << (signalNumber - 1)));
}

} // namespace

// Faults around the tool: stop requests and kills, ffmpeg that misbehaves or
// stalls, and the named part files used where O_TMPFILE is missing. Every
// run must end, leave the folder as it was and leave no process behind.
class TestTranscoderFaults : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void stopSignalsEndEverything_data();
    void stopSignalsEndEverything();
    void firstOfTwoStopSignalsDecides();
    void stoppedFfmpegMayEndInItsOwnTime();
    void ffmpegStartsWithStopSignalsUnblocked();
    void killedToolTakesFfmpegAlong_data();
    void killedToolTakesFfmpegAlong();
    void misbehavingFfmpeg_data();
    void misbehavingFfmpeg();
    void conversionClearsStaleParts();
    void convertsOntoVfat();

private:
    QString media(const QString &name) const { return root.filePath("media/" + name); }
    QString freshFolder(const QString &name) const;
    QString standIn(const QString &name, const QByteArray &script) const;
    // A stand-in ffmpeg in Perl, for what a shell cannot do; empty on failure.
    QString perlStandIn(const QString &name, const QByteArray &script) const;
    QProcessEnvironment environment(const QString &standInFolder, TemporaryFile temporary,
                                    Layout layout = Layout::Whole) const;
    Outcome run(const QStringList &arguments, const QProcessEnvironment &environment) const;
    bool startAndWaitForFfmpeg(QProcess &process, const QStringList &arguments,
                               const QProcessEnvironment &environment) const;
    bool noneLeft() const;

    // Everything of this test lives here, and only processes that mention
    // it are this test's own.
    QTemporaryDir root;
};

void TestTranscoderFaults::initTestCase()
{
    if (!TestMedia::available())
        QSKIP("ffmpeg and ffprobe are needed");
    QVERIFY(QFileInfo(tool).isExecutable());
    QVERIFY(QFileInfo(QStringLiteral(NOTMPFILE_LIBRARY)).isFile());
    QVERIFY(root.isValid());
    QVERIFY(QDir().mkpath(media("")));
    QVERIFY(TestMedia::makeLosslessClip(media("clip.mkv")));
    QVERIFY(TestMedia::makeLosslessClip(media("short.mkv"), 0.5, "64x48", false));
    // What a broken ffmpeg might leave: an AVI of the right kind, but without
    // a single frame in it.
    QVERIFY(TestMedia::make(media("header-only.avi"),
        {"-f", "lavfi", "-i", "testsrc=size=176x144:rate=25:duration=1",
         "-f", "lavfi", "-i", "sine=duration=1", "-t", "0",
         "-c:v", "mpeg4", "-vtag", "XVID", "-c:a", "libmp3lame", "-f", "avi"}));
    QVERIFY(TestMedia::make(media("complete.avi"),
        {"-i", media("clip.mkv"), "-c:v", "mpeg4", "-vtag", "XVID", "-c:a", "libmp3lame", "-f", "avi"}));
    // The film's sound as its first stream, and an AVI that lost it.
    QVERIFY(TestMedia::make(media("sound-first.mkv"),
                            {"-i", media("clip.mkv"), "-map", "0:a", "-map", "0:v", "-c", "copy"}));
    QVERIFY(TestMedia::make(media("soundless.avi"), {"-i", media("complete.avi"), "-an", "-c", "copy", "-f", "avi"}));
}

// A failed check may leave this test's processes running; they must not
// spoil the next check nor outlive the suite.
void TestTranscoderFaults::cleanup()
{
    QVERIFY(SystemState::endProcessesMentioning(root.path()));
}

QString TestTranscoderFaults::freshFolder(const QString &name) const
{
    const QString path = root.filePath("out-" + name);
    QDir(path).removeRecursively();
    QDir().mkpath(path);
    return path;
}

// A stand-in ffmpeg. Scripts find the real one in $real, their output as the
// last argument after "file:", and can start a copy of themselves with
// "linger" that holds ffmpeg's pipes open for ever.
QString TestTranscoderFaults::standIn(const QString &name, const QByteArray &script) const
{
    const ToolFolder folder(root.filePath("bin-" + QString(name).replace('/', '-')));
    folder.installAs("ffmpeg", "real='" + QStandardPaths::findExecutable("ffmpeg").toUtf8() + "'\n"
                               "if [ \"$1\" = linger ]; then while :; do sleep 1; done; fi\n"
                               "for last; do :; done; output=\"${last#file:}\"\n"
                               + script);
    return folder.path();
}

QString TestTranscoderFaults::perlStandIn(const QString &name, const QByteArray &script) const
{
    const QString bin = freshFolder("bin-" + name);
    QFile ffmpeg(bin + "/ffmpeg");
    if (!ffmpeg.open(QIODevice::WriteOnly) || !ffmpeg.write("#!/usr/bin/perl\n" + script))
        return {};
    ffmpeg.close();
    return ffmpeg.setPermissions(ffmpeg.permissions() | QFile::ExeOwner) ? bin : QString();
}

QProcessEnvironment TestTranscoderFaults::environment(const QString &standInFolder, TemporaryFile temporary,
                                                     Layout layout) const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PATH", standInFolder + ':' + environment.value("PATH"));
    // A stand-in deaf to SIGTERM is killed after a fifth of a second as
    // surely as after the second a user gets.
    environment.insert("TARVELO_STOP_GRACE_SECONDS", "0.2");
    if (layout != Layout::Whole) {
        environment.insert("TARVELO_ENCODE_JOBS", layout == Layout::OneJob ? "1" : "2");
        environment.insert("TARVELO_SEGMENT_SECONDS", "1");
    }
    if (temporary == TemporaryFile::Named) {
        for (const QString &setting : preloadSettings(NOTMPFILE_LIBRARY))
            environment.insert(setting.section('=', 0, 0), setting.section('=', 1));
    }
    return environment;
}

Outcome TestTranscoderFaults::run(const QStringList &arguments, const QProcessEnvironment &environment) const
{
    return runProcess(tool, arguments, environment, QString(), 60000);
}

bool TestTranscoderFaults::startAndWaitForFfmpeg(QProcess &process, const QStringList &arguments,
                                                 const QProcessEnvironment &environment) const
{
    process.setProcessEnvironment(environment);
    process.start(tool, arguments);
    if (!process.waitForStarted())
        return false;
    // Until it runs as itself: a child not yet past its exec is a copy of the tool.
    const auto ffmpegRuns = [this] {
        const QStringList processes = SystemState::processesMentioning(root.path());
        return std::any_of(processes.cbegin(), processes.cend(),
                           [](const QString &process) { return !process.section(' ', 1).startsWith(tool); });
    };
    QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired() && !ffmpegRuns())
        QTest::qWait(20);
    return !deadline.hasExpired() && process.state() == QProcess::Running;
}

// Killed processes take a moment to be gone from /proc.
bool TestTranscoderFaults::noneLeft() const
{
    QDeadlineTimer deadline(5000);
    while (!SystemState::processIdsMentioning(root.path()).isEmpty()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(50);
    }
    return true;
}

void TestTranscoderFaults::stopSignalsEndEverything_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::addColumn<TemporaryFile>("temporary");
    QTest::addColumn<Layout>("layout");
    for (int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
        QTest::addRow("%s, unnamed", sigabbrev_np(signalNumber))
            << signalNumber << TemporaryFile::Unnamed << Layout::Whole;
        QTest::addRow("%s, part file", sigabbrev_np(signalNumber))
            << signalNumber << TemporaryFile::Named << Layout::Whole;
    }
    QTest::newRow("TERM, unnamed, in segments") << SIGTERM << TemporaryFile::Unnamed << Layout::InSegments;
    QTest::newRow("TERM, part file, in segments") << SIGTERM << TemporaryFile::Named << Layout::InSegments;
}

// A stop is the tool's own decision to fail, not a death by the signal.
void TestTranscoderFaults::stopSignalsEndEverything()
{
    QFETCH(int, signalNumber);
    QFETCH(TemporaryFile, temporary);
    QFETCH(Layout, layout);
    const QString folder = freshFolder("stop");
    QVERIFY(writeFile(folder + "/stop-me.avi", earlierOutput));
    const QStringList before = SystemState::snapshot(folder);
    const QString slow = standIn("slow", "exec \"$real\" -re \"$@\"");

    QProcess process;
    QVERIFY(startAndWaitForFfmpeg(process, convertArguments(media("clip.mkv"), folder + "/stop-me.avi"),
                                  environment(slow, temporary, layout)));
    if (temporary == TemporaryFile::Named)
        QVERIFY(SystemState::snapshot(folder).size() >= 2);
    ::kill(pid_t(process.processId()), signalNumber);
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QVERIFY(process.exitCode() != 0);
    QVERIFY(!process.readAllStandardOutput().contains("##success##"));
    QVERIFY(noneLeft());
    QCOMPARE(SystemState::snapshot(folder), before);
}

// A second, different stop changes neither the exit status nor the reason.
void TestTranscoderFaults::firstOfTwoStopSignalsDecides()
{
    const QString folder = freshFolder("two-stops");
    // ffmpeg keeps the tool at its stop until the test lets it end.
    const QString bin = standIn("two-stops", "trap 'touch \"$0.stopping\"' TERM; : > \"$0.ready\"; "
                                             "until [ -e \"$0.go\" ]; do echo out_time_us=1000000; sleep 0.05; done");
    QProcessEnvironment patient = environment(bin, TemporaryFile::Unnamed);
    patient.insert("TARVELO_STOP_GRACE_SECONDS", "60");
    QProcess process;
    QVERIFY(startAndWaitForFfmpeg(process, convertArguments(media("clip.mkv"), folder + "/two.avi"), patient));
    // A stop before the stand-in has set its trap would end it at once.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(bin + "/ffmpeg.ready"), 10000);
    const pid_t pid = pid_t(process.processId());
    QVERIFY(pid > 0);
    ::kill(pid, SIGINT);
    // Two signals pending at once are delivered lowest number first; only
    // one that has arrived is the first, as ffmpeg's stop tells.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(bin + "/ffmpeg.stopping"), 10000);
    QCOMPARE(process.state(), QProcess::Running);
    ::kill(pid, SIGHUP);
    QTRY_VERIFY_WITH_TIMEOUT(!signalPending(pid, SIGHUP), 10000);
    QVERIFY(writeFile(bin + "/ffmpeg.go", {}));
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 128 + SIGINT);
    const QByteArray err = process.readAllStandardError();
    QVERIFY2(err.contains(QByteArray("stopped by ") + strsignal(SIGINT)), err.constData());
    QVERIFY(noneLeft());
}

// ffmpeg stopped gets its grace to close its files in order; only then is it killed.
void TestTranscoderFaults::stoppedFfmpegMayEndInItsOwnTime()
{
    const QString folder = freshFolder("grace");
    // Not a shell script: the shell runs its trap only once a sleep it waits
    // on has ended, and each sleep is a new process, which a loaded machine
    // may take most of the grace to start. Perl takes the signal at once
    // and waits its tenth of a second without starting anything.
    const QString bin = perlStandIn("grace",
        "$| = 1;\n"
        "$SIG{TERM} = sub { select(undef, undef, undef, 0.1); open(my $f, '>', \"$0.ended\"); exit 255; };\n"
        "open(my $ready, '>', \"$0.ready\");\n"
        "while (1) { print \"out_time_us=1000000\\n\"; select(undef, undef, undef, 0.05); }\n");
    QVERIFY(!bin.isEmpty());
    QProcessEnvironment byDefault = environment(bin, TemporaryFile::Unnamed);
    byDefault.remove("TARVELO_STOP_GRACE_SECONDS");
    QProcess process;
    QVERIFY(startAndWaitForFfmpeg(process, convertArguments(media("clip.mkv"), folder + "/grace.avi"), byDefault));
    // A stop before the stand-in has taken over its signal would end it at once.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(bin + "/ffmpeg.ready"), 10000);
    ::kill(pid_t(process.processId()), SIGTERM);
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitCode(), 128 + SIGTERM);
    QVERIFY(QFile::exists(bin + "/ffmpeg.ended"));
    QVERIFY(noneLeft());
    QCOMPARE(SystemState::snapshot(folder), QStringList());
}

// The tool holds the stop signals back while it starts ffmpeg; ffmpeg itself
// must get them, or a stop waits out its grace and ends in SIGKILL.
void TestTranscoderFaults::ffmpegStartsWithStopSignalsUnblocked()
{
    const QString folder = freshFolder("mask");
    // Not a shell script: the shell clears its signal mask as it starts.
    const QString bin = perlStandIn("mask", "open my $status, '<', '/proc/self/status' or die;\n"
                                            "print STDERR grep { /^SigBlk/ } <$status>;\n"
                                            "exit 1;\n");
    QVERIFY(!bin.isEmpty());
    const Outcome outcome = run(convertArguments(media("short.mkv"), folder + "/mask.avi"),
                                environment(bin, TemporaryFile::Unnamed));
    const QRegularExpressionMatch blocked = QRegularExpression("SigBlk:[^0-9a-f]*([0-9a-f]+)").match(outcome.err);
    QVERIFY2(blocked.hasMatch(), outcome.err.constData());
    bool ok = false;
    const qulonglong mask = blocked.captured(1).toULongLong(&ok, 16);
    QVERIFY(ok);
    for (int signalNumber : {SIGTERM, SIGINT, SIGHUP})
        QVERIFY2(!(mask & (1ULL << (signalNumber - 1))), sigabbrev_np(signalNumber));
}

void TestTranscoderFaults::killedToolTakesFfmpegAlong_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<TemporaryFile>("temporary");
    QTest::addColumn<Layout>("layout");
    const QString converting = "exec \"$real\" -re \"$@\"";
    QTest::newRow("converting, unnamed") << converting << TemporaryFile::Unnamed << Layout::Whole;
    QTest::newRow("converting, part file") << converting << TemporaryFile::Named << Layout::Whole;
    QTest::newRow("converting, part file, in segments") << converting << TemporaryFile::Named << Layout::InSegments;
    // Writing nothing, it never meets the broken pipe that would end it too.
    QTest::newRow("silent") << "while :; do sleep 1; done" << TemporaryFile::Unnamed << Layout::Whole;
}

// Nothing can clean up after SIGKILL at once: ffmpeg must die with the tool,
// and a part file left behind goes with the next conversion into the folder.
void TestTranscoderFaults::killedToolTakesFfmpegAlong()
{
    QFETCH(QString, script);
    QFETCH(TemporaryFile, temporary);
    QFETCH(Layout, layout);
    const QString folder = freshFolder("killed");
    QVERIFY(writeFile(folder + "/killed.avi", earlierOutput));
    const QStringList before = SystemState::snapshot(folder);
    const QProcessEnvironment slow = environment(standIn(QTest::currentDataTag(), script.toUtf8()), temporary, layout);

    QProcess process;
    QVERIFY(startAndWaitForFfmpeg(process, convertArguments(media("clip.mkv"), folder + "/killed.avi"), slow));
    ::kill(pid_t(process.processId()), SIGKILL);
    QVERIFY(process.waitForFinished(10000));
    QVERIFY(noneLeft());
    QCOMPARE(readFile(folder + "/killed.avi"), earlierOutput);
    if (temporary == TemporaryFile::Unnamed) {
        QCOMPARE(SystemState::snapshot(folder), before);
        return;
    }
    QVERIFY(QDir(folder).entryList(QDir::Files | QDir::Hidden).size() > (layout == Layout::InSegments ? 3 : 1));
    const Outcome next = run(convertArguments(media("short.mkv"), folder + "/next.avi"),
                             environment(root.path(), temporary));
    QVERIFY2(next.out.contains("##success##"), next.err.constData());
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name),
             QStringList({"killed.avi", "next.avi"}));
    QCOMPARE(readFile(folder + "/killed.avi"), earlierOutput);
}

void TestTranscoderFaults::misbehavingFfmpeg_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<TemporaryFile>("temporary");
    QTest::addColumn<Layout>("layout");
    QTest::addColumn<bool>("stop");
    QTest::addColumn<QString>("stallSeconds");
    QTest::addColumn<QString>("reason");   // empty: the conversion must succeed
    QTest::addColumn<QString>("input");
    const auto addIn = [](Layout layout, const char *name, const QString &script, TemporaryFile temporary,
                          bool stop, const QString &stallSeconds, const QString &reason) {
        QTest::newRow(name) << script << temporary << layout << stop << stallSeconds << reason << "clip.mkv";
    };
    const auto add = [&](const char *name, const QString &script, TemporaryFile temporary, bool stop,
                         const QString &stallSeconds, const QString &reason) {
        addIn(Layout::Whole, name, script, temporary, stop, stallSeconds, reason);
    };
    const auto addBoth = [&](const char *name, const QString &script, const QString &reason) {
        add(qPrintable(QString(name) + ", unnamed"), script, TemporaryFile::Unnamed, false, {}, reason);
        add(qPrintable(QString(name) + ", part file"), script, TemporaryFile::Named, false, {}, reason);
    };
    const QString headerOnly = "cat '" + media("header-only.avi") + "' > \"$output\"; ";
    const QString complete = "cat '" + media("complete.avi") + "' > \"$output\"; ";
    addBoth("header-only AVI, status 0", headerOnly + "exit 0", "no pictures");
    addBoth("complete AVI, status 1", complete + "echo 'No space left on device' >&2; exit 1", "No space left");
    addBoth("complete AVI, then a crash", complete + "kill -SEGV $$", "killed by");
    QTest::newRow("AVI without the sound, which came first") << "cat '" + media("soundless.avi") + "' > \"$output\""
        << TemporaryFile::Unnamed << Layout::Whole << false << QString() << "no MP3 audio" << "sound-first.mkv";
    // The later segments would work on for ever: the first failure must end them.
    addIn(Layout::InSegments, "full disk, in segments", "case \"$*\" in *trim=start*) while :; do echo out_time_us=1000000; sleep 0.1; "
        "done;; esac; " + complete + "echo 'No space left on device' >&2; exit 1", TemporaryFile::Named, false, {},
        "No space left");
    // One job asked for is one ffmpeg, however many segments the film would make.
    addIn(Layout::OneJob, "one job asked for", "case \"$*\" in *,trim=start*) exit 1;; esac; " + complete + "exit 0",
          TemporaryFile::Unnamed, false, {}, {});
    // ffmpeg's log starts with its banner; the reason is what it said last,
    // however long the log before it, and whichever way its line ends.
    add("long log, then a failure", "printf 'ffmpeg version 5.1\\n%8180s\\nInput #0, matroska\\n"
        "av_interleaved_write_frame(): Disk quota exceeded\\r\\n\\n' '' >&2; exit 1", TemporaryFile::Unnamed, false, {},
        "status 1: av_interleaved_write_frame(): Disk quota exceeded\n");

    // Nothing to start: the reason is the system's, in words.
    add("no ffmpeg at all", "absent", TemporaryFile::Unnamed, false, {},
        "No such file or directory (ffmpeg is not installed, or not on PATH)");

    const QString wait = "while :; do sleep 1; done";
    // No script here ever reports again: a fifth of a second of silence
    // tells as much as a longer one.
    const QString stall = "0.2";
    add("silent from the start", wait, TemporaryFile::Unnamed, false, stall, "made no progress for 0.2 s");
    addIn(Layout::InSegments, "silent from the start, in segments", wait, TemporaryFile::Named, false, stall, "no progress");
    add("silent after a report", "echo out_time_us=1000000; " + wait, TemporaryFile::Unnamed, false, stall,
        "no progress");
    add("silent, deaf to SIGTERM", "trap '' TERM; " + wait, TemporaryFile::Unnamed, false, stall, "no progress");
    // Warnings are no progress: a decoder stuck on a broken stream says so for ever.
    add("stuck, warning on and on", "while :; do echo 'Invalid NAL unit size' >&2; sleep 0.05; done",
        TemporaryFile::Unnamed, false, stall, "no progress");
    // Reports keep the watchdog quiet, however long the work takes.
    add("slow but reporting", "i=0; while [ $i -lt 8 ]; do echo out_time_us=${i}00000; sleep 0.05; "
        "i=$((i+1)); done; echo 'Invalid data found' >&2; exit 1", TemporaryFile::Unnamed, false, "0.25",
        "Invalid data found");

    // ffmpeg's end is its own exit, whatever a child of it still holds open.
    const QString linger = "sh \"$0\" linger & ";
    add("child lingers, ffmpeg succeeds", linger + "exec \"$real\" \"$@\"", TemporaryFile::Unnamed, false, {}, {});
    add("child lingers, ffmpeg fails", linger + "exit 1", TemporaryFile::Unnamed, false, {}, "status 1");
    add("child lingers, stopped, ffmpeg deaf to SIGTERM",
        linger + "trap '' TERM; while :; do echo out_time_us=1000000; sleep 0.1; done",
        TemporaryFile::Unnamed, true, {}, "stopped by");
}

// Whatever ffmpeg does, the tool ends with one line of reason, publishes
// nothing but a real conversion and leaves no process behind.
void TestTranscoderFaults::misbehavingFfmpeg()
{
    QFETCH(QString, script);
    QFETCH(TemporaryFile, temporary);
    QFETCH(Layout, layout);
    QFETCH(bool, stop);
    QFETCH(QString, stallSeconds);
    QFETCH(QString, reason);
    QFETCH(QString, input);
    const QString folder = freshFolder("misbehaving");
    const QString output = folder + "/result.avi";
    QVERIFY(writeFile(output, earlierOutput));
    const QStringList before = SystemState::snapshot(folder);
    QProcessEnvironment misbehaving = environment(standIn(QTest::currentDataTag(), script.toUtf8()), temporary, layout);
    if (!stallSeconds.isEmpty())
        misbehaving.insert("TARVELO_STALL_SECONDS", stallSeconds);
    // Without ffmpeg, but still with the stand-in systemctl that comes first.
    if (script == "absent")
        misbehaving.insert("PATH", freshFolder("without-ffmpeg") + ':'
                                       + QProcessEnvironment::systemEnvironment().value("PATH").section(':', 0, 0));

    QProcess process;
    if (stop) {
        QVERIFY(startAndWaitForFfmpeg(process, convertArguments(media(input), output), misbehaving));
        ::kill(pid_t(process.processId()), SIGTERM);
    } else {
        process.setProcessEnvironment(misbehaving);
        process.start(tool, convertArguments(media(input), output));
    }
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    const QByteArray out = process.readAllStandardOutput();
    const QByteArray err = process.readAllStandardError();
    QVERIFY(noneLeft());
    if (reason.isEmpty()) {
        QVERIFY2(out.endsWith("\n##success##\n"), err.constData());
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"result.avi"});
        QCOMPARE(TestMedia::stream(TestMedia::probe(output), "video").value("codec_name").toString(),
                 QString("mpeg4"));
        return;
    }
    QVERIFY(process.exitCode() > 0);
    QVERIFY(!out.contains("##success##"));
    QVERIFY2(err.contains(reason.toUtf8()) && err.count('\n') == 1, err.constData());
    QCOMPARE(SystemState::snapshot(folder), before);
}

// A conversion into a folder clears the parts that a killed tool left there;
// which parts count as stale is the part-file rules' own test.
void TestTranscoderFaults::conversionClearsStaleParts()
{
    const QString folder = freshFolder("parts");
    QProcess gone;
    gone.start("true", QStringList());
    QVERIFY(gone.waitForStarted());
    const QString gonePid = QString::number(gone.processId());
    QVERIFY(gone.waitForFinished());
    const QString stale = ".film.avi." + firstHexDigits("/etc/machine-id")
                          + firstHexDigits("/proc/sys/kernel/random/boot_id") + '-' + gonePid + "-12345-0000abcd.part";
    QVERIFY(writeFile(folder + '/' + stale, "part"));

    const Outcome outcome = run(convertArguments(media("short.mkv"), folder + "/new.avi"),
                                environment(root.path(), TemporaryFile::Named));
    QVERIFY2(outcome.out.contains("##success##"), outcome.err.constData());
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
             QStringList{"new.avi"});
}

// The real file system where the part files are needed; mounting needs root
// and the kernel's vfat driver, so this is skipped wherever either is missing.
void TestTranscoderFaults::convertsOntoVfat()
{
    if (geteuid() != 0 || QStandardPaths::findExecutable("mkfs.vfat", {"/usr/sbin", "/sbin"}).isEmpty())
        QSKIP("needs root and mkfs.vfat");
    const QString image = root.filePath("stick.img");
    const QString stick = freshFolder("stick");
    QFile file(image);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(16 << 20));
    file.close();
    QCOMPARE(QProcess::execute(QStandardPaths::findExecutable("mkfs.vfat", {"/usr/sbin", "/sbin"}),
                               {"-n", "STICK", image}), 0);
    QProcess mount;
    mount.start("mount", {"-o", "loop", image, stick});
    if (!mount.waitForFinished() || mount.exitCode() != 0)
        QSKIP("a vfat image cannot be mounted here");
    const QProcessEnvironment plain = environment(root.path(), TemporaryFile::Unnamed);
    const Outcome converted = run(convertArguments(media("short.mkv"), stick + "/new.avi"), plain);
    const Outcome failed = run(convertArguments(media("short.mkv"), stick + "/bad.avi"),
                               environment(standIn("vfat-fails", "echo junk > \"$output\"; exit 1"),
                                           TemporaryFile::Unnamed));
    const QStringList present = QDir(stick).entryList(QDir::Files | QDir::Hidden);
    QProcess::execute("umount", {stick});
    QVERIFY2(converted.out.contains("##success##"), converted.err.constData());
    QVERIFY(!failed.out.contains("##success##"));
    QCOMPARE(present, QStringList{"new.avi"});
}

QTEST_GUILESS_MAIN(TestTranscoderFaults)
#include "tst_transcoderfaults.moc"
