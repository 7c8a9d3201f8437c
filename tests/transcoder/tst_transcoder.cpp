#include "mediameasure.h"
#include "oddnames.h"
#include "processrun.h"
#include "systemstate.h"
#include "testmedia.h"
#include "toolfolder.h"

#include "protocol/toolprotocol.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTime>
#include <QtTest>


namespace {

const QString tool = QStringLiteral(TARVELO_PROGRAM_DIR "/tarvelo-transcode");

using Outcome = ProcessRun;

bool converted(const ProcessRun &run)
{
    return run.succeeded() && run.out.contains("##success##");
}

// The names that the usage gives what the user types in.
QStringList placeholders(const QString &text)
{
    static const QRegularExpression name("\\b(FILE|IN|OUT|Q)\\b");
    QStringList found;
    for (auto match = name.globalMatch(text); match.hasNext();) {
        const QString placeholder = match.next().captured(1);
        if (!found.contains(placeholder))
            found.append(placeholder);
    }
    found.sort();
    return found;
}

} // namespace

using TestMedia::convertArguments;

class TestTranscoder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void usageAndHelp_data();
    void usageAndHelp();
    void helpNamesEachInputAsItsTextDoes();
    void probe_data();
    void probe();
    void convertReadsBack_data();
    void convertReadsBack();
    void oddFileNames_data();
    void oddFileNames();
    void failuresLeaveFolderAsItWas_data();
    void failuresLeaveFolderAsItWas();
    void narrowOrFlatPictureConverts_data();
    void narrowOrFlatPictureConverts();
    void refusesOutputOntoInput();
    void ignoresLibrariesInWorkingFolder();
    void qualityRaisesSizeAndFidelity();
    void coloursAsAnSdPlayerReadsThem_data();
    void coloursAsAnSdPlayerReadsThem();
    void progressLines_data();
    void progressLines();

private:
    Outcome run(const QStringList &arguments, const QString &workingFolder = {},
                const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment()) const;
    QString media(const QString &name) const { return mediaFolder.filePath(name); }
    QString freshFolder(const QString &name) const;
    QString fakeFfmpegPath(const QString &name, const QByteArray &script) const;
    QProcessEnvironment environmentWithPath(const QString &path) const;

    QTemporaryDir mediaFolder;
    QTemporaryDir work;
    QString immutableFolder;
};

Outcome TestTranscoder::run(const QStringList &arguments, const QString &workingFolder,
                            const QProcessEnvironment &environment) const
{
    return runProcess(tool, arguments, environment, workingFolder, 60000);
}

QString TestTranscoder::freshFolder(const QString &name) const
{
    const QString path = work.filePath(name);
    QDir(path).removeRecursively();
    QDir().mkpath(path);
    return path;
}

QString TestTranscoder::fakeFfmpegPath(const QString &name, const QByteArray &script) const
{
    const ToolFolder folder(work.filePath("bin-" + name));
    folder.installAs("ffmpeg", script);
    return folder.path();
}

QProcessEnvironment TestTranscoder::environmentWithPath(const QString &path) const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PATH", path + ':' + environment.value("PATH"));
    return environment;
}

