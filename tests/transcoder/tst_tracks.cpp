#include "processrun.h"
#include "systemstate.h"
#include "testmedia.h"
#include "toolfolder.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

// What only the real tool shows, read back with the real ffmpeg: which sound
// it maps, the .srt bytes its extraction writes, the sidecar it copies, and
// that failed or stopped runs publish no .srt. The rules behind the choices
// are checked without media in tst_trackchoice.
namespace {

const QString tool = QStringLiteral(TARVELO_PROGRAM_DIR "/tarvelo-transcode");

const char subRip[] = "1\n00:00:01,000 --> 00:00:02,000\nHello <i>there</i>\n";
// Styling, positioning, a line break and words outside ASCII, in German.
const char ass[] = "[Script Info]\nScriptType: v4.00+\n\n[V4+ Styles]\n"
                   "Format: Name, Fontname, Fontsize, PrimaryColour, Bold, Italic, Alignment\n"
                   "Style: Default,Arial,16,&Hffffff,0,0,2\n\n[Events]\n"
                   "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n"
                   "Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,{\\an8}Grüße, {\\i1}Straße{\\i0}\\Nzwei\n";
// Latin-1, LF line ends, no final line end: nothing a copy may change.
const QByteArray latinSidecar = "1\n00:00:00,500 --> 00:00:01,000\nK\xE4se\n\n2\n00:00:01,500 --> 00:00:02,000\nEnde";

// The tone's pitch in Hz, from the zero crossings of the decoded sound.
double pitch(const QString &file)
{
    const ProcessRun decoded = runProcess("ffmpeg", {"-nostdin", "-v", "error", "-i", "file:" + file, "-map", "0:a:0",
                                                     "-ac", "1", "-ar", "44100", "-f", "s16le", "-"});
    const auto *samples = reinterpret_cast<const qint16 *>(decoded.out.constData());
    const qsizetype count = decoded.out.size() / 2;
    int crossings = 0;
    for (qsizetype i = 1; i < count; ++i)
        crossings += (samples[i - 1] < 0) != (samples[i] < 0);
    return count > 0 ? crossings / 2.0 / (count / 44100.0) : 0;
}

bool succeeded(const ProcessRun &run)
{
    return run.succeeded() && run.out.contains("##success##");
}

} // namespace

class TestTracks : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void readersLanguage_data();
    void readersLanguage();
    void sidecarReplacedOnlyWithItsAvi_data();
    void sidecarReplacedOnlyWithItsAvi();
    void textOutsideUtf8_data();
    void textOutsideUtf8();
    void embeddedTextReachesTheSrt_data();
    void embeddedTextReachesTheSrt();
    void foreignPartsWithoutAFlagReachTheSrt();
    void failuresLeaveNoSubtitles_data();
    void failuresLeaveNoSubtitles();
    void subtitlesPlacedOnlyAfterTheAvi_data();
    void subtitlesPlacedOnlyAfterTheAvi();
    void slowFileGetsItsTimeLimitPerRead();

private:
    // settings: "NAME=value" for the tool's environment, which keeps no locale of the test's own.
    ProcessRun convert(const QString &input, const QString &output, const QStringList &settings) const;

    QTemporaryDir work;
    QString film;
    QString in;    // emptied before every case
    QString out;
};

ProcessRun TestTracks::convert(const QString &input, const QString &output, const QStringList &settings) const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})
        environment.remove(name);
    for (const QString &setting : settings)
        environment.insert(setting.section('=', 0, 0), setting.section('=', 1));
    return runProcess(tool, TestMedia::convertArguments(input, output), environment, {}, 60000);
}