void TestTranscoder::initTestCase()
{
    if (!TestMedia::available())
        QSKIP("ffmpeg and ffprobe are needed");
    QVERIFY(QFileInfo(tool).isExecutable());
    QVERIFY(mediaFolder.isValid() && work.isValid());
    const QStringList tone = {"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100:duration=3"};
    QVERIFY(TestMedia::makeLosslessClip(media("clip.mkv")));
    QVERIFY(TestMedia::make(media("short.mp4"), {"-f", "lavfi", "-i", "testsrc=size=176x144:rate=25:duration=0.4",
                                                  "-c:v", "mpeg4"}));
    QVERIFY(TestMedia::makeLosslessClip(media("silent.mkv"), 3, "176x144", false));
    QVERIFY(TestMedia::make(media("surround.mkv"),
        {"-f", "lavfi", "-i", "testsrc=size=161x121:rate=25:duration=2",
         "-f", "lavfi", "-i", "aevalsrc=sin(440*2*PI*t)|sin(660*2*PI*t)|0|0|0|0:c=5.1:s=96000:d=2",
         "-c:v", "ffv1", "-c:a", "pcm_s24le", "-shortest"}));
    QVERIFY(TestMedia::make(media("audio.mp3"), tone));
    // Music with its album cover: a picture stream, but no film to convert.
    QVERIFY(TestMedia::make(media("cover.jpg"), {"-f", "lavfi", "-i", "testsrc=size=64x48:rate=1:duration=1",
                                                  "-frames:v", "1"}));
    QVERIFY(TestMedia::make(media("music.mp3"), {"-i", media("audio.mp3"), "-i", media("cover.jpg"),
                                                  "-map", "0", "-map", "1", "-c", "copy",
                                                  "-disposition:v", "attached_pic"}));

    // A last caption that never ends, as converted picture subtitles may
    // have: its track claims 49 days.
    QVERIFY(TestMedia::writeFile(media("forever.srt"), "1\n00:00:01,000 --> 00:00:02,000\nHello\n\n"
                                                       "2\n00:00:02,500 --> 1193:02:47,295\nForever\n\n"));
    QVERIFY(TestMedia::make(media("forever.mkv"), {"-i", media("clip.mkv"), "-i", media("forever.srt"),
                                                    "-map", "0", "-map", "1", "-c", "copy", "-c:s", "srt"}));
    // More captions after the film than the check of its end reads packets.
    QByteArray captions;
    for (int second = 10; second < 6010; ++second) {
        const QString at = QTime(0, 0).addSecs(second).toString("hh:mm:ss");
        captions += QString("%1\n%2,000 --> %2,500\nLater\n\n").arg(second).arg(at).toUtf8();
    }
    QVERIFY(TestMedia::writeFile(media("later.srt"), captions));
    QVERIFY(TestMedia::make(media("later.mkv"), {"-i", media("clip.mkv"), "-i", media("later.srt"),
                                                  "-map", "0", "-map", "1", "-c", "copy", "-c:s", "srt"}));
    // Sound that begins five seconds into the film and plays one.
    QVERIFY(TestMedia::make(media("late.mp4"), {"-f", "lavfi", "-i", "testsrc=size=176x144:rate=25:duration=0.4",
                                                 "-itsoffset", "5", "-f", "lavfi", "-i", "sine=duration=1",
                                                 "-c:v", "mpeg4", "-c:a", "aac"}));
    // A header claiming 136 years (2^32 s) for 0.4 s of pictures.
    QByteArray patched = TestMedia::readFile(media("short.mp4"));
    const qsizetype header = patched.indexOf("mvhd");
    QVERIFY(header > 0);
    patched.replace(header + 16, 8, QByteArray::fromHex("00000001" "ffffffff"));
    QVERIFY(TestMedia::writeFile(media("years.mp4"), patched));
    // The same claim in Matroska, for pictures 10 s into the file's timeline.
    QVERIFY(TestMedia::make(media("offset.mkv"), {"-i", media("short.mp4"), "-c", "copy", "-output_ts_offset", "10"}));
    patched = TestMedia::readFile(media("offset.mkv"));
    const qsizetype duration = patched.indexOf("\x44\x89\x88");   // 8-byte Duration, in milliseconds
    QVERIFY(duration > 0);
    patched.replace(duration + 3, 8, QByteArray::fromHex("428f400000000000"));
    QVERIFY(TestMedia::writeFile(media("lateyears.mkv"), patched));

    QFile empty(media("empty.avi"));
    QVERIFY(empty.open(QIODevice::WriteOnly));
    empty.close();
    QFile text(media("notes.avi"));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("These are not moving pictures.\n");
    text.close();
    // A real file's start with garbage after it: the container is recognised
    // but nothing in it decodes.
    QFile source(media("clip.mkv"));
    QVERIFY(source.open(QIODevice::ReadOnly));
    QFile corrupt(media("corrupt.mkv"));
    QVERIFY(corrupt.open(QIODevice::WriteOnly));
    corrupt.write(source.read(300));
    for (int i = 0; i < 20000; ++i)
        corrupt.write(QByteArray::number(i * 7919 % 251, 16));
    corrupt.close();
}

void TestTranscoder::cleanupTestCase()
{
    if (!immutableFolder.isEmpty())
        QProcess::execute("chattr", {"-i", immutableFolder});
}

void TestTranscoder::usageAndHelp_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("help") << QStringList{"--help"} << 0;
    // Why each shape is refused is the parser's own test; here, what any refusal does.
    QTest::newRow("refused") << convertArguments("a.mkv", "a.avi", 100) << 2;
}

void TestTranscoder::usageAndHelp()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    const Outcome outcome = run(arguments, work.path());
    QCOMPARE(outcome.exitCode, exitCode);
    // The help text names the marker; a refused command must print nothing at all.
    if (exitCode != 0)
        QVERIFY(outcome.out.isEmpty());
    const QByteArray usage = exitCode == 0 ? outcome.out : outcome.err;
    QVERIFY(usage.contains("Usage"));
    if (exitCode != 0)
        QVERIFY(usage.startsWith("tarvelo-transcode: the quality \"100\""));
    QVERIFY(usage.contains("Quality curve"));
    QVERIFY(!QFile::exists(work.filePath("a.avi")));
}

// A usage line and the text below it name the same inputs, and so does the
// manual page's synopsis, whose lines are written apart from the tool.
void TestTranscoder::helpNamesEachInputAsItsTextDoes()
{
    const Outcome help = run({"--help"}, work.path());
    QCOMPARE(help.exitCode, 0);
    QList<QStringList> usageLines;
    QString line;
    QString text;
    const auto compare = [&]() -> bool {
        if (line.isEmpty())
            return true;
        usageLines.append(placeholders(line));
        if (placeholders(line) == placeholders(text))
            return true;
        qWarning("%s\n%s", qPrintable(line), qPrintable(text));
        return false;
    };
    const QStringList lines = QString::fromUtf8(help.out).split('\n');
    for (const QString &each : lines.mid(0, lines.indexOf(QString())))
        if (each.startsWith("      ")) {
            text += each;
        } else if (each.startsWith("  ")) {
            QVERIFY(compare());
            line = each;
            text.clear();
        }
    QVERIFY(compare());
    QCOMPARE(usageLines.size(), 3);

    QFile page(QStringLiteral(TARVELO_PROGRAM_DIR "/man/tarvelo-transcode.1"));
    QVERIFY(page.open(QIODevice::ReadOnly));
    const QString roff = QString::fromUtf8(page.readAll());
    const int start = roff.indexOf(".SH SYNOPSIS");
    const QStringList synopsis = roff.mid(start, roff.indexOf(".SH", start + 1) - start).split(".br\n");
    QCOMPARE(synopsis.size(), usageLines.size());
    for (int i = 0; i < synopsis.size(); ++i)
        QCOMPARE(placeholders(synopsis.at(i)), usageLines.at(i));
}

void TestTranscoder::probe_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("expected");   // the output, or else the reason the probe fails
    QTest::newRow("three seconds") << media("clip.mkv") << "$3$\n";
    QTest::newRow("0.4 s rounds up") << media("short.mp4") << "$1$\n";
    QTest::newRow("no audio") << media("silent.mkv") << "$3$\n";
    // The encoder's delay and padding make this 3.03 s.
    QTest::newRow("audio only, just over 3 s") << media("audio.mp3") << "$4$\n";
    // Only pictures and sound play.
    QTest::newRow("subtitle open for 49 days") << media("forever.mkv") << "$3$\n";
    QTest::newRow("captions for 100 minutes after the film") << media("later.mkv") << "$3$\n";
    QTest::newRow("header claims 136 years") << media("years.mp4") << "$1$\n";
    QTest::newRow("header claims 136 years, pictures start late") << media("lateyears.mkv") << "$1$\n";
    QTest::newRow("sound from 5 s to 6 s") << media("late.mp4") << "$6$\n";
    QTest::newRow("empty") << media("empty.avi") << "the file is empty";
    QTest::newRow("text") << media("notes.avi") << "not a readable media file";
    QTest::newRow("missing") << media("missing.avi") << "cannot read the file";
    QTest::newRow("folder") << mediaFolder.path() << "is a folder";
}