// English sound at 440 Hz, German at 880 Hz flagged default; English SubRip
// and German ASS flagged default. The file starts at 0.5 s, its first
// picture 21 ms later, as a cut from a longer recording would.
void TestTracks::initTestCase()
{
    if (!TestMedia::available())
        QSKIP("ffmpeg and ffprobe are needed");
    QVERIFY(work.isValid());
    film = work.filePath("film.mkv");
    in = work.filePath("in");
    out = work.filePath("out");
    QVERIFY(TestMedia::writeFile(work.filePath("eng.srt"), subRip));
    QVERIFY(TestMedia::writeFile(work.filePath("ger.ass"), ass));
    QVERIFY(TestMedia::makeLosslessClip(work.filePath("picture.mkv"), 3, "176x144", false));
    QStringList arguments{"-itsoffset", "0.021", "-i", work.filePath("picture.mkv")};
    for (int frequency : {440, 880})
        arguments << "-f" << "lavfi" << "-i" << QString("sine=frequency=%1:sample_rate=44100:duration=3").arg(frequency);
    arguments << "-i" << work.filePath("eng.srt") << "-i" << work.filePath("ger.ass");
    for (int input = 0; input < 5; ++input)
        arguments << "-map" << QString::number(input);
    arguments << QStringList{"-c:v", "copy", "-c:a", "flac", "-c:s", "copy",
                             "-metadata:s:a:0", "language=eng", "-metadata:s:a:1", "language=ger",
                             "-metadata:s:s:0", "language=eng", "-metadata:s:s:1", "language=ger",
                             "-disposition:a:0", "0", "-disposition:a:1", "default",
                             "-disposition:s:0", "0", "-disposition:s:1", "default", "-output_ts_offset", "0.5"};
    QVERIFY(TestMedia::make(film, arguments));
}

void TestTracks::init()
{
    for (const QString &folder : {in, out})
        QVERIFY(QDir(folder).removeRecursively() && QDir().mkpath(folder));
}

void TestTracks::readersLanguage_data()
{
    QTest::addColumn<QStringList>("settings");
    QTest::addColumn<double>("tone");
    QTest::addColumn<bool>("subtitles");
    // LANGUAGE before LANG, as the tool reads its environment.
    QTest::newRow("English reader: English sound, no subtitles")
        << QStringList{"LANGUAGE=en:de", "LANG=de_DE.UTF-8"} << 440.0 << false;
    QTest::newRow("French reader: the default sound and subtitles")
        << QStringList{"LC_ALL=fr_FR.UTF-8"} << 880.0 << true;
}

void TestTracks::readersLanguage()
{
    QFETCH(QStringList, settings);
    QFETCH(double, tone);
    QFETCH(bool, subtitles);
    const ProcessRun run = convert(film, out + "/film.avi", settings);
    QVERIFY2(succeeded(run), run.err.constData());
    const double heard = pitch(out + "/film.avi");
    QVERIFY2(std::abs(heard - tone) < tone / 10, qPrintable(QString::number(heard)));
    QCOMPARE(QFile::exists(out + "/film.srt"), subtitles);
    // What the window is told the output got.
    QVERIFY2(run.out.contains(subtitles ? "@tracks de file de\n" : "@tracks en - -\n"), run.out.constData());
    if (!subtitles)
        return;
    // German in Windows-1252 with CR LF, styling gone, italics kept, on the
    // AVI's timeline, which starts where the input does: the line at 1.5 s
    // of the input is at 1 s of the AVI.
    const QByteArray written = TestMedia::readFile(out + "/film.srt");
    const QByteArray text = "\r\nGr\xFC\xDF" "e, <i>Stra\xDF" "e</i>\r\nzwei\r\n\r\n";
    QVERIFY2(written.startsWith("1\r\n") && written.endsWith(text), written.toPercentEncoding().constData());
    const QTime start = QTime::fromString(QString::fromLatin1(written.mid(3, 12)), "hh:mm:ss,zzz");
    QVERIFY2(std::abs(start.msecsSinceStartOfDay() - 1000) <= 50, written.constData());
}

// The user's own NAME.srt is replaced only together with an AVI that existed
// before; which sidecar is taken is checked in tst_trackchoice.
void TestTracks::sidecarReplacedOnlyWithItsAvi_data()
{
    QTest::addColumn<bool>("earlierAvi");
    QTest::addColumn<bool>("namedParts");   // a folder without unnamed files (vfat)
    QTest::newRow("the user's own .srt stays") << false << false;
    QTest::newRow("replaced with its AVI") << true << false;
    QTest::newRow("replaced with its AVI, part files") << true << true;
}