void TestTranscoder::probe()
{
    QFETCH(QString, file);
    QFETCH(QString, expected);
    const Outcome outcome = run({"-i", file});
    if (expected.startsWith('$')) {
        QCOMPARE(outcome.exitCode, 0);
        QCOMPARE(QString::fromLatin1(outcome.out), expected);
        return;
    }
    QVERIFY(outcome.exitCode > 0);
    QVERIFY(!QRegularExpression("\\$[^$]+\\$").match(QString::fromLatin1(outcome.out)).hasMatch());
    QCOMPARE(outcome.err.count('\n'), 1);
    QVERIFY2(outcome.err.contains(expected.toUtf8()), outcome.err.constData());
}

void TestTranscoder::convertReadsBack_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<int>("channels");      // 0: no audio stream expected
    QTest::addColumn<int>("sampleRate");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    // Sound that MP3 can carry passes unchanged; the rest goes to the nearest
    // it can. How every size and rate is fitted is the envelope's own test.
    QTest::newRow("ordinary") << "clip.mkv" << 1 << 44100 << 176 << 144;
    QTest::newRow("odd size, 5.1 at 96 kHz") << "surround.mkv" << 2 << 48000 << 160 << 120;
    QTest::newRow("no audio") << "silent.mkv" << 0 << 0 << 176 << 144;
}

void TestTranscoder::convertReadsBack()
{
    QFETCH(QString, input);
    QFETCH(int, channels);
    QFETCH(int, sampleRate);
    QFETCH(int, width);
    QFETCH(int, height);
    const QString folder = freshFolder("readback");
    const QString output = folder + "/out.avi";
    const Outcome outcome = run(convertArguments(media(input), output));
    QVERIFY2(converted(outcome), outcome.err.constData());
    QCOMPARE(outcome.out.count("##success##"), 1);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"out.avi"});

    const QJsonObject probe = TestMedia::probe(output);
    QCOMPARE(probe.value("format").toObject().value("format_name").toString(), QString("avi"));
    const QJsonObject video = TestMedia::stream(probe, "video");
    QCOMPARE(video.value("codec_name").toString(), QString("mpeg4"));
    QCOMPARE(video.value("codec_tag_string").toString(), QString("XVID"));
    QCOMPARE(video.value("pix_fmt").toString(), QString("yuv420p"));
    QCOMPARE(video.value("width").toInt(), width);
    QCOMPARE(video.value("height").toInt(), height);
    const QJsonObject audio = TestMedia::stream(probe, "audio");
    if (channels == 0) {
        QVERIFY(audio.isEmpty());
    } else {
        QCOMPARE(audio.value("codec_name").toString(), QString("mp3"));
        QCOMPARE(audio.value("channels").toInt(), channels);
        QCOMPARE(audio.value("sample_rate").toString().toInt(), sampleRate);
    }
    const double inputDuration = TestMedia::probe(media(input)).value("format").toObject()
                                     .value("duration").toString().toDouble();
    const double outputDuration = probe.value("format").toObject().value("duration").toString().toDouble();
    QVERIFY2(qAbs(outputDuration - inputDuration) < 0.25,
             qPrintable(QString("%1 vs %2").arg(outputDuration).arg(inputDuration)));
}

void TestTranscoder::oddFileNames_data()
{
    QTest::addColumn<QString>("name");
    OddNames::addRows(".mkv");
}

// Names are given relative to the working folder, the hardest case for
// anything that would read a name as an option or a URL.
void TestTranscoder::oddFileNames()
{
    QFETCH(QString, name);
    const QString folder = freshFolder("names");
    QVERIFY(QFile::copy(media("clip.mkv"), folder + '/' + name));
    const QString output = name.left(name.size() - 4) + ".avi";

    const Outcome probe = run({"-i", name}, folder);
    QCOMPARE(probe.out, QByteArray("$3$\n"));

    const Outcome outcome = run(convertArguments(name, output), folder);
    QVERIFY2(converted(outcome), outcome.err.constData());
    QVERIFY(outcome.out.endsWith("\n##success##\n"));
    QStringList expected{name, output};
    expected.sort();
    QStringList present = QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    present.sort();
    QCOMPARE(present, expected);
    QCOMPARE(TestMedia::stream(TestMedia::probe(folder + '/' + output), "video")
                 .value("codec_name").toString(), QString("mpeg4"));
}

void TestTranscoder::failuresLeaveFolderAsItWas_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("fakeFfmpeg");   // script body, empty for the real one
    QTest::addColumn<bool>("unwritableFolder");
    QTest::addColumn<bool>("previousOutput");
    QTest::newRow("corrupt") << media("corrupt.mkv") << QString() << false << false;
    QTest::newRow("corrupt, old output") << media("corrupt.mkv") << QString() << false << true;
    QTest::newRow("empty") << media("empty.avi") << QString() << false << false;
    QTest::newRow("text") << media("notes.avi") << QString() << false << true;
    QTest::newRow("missing") << media("missing.mkv") << QString() << false << false;
    QTest::newRow("audio only") << media("audio.mp3") << QString() << false << false;
    QTest::newRow("music with cover art") << media("music.mp3") << QString() << false << true;
    QTest::newRow("unwritable folder") << media("clip.mkv") << QString() << true << false;
    QTest::newRow("ffmpeg missing") << media("clip.mkv") << "<none>" << false << true;
    QTest::newRow("ffmpeg crashes") << media("clip.mkv") << "kill -SEGV $$" << false << true;
    QTest::newRow("ffmpeg succeeds without output") << media("clip.mkv") << "exit 0" << false << true;
    QTest::newRow("ffmpeg writes garbage") << media("clip.mkv")
        << "for last; do :; done; echo RIFF > \"${last#file:}\"; exit 0" << false << true;
}

void TestTranscoder::failuresLeaveFolderAsItWas()
{
    QFETCH(QString, input);
    QFETCH(QString, fakeFfmpeg);
    QFETCH(bool, unwritableFolder);
    QFETCH(bool, previousOutput);
    const QString folder = freshFolder("failures");
    const QString output = folder + "/result.avi";
    if (previousOutput) {
        QFile old(output);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("the user's earlier file");
    }
    if (unwritableFolder) {
        // Everything here runs as root, for whom permission bits do not count.
        if (QProcess::execute("chattr", {"+i", folder}) != 0)
            QSKIP("chattr +i is not available, and root can write anywhere else");
        immutableFolder = folder;
    }
    const QStringList before = SystemState::snapshot(folder);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (fakeFfmpeg == QLatin1String("<none>"))
        environment.insert("PATH", freshFolder("empty-bin"));
    else if (!fakeFfmpeg.isEmpty())
        environment = environmentWithPath(fakeFfmpegPath(QTest::currentDataTag(), fakeFfmpeg.toUtf8()));
    const Outcome outcome = run(convertArguments(input, output), {}, environment);
    if (unwritableFolder) {
        QProcess::execute("chattr", {"-i", folder});
        immutableFolder.clear();
    }
    QVERIFY(outcome.finished);
    QVERIFY(outcome.exitCode > 0);
    QVERIFY(!outcome.out.contains("##success##"));
    QCOMPARE(outcome.err.count('\n'), 1);
    QCOMPARE(SystemState::snapshot(folder), before);
}

void TestTranscoder::narrowOrFlatPictureConverts_data()
{
    QTest::addColumn<QString>("size");
    QTest::newRow("4 pixels wide") << "4x240";
    QTest::newRow("6 lines high") << "320x6";
}