void TestTracks::sidecarReplacedOnlyWithItsAvi()
{
    QFETCH(bool, earlierAvi);
    QFETCH(bool, namedParts);
    // A leading minus, a dollar, hashes, a quote and a letter outside ASCII.
    const QString name = "-$x ##'ü";
    QVERIFY(QFile::copy(film, in + '/' + name + ".mkv"));
    QVERIFY(TestMedia::writeFile(in + '/' + name + ".srt", latinSidecar));
    const QString subtitles = out + '/' + name + ".srt";
    QVERIFY(TestMedia::writeFile(subtitles, "the user's own"));
    if (earlierAvi)
        QVERIFY(TestMedia::writeFile(out + '/' + name + ".avi", "an earlier AVI"));
    const QStringList inputsBefore = SystemState::snapshot(in);

    // A German reader with German sound gets no embedded subtitles.
    QStringList settings{"LANG=de_DE.UTF-8"};
    if (namedParts) {
        settings << preloadSettings(NOTMPFILE_LIBRARY);
    }
    const ProcessRun run = convert(in + '/' + name + ".mkv", out + '/' + name + ".avi", settings);
    QVERIFY2(succeeded(run), run.err.constData());
    QCOMPARE(TestMedia::readFile(subtitles), earlierAvi ? latinSidecar : QByteArray("the user's own"));
    if (!earlierAvi)
        QVERIFY2(run.err.contains("left as it is"), run.err.constData());
    QCOMPARE(SystemState::snapshot(in), inputsBefore);
    // Nothing else: no part files.
    QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden).filter(".part").size(), 0);
}

void TestTracks::textOutsideUtf8_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("written");   // empty: no .srt, yet the AVI
    // Embedded by older tools in the language's code page.
    QTest::newRow("Windows-1252") << QByteArray("K\xE4se") << QByteArray("K\xE4se");
    // Neither UTF-8 nor Windows-1252: a broken track.
    QTest::newRow("unreadable") << QByteArray("K\x81\xE4se") << QByteArray();
}

void TestTracks::textOutsideUtf8()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, written);
    QVERIFY(TestMedia::writeFile(work.filePath("legacy.srt"), "1\n00:00:01,000 --> 00:00:02,000\n" + text + "\n"));
    QVERIFY(TestMedia::make(in + "/legacy.mkv",
                            {"-i", work.filePath("picture.mkv"), "-i", work.filePath("legacy.srt"), "-map", "0",
                             "-map", "1", "-c", "copy", "-metadata:s:s:0", "language=fre"}));
    const ProcessRun run = convert(in + "/legacy.mkv", out + "/legacy.avi", {"LANG=fr_FR.UTF-8"});
    QVERIFY2(succeeded(run), run.err.constData());
    QVERIFY(QFile::exists(out + "/legacy.avi"));
    if (written.isEmpty()) {
        QVERIFY(!QFile::exists(out + "/legacy.srt"));
        QVERIFY2(run.err.contains("cannot be read"), run.err.constData());
    } else {
        QCOMPARE(TestMedia::readFile(out + "/legacy.srt"),
                 "1\r\n00:00:01,000 --> 00:00:02,000\r\n" + written + "\r\n\r\n");
    }
}

void TestTracks::embeddedTextReachesTheSrt_data()
{
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QStringList>("storing");
    QTest::addColumn<QByteArray>("written");
    const QByteArray both = "1\r\n00:00:00,500 --> 00:00:01,000\r\nOne\r\n\r\n"
                            "2\r\n00:00:01,000 --> 00:00:02,000\r\nTwo\r\n\r\n";
    // Phones record their captions in this form.
    QTest::newRow("mov_text in MP4") << "mp4" << QStringList{"-c:s", "mov_text"} << both;
    QTest::newRow("mov_text in MOV") << "mov" << QStringList{"-c:s", "mov_text"} << both;
    // Without its end, the first line would be shown over the second.
    QTest::newRow("a line without an end ends where the next begins")
        << "mkv" << QStringList{"-c:s", "copy", "-bsf:s", "setts=duration=0"}
        << QByteArray("1\r\n00:00:00,500 --> 00:00:01,000\r\nOne\r\n\r\n2\r\n00:00:01,000 --> ");
}

void TestTracks::embeddedTextReachesTheSrt()
{
    QFETCH(QString, extension);
    QFETCH(QStringList, storing);
    QFETCH(QByteArray, written);
    QVERIFY(TestMedia::writeFile(work.filePath("lines.srt"),
                                 "1\n00:00:00,500 --> 00:00:01,000\nOne\n\n2\n00:00:01,000 --> 00:00:02,000\nTwo\n"));
    const QString input = in + "/lines." + extension;
    QVERIFY(TestMedia::make(input, QStringList{"-i", work.filePath("picture.mkv"), "-i", work.filePath("lines.srt"),
                                               "-map", "0", "-map", "1", "-c:v", "mpeg4",
                                               "-metadata:s:s:0", "language=fre"} + storing));
    const ProcessRun run = convert(input, out + "/lines.avi", {"LANG=fr_FR.UTF-8"});
    QVERIFY2(succeeded(run), run.err.constData());
    QByteArray srt = TestMedia::readFile(out + "/lines.srt");
    // Which code page the lines are written in is the track choice's own test.
    if (srt.startsWith("\xEF\xBB\xBF"))
        srt.remove(0, 3);
    QVERIFY2(srt.startsWith(written), srt.toPercentEncoding().constData());
}

// An English reader of English sound gets the few lines of foreign speech
// from an unflagged track, counted against the full one (Matroska as ffmpeg
// writes it keeps no counts, so the tool counts them).
void TestTracks::foreignPartsWithoutAFlagReachTheSrt()
{
    QByteArray full;
    for (int cue = 0; cue < 20; ++cue)
        full += QString("%1\n00:00:00,%2 --> 00:00:00,%3\nLine\n\n").arg(cue + 1).arg(cue * 50, 3, 10, QChar('0'))
                    .arg(cue * 50 + 40, 3, 10, QChar('0')).toLatin1();
    QVERIFY(TestMedia::writeFile(work.filePath("full.srt"), full));
    QVERIFY(TestMedia::writeFile(work.filePath("foreign.srt"), "1\n00:00:01,000 --> 00:00:02,000\nBonjour\n\n"
                                                               "2\n00:00:02,000 --> 00:00:02,500\nMerci\n"));
    const QString input = in + "/parts.mkv";
    QVERIFY(TestMedia::make(input, {"-i", work.filePath("picture.mkv"), "-f", "lavfi", "-i", "sine=duration=3",
                                    "-i", work.filePath("full.srt"), "-i", work.filePath("foreign.srt"),
                                    "-map", "0", "-map", "1", "-map", "2", "-map", "3", "-c:v", "copy", "-c:a", "flac",
                                    "-metadata:s:a:0", "language=eng", "-metadata:s:s:0", "language=eng",
                                    "-metadata:s:s:1", "language=eng"}));
    const ProcessRun run = convert(input, out + "/parts.avi", {"LANG=en_GB.UTF-8"});
    QVERIFY2(succeeded(run), run.err.constData());
    const QByteArray srt = TestMedia::readFile(out + "/parts.srt");
    QVERIFY2(srt.contains("Bonjour") && srt.contains("Merci") && !srt.contains("Line"), srt.constData());
}

void TestTracks::failuresLeaveNoSubtitles_data()
{
    const QByteArray ffmpeg = "'" + QStandardPaths::findExecutable("ffmpeg").toUtf8() + "'";
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<bool>("sidecar");
    QTest::newRow("ffmpeg fails") << QByteArray("exit 1") << true;
    // A stop as ffmpeg ends, just before the subtitles would be written.
    QTest::newRow("stopped as ffmpeg ends") << ffmpeg + " \"$@\"; kill -TERM $PPID" << false;
}