// The deinterlacer cannot work on a picture this narrow or flat, even when
// its other side is large.
void TestTranscoder::narrowOrFlatPictureConverts()
{
    QFETCH(QString, size);
    const QString input = media("strip-" + size + ".mkv");
    QVERIFY(TestMedia::makeLosslessClip(input, 0.5, size, false));
    const QString output = freshFolder("strip") + "/strip.avi";
    const Outcome outcome = run(convertArguments(input, output));
    QVERIFY2(converted(outcome), outcome.err.constData());
    const QJsonObject video = TestMedia::stream(TestMedia::probe(output), "video");
    QCOMPARE(QString("%1x%2").arg(video.value("width").toInt()).arg(video.value("height").toInt()), size);
}

void TestTranscoder::refusesOutputOntoInput()
{
    const QString folder = freshFolder("same");
    const QString input = folder + "/clip.mkv";
    QVERIFY(QFile::copy(media("clip.mkv"), input));
    QVERIFY(QFile::link(input, folder + "/link.avi"));
    const QStringList before = SystemState::snapshot(folder);
    for (const QString &output : {QString("clip.mkv"), QString("./clip.mkv"), QString("link.avi")}) {
        const Outcome outcome = run(convertArguments("clip.mkv", output), folder);
        QVERIFY(outcome.exitCode > 0);
        QVERIFY(!outcome.out.contains("##success##"));
        QCOMPARE(SystemState::snapshot(folder), before);
    }
}

// libav is loaded by name at run time; a file of that name beside the user's
// videos must not be what gets loaded.
void TestTranscoder::ignoresLibrariesInWorkingFolder()
{
    const QString folder = freshFolder("libraries");
    for (const char *name : {"libavformat.so.59", "libavcodec.so.59", "libavutil.so.57",
                             "libavformat.so.60", "libavcodec.so.60", "libavutil.so.58"}) {
        QFile junk(folder + '/' + QLatin1String(name));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("not a library");
    }
    QVERIFY(QFile::copy(media("clip.mkv"), folder + "/clip.mkv"));
    QCOMPARE(run({"-i", "clip.mkv"}, folder).out, QByteArray("$3$\n"));
    const Outcome outcome = run(convertArguments("clip.mkv", "clip.avi"), folder);
    QVERIFY2(converted(outcome), outcome.err.constData());
}

void TestTranscoder::qualityRaisesSizeAndFidelity()
{
    const QString folder = freshFolder("quality");
    qint64 lastSize = 0;
    double lastPsnr = 0;
    for (int quality : {0, 25, 50, 75, 99}) {
        const QString output = folder + "/q" + QString::number(quality) + ".avi";
        const Outcome outcome = run(convertArguments(media("clip.mkv"), output, quality));
        QVERIFY2(converted(outcome), outcome.err.constData());
        const qint64 size = QFileInfo(output).size();
        const double psnr = TestMedia::psnr(output, media("clip.mkv"));
        qInfo("Q %d: %lld bytes, PSNR %.2f dB", quality, size, psnr);
        QVERIFY2(size > lastSize, qPrintable(QString::number(quality)));
        QVERIFY2(psnr > lastPsnr, qPrintable(QString::number(quality)));
        if (quality == 50)
            QVERIFY2(psnr > 35, "the default quality must look good");
        lastSize = size;
        lastPsnr = psnr;
    }
}

// Films made from one SDR master (ffmpeg's colour bars and ramps) in other
// colours, read back as an SD player reads them (BT.601, TV range) and
// compared with the master (over all planes, the bars' saturated edges
// halved in colour twice): left as they were, they come out at 24, 18 and 15 dB.
void TestTranscoder::coloursAsAnSdPlayerReadsThem_data()
{
    QTest::addColumn<QString>("toward");   // zimg's transfer, primaries and matrix
    QTest::addColumn<QStringList>("tags");
    QTest::addColumn<double>("least");
    QTest::newRow("BT.709") << "t=bt709:p=709:m=709" << QStringList{"bt709", "bt709", "bt709"} << 32.0;
    QTest::newRow("HLG at reference white") << "t=arib-std-b67:p=2020:m=2020_ncl"
                                            << QStringList{"bt2020nc", "bt2020", "arib-std-b67"} << 25.0;
    QTest::newRow("PQ, no peak told") << "t=smpte2084:p=2020:m=2020_ncl"
                                      << QStringList{"bt2020nc", "bt2020", "smpte2084"} << 25.0;
}