void TestTracks::failuresLeaveNoSubtitles()
{
    QFETCH(QByteArray, script);
    QFETCH(bool, sidecar);
    QVERIFY(QFile::copy(film, in + "/film.mkv"));
    if (sidecar)
        QVERIFY(TestMedia::writeFile(in + "/film.srt", subRip));
    const ToolFolder bin(work.filePath("bin"));
    QVERIFY(bin.installAs("ffmpeg", script));
    const ProcessRun run = convert(in + "/film.mkv", out + "/film.avi",
                                   {"LANG=fr_FR.UTF-8", "PATH=" + bin.path() + ':' + qEnvironmentVariable("PATH")});
    QVERIFY(run.finished && run.exitCode != 0);
    QVERIFY(!run.out.contains("##success##"));
    QCOMPARE(SystemState::snapshot(out), QStringList());
}

void TestTracks::subtitlesPlacedOnlyAfterTheAvi_data()
{
    QTest::addColumn<bool>("usersOwn");
    QTest::newRow("embedded lines, no .srt left") << false;
    QTest::newRow("sidecar, the user's own .srt stays") << true;
}

// A folder that appears in the AVI's place as ffmpeg ends: the conversion
// succeeds up to the very last step, where the AVI cannot take its name.
void TestTracks::subtitlesPlacedOnlyAfterTheAvi()
{
    QFETCH(bool, usersOwn);
    QVERIFY(QFile::copy(film, in + "/film.mkv"));
    if (usersOwn) {
        QVERIFY(TestMedia::writeFile(in + "/film.srt", subRip));
        QVERIFY(TestMedia::writeFile(out + "/film.srt", "the user's own"));
    }
    const ToolFolder bin(work.filePath("bin"));
    QVERIFY(bin.installAs("ffmpeg", "'" + QStandardPaths::findExecutable("ffmpeg").toUtf8() + "' \"$@\" && mkdir -p '"
                                        + out.toUtf8() + "/film.avi/inside'"));
    const ProcessRun run = convert(in + "/film.mkv", out + "/film.avi",
                                   {"LANG=fr_FR.UTF-8", "PATH=" + bin.path() + ':' + qEnvironmentVariable("PATH")});
    QVERIFY(run.finished && run.exitCode != 0);
    QVERIFY2(run.err.contains("name"), run.err.constData());
    // Only the folder and the user's own .srt, as it was: no part files either.
    QCOMPARE(QDir(out).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
             usersOwn ? QStringList({"film.avi", "film.srt"}) : QStringList({"film.avi"}));
    if (usersOwn)
        QCOMPARE(TestMedia::readFile(out + "/film.srt"), QByteArray("the user's own"));
}

// Each read of the file takes 30 ms, reading all its subtitles (about a
// second) twice the half-second limit: only a read that stalls may end the
// conversion. The limit is ffmpeg's too, whose start on a busy machine
// takes a good part of it.
void TestTracks::slowFileGetsItsTimeLimitPerRead()
{
    // Noise, so that the file is some 800 kB whatever the codec.
    QVERIFY(TestMedia::make(in + "/slow-film.mkv",
                            {"-f", "lavfi", "-i", "testsrc2=size=128x96:rate=25:duration=2,noise=alls=100:allf=t",
                             "-i", work.filePath("eng.srt"), "-map", "0", "-map", "1", "-c:v", "ffv1",
                             "-metadata:s:s:0", "language=fre"}));
    const ProcessRun run = convert(in + "/slow-film.mkv", out + "/film.avi",
                                   QStringList{"LANG=fr_FR.UTF-8", "TARVELO_STALL_SECONDS=0.5"}
                                       + preloadSettings(FAULTYREAD_LIBRARY));
    QVERIFY2(succeeded(run), run.err.constData());
    QVERIFY2(QFile::exists(out + "/film.srt"), run.err.constData());
}

QTEST_GUILESS_MAIN(TestTracks)
#include "tst_tracks.moc"