void TestTranscoder::coloursAsAnSdPlayerReadsThem()
{
    QFETCH(QString, toward);
    QFETCH(QStringList, tags);
    const QString master = media("master.mkv");
    if (!QFileInfo::exists(master))
        QVERIFY(TestMedia::make(master, {"-f", "lavfi", "-i", "testsrc2=size=320x240:rate=25:duration=0.4",
                                         "-pix_fmt", "gbrp", "-c:v", "ffv1"}));
    const QString input = work.filePath(QTest::currentDataTag() + QString(".mkv"));
    QVERIFY(TestMedia::make(input, {"-i", master, "-vf", "zscale=tin=bt709:pin=709:min=gbr:rin=full:npl=203:r=tv:"
                                        + toward + ",format=yuv420p10le", "-c:v", "ffv1", "-colorspace", tags[0],
                                    "-color_primaries", tags[1], "-color_trc", tags[2]}));
    const QString output = freshFolder("colours") + "/out.avi";
    const Outcome outcome = run(convertArguments(input, output, 90));
    QVERIFY2(converted(outcome), outcome.err.constData());
    const double psnr = MediaMeasure::psnr(output, master);
    QFETCH(double, least);
    QVERIFY2(psnr >= least, qPrintable(QString::number(psnr)));
}

void TestTranscoder::progressLines_data()
{
    const QByteArray ffmpeg = "'" + QStandardPaths::findExecutable("ffmpeg").toUtf8() + "'";
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<bool>("paced");
    // Real ffmpeg held to six times the input's pace: half a second of work
    // in which it reports several times.
    QTest::newRow("paced") << "exec " + ffmpeg + " -readrate 6 \"$@\"" << true;
    // Timestamps past the probed length (a stream that runs on, a bad
    // duration) must not push the bar into the next file's band.
    QTest::newRow("reports beyond the end") << "echo out_time_us=9000000\nexec " + ffmpeg + " \"$@\"" << false;
}

void TestTranscoder::progressLines()
{
    QFETCH(QByteArray, script);
    QFETCH(bool, paced);
    const QString output = freshFolder("progress") + "/progress.avi";
    const Outcome outcome = run(convertArguments(media("clip.mkv"), output), {},
                                environmentWithPath(fakeFfmpegPath(QTest::currentDataTag(), script)));
    QVERIFY2(converted(outcome), outcome.err.constData());

    // Rising whole seconds, never past the file's length, then what the
    // output got and the marker.
    QList<QByteArray> lines = outcome.out.split('\n');
    QCOMPARE(lines.takeLast(), QByteArray());
    QCOMPARE(lines.takeLast(), QByteArray(successMarker));
    QCOMPARE(lines.takeLast(), QByteArray(tracksPrefix) + "und - -");
    QVERIFY(!lines.isEmpty());
    QCOMPARE(lines.last(), QByteArray(progressPrefix) + '3');
    int previous = 0;
    for (const QByteArray &line : std::as_const(lines)) {
        QVERIFY2(line.startsWith(progressPrefix), line.constData());
        const int seconds = line.mid(qsizetype(sizeof(progressPrefix) - 1)).toInt();
        QVERIFY(seconds > previous && seconds <= 3);
        previous = seconds;
    }
    // Paced, a three-second clip reports more than its end.
    if (paced)
        QVERIFY(lines.size() >= 2);
}

QTEST_GUILESS_MAIN(TestTranscoder)
#include "tst_transcoder.moc"
