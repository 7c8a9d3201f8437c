#include "mediameasure.h"
#include "mediaread.h"
#include "processrun.h"
#include "testmedia.h"

#include "transcoder/encoding/decoderbuffer.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString tool = QStringLiteral(TARVELO_PROGRAM_DIR "/tarvelo-transcode");

// A picture whose top strip tells its source picture number (modulo 60) in
// its brightness, over a moving test pattern, with a tone from 4.0 s on.
bool makeNumberedClip(const QString &path, const QString &rate, const QStringList &options)
{
    // A transport stream starts its sound before its pictures.
    const QStringList codecs = path.endsWith(".ts") ? QStringList{"-c:v", "mpeg2video", "-q:v", "2", "-c:a", "mp2"}
                                                    : QStringList{"-c:v", "ffv1", "-c:a", "flac"};
    // Only the strip goes through geq, which is slow per pixel.
    const QString picture = QString("testsrc=size=160x120:rate=%1:duration=6,format=yuv420p,split[strip][rest];"
                                    "[strip]crop=iw:16:0:0,geq=lum='40+mod(N*3,180)':cb='p(X,Y)':cr='p(X,Y)'[top];"
                                    "[rest]crop=iw:ih-16:0:16[bottom];[top][bottom]vstack")
                                .arg(rate);
    const QStringList sources = {"-f", "lavfi", "-i", picture, "-f", "lavfi", "-i",
                                 "aevalsrc='if(between(t,4,4.2),0.5*sin(2*PI*440*t),0)':s=44100:d=6"};
    return TestMedia::make(path, sources + codecs + options);
}

// The source picture number each picture of a file shows.
QList<int> pictureNumbers(const QString &path)
{
    QList<int> numbers;
    MediaRead::pictures(path, [&numbers](const MediaRead::Picture &picture) {
        numbers << qRound((MediaMeasure::meanLuma(picture, QRect(0, 0, picture.width, 16)) - 40) / 3);
    });
    return numbers;
}

QList<int> keyframes(const QString &path)
{
    QList<int> found;
    int count = 0;
    MediaRead::pictures(path, [&](const MediaRead::Picture &picture) {
        if (picture.type == 'I')
            found << count;
        ++count;
    });
    return found;
}

QList<qint64> pictureTimes(const QString &path)
{
    QList<qint64> times;
    for (const MediaRead::Packet &packet : MediaRead::packets(path, "video"))
        times << packet.pts;
    return times;
}

bool bufferHolds(const QString &path, int rate)
{
    const QList<MediaRead::Packet> packets = MediaRead::packets(path, "video");
    DecoderBuffer buffer({rate, 1});
    for (const MediaRead::Packet &packet : packets)
        buffer.take(8 * packet.size);
    // A file that could not be read holds nothing to underflow.
    return !packets.isEmpty() && !buffer.underflowed();
}

// Where the tone starts, in seconds from the first sound, or -1.
double toneStart(const QString &path)
{
    const MediaRead::Sound sound = MediaRead::sound(path);
    for (qsizetype i = 0; sound.channels > 0 && i + sound.channels <= sound.samples.size(); i += sound.channels) {
        float mixed = 0;
        for (int channel = 0; channel < sound.channels; ++channel)
            mixed += sound.samples[i + channel];
        if (qAbs(mixed / sound.channels) > 2000 / 32768.0)
            return double(i / sound.channels) / sound.rate;
    }
    return -1;
}

} // namespace

class TestSegments : public QObject
{
    Q_OBJECT

private slots:
    void twoJobsMakeTheFilmOfOne_data();
    void twoJobsMakeTheFilmOfOne();
    void picturesKeepTheirTimesAcrossAGap();
    void cutShortFileConvertsWhatPlays();
    void decoderBufferHoldsAcrossJoins_data();
    void decoderBufferHoldsAcrossJoins();
    void manySegmentsWithinFewDescriptors();

private:
    ProcessRun convert(const QString &input, const QString &output, int jobs, int quality = 50,
                       const QString &limit = {}) const;

    QTemporaryDir work;
};

ProcessRun TestSegments::convert(const QString &input, const QString &output, int jobs, int quality,
                                 const QString &limit) const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!limit.isEmpty())
        environment.insert("TARVELO_MAX_OUTPUT_MB", limit);
    environment.insert("TARVELO_ENCODE_JOBS", QString::number(jobs));
    environment.insert("TARVELO_SEGMENT_SECONDS", "2");
    QDir().mkpath(QFileInfo(output).path());
    return runProcess(tool, TestMedia::convertArguments(input, output, quality), environment, {}, 60000);
}

void TestSegments::twoJobsMakeTheFilmOfOne_data()
{
    QTest::addColumn<QString>("rate");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("segmented");
    QTest::addColumn<int>("step");       // source pictures to an output picture
    QTest::addColumn<int>("pictures");
    QTest::newRow("25 pictures a second") << "25" << "mkv" << QStringList() << true << 1 << 150;
    // No sound to time the segments' progress by: their pictures' own.
    QTest::newRow("without sound") << "25" << "mkv" << QStringList{"-an"} << true << 1 << 150;
    // Halved to 25 by keeping every other source picture, its sound starting
    // before its pictures.
    QTest::newRow("50 pictures a second, transport stream") << "50" << "ts" << QStringList() << true << 2 << 150;
    // Without an index, a seek lands on the keyframe after its point, and
    // here none comes: the film is made in one go.
    QTest::newRow("one keyframe, transport stream") << "50" << "ts" << QStringList{"-g", "300"} << false << 2 << 150;
    // Film telecined to 29.97 comes back to its own pictures, each once,
    // in cycles of five that every segment starts as the single run does.
    QTest::newRow("telecined film") << "24000/1001" << "mkv"
                                    << QStringList{"-vf", "telecine", "-c:v", "mpeg2video", "-q:v", "2",
                                                   "-flags", "+ildct+ilme", "-top", "1"}
                                    << true << 1 << 144;
}

// Six seconds (seven where the container says a little more) in segments of
// at most two, in a multiple of the two jobs: four of 1.5 or 1.75 s.
void TestSegments::twoJobsMakeTheFilmOfOne()
{
    QFETCH(QString, rate);
    QFETCH(QString, container);
    QFETCH(QStringList, options);
    QFETCH(bool, segmented);
    QFETCH(int, step);
    QFETCH(int, pictures);
    QVERIFY(TestMedia::available());
    const QString name = QString(rate).replace('/', '-') + container + options.join("");
    const QString input = work.filePath("numbered" + name + "." + container);
    QVERIFY(makeNumberedClip(input, rate, options));
    const QString single = work.filePath("single" + name + "/out.avi");
    const QString first = work.filePath("first" + name + "/out.avi");
    const QString second = work.filePath("second" + name + "/out.avi");
    QVERIFY(convert(input, single, 1).succeeded());
    const ProcessRun run = convert(input, first, 2);
    QVERIFY2(run.succeeded(), run.err.constData());
    QVERIFY(convert(input, second, 2).succeeded());
    if (!segmented)
        QCOMPARE(TestMedia::readFile(first), TestMedia::readFile(single));

    QCOMPARE(TestMedia::readFile(first), TestMedia::readFile(second));
    const QList<int> numbers = pictureNumbers(first);
    QCOMPARE(numbers.size(), pictureNumbers(single).size());
    QCOMPARE(numbers.size(), pictures);
    for (int i = 0; i < numbers.size(); ++i)
        QVERIFY2(numbers[i] == i * step % 60, qPrintable(QString("picture %1 shows %2").arg(i).arg(numbers[i])));
    // A keyframe opens each of the four equal segments, and no other.
    const QList<int> opening = keyframes(first);
    QCOMPARE(opening.size(), segmented ? 4 : 1);
    QCOMPARE(opening[0], 0);
    for (int i = 2; i < opening.size(); ++i)
        QVERIFY(qAbs((opening[i] - opening[i - 1]) - (opening[1] - opening[0])) <= 1);
    if (!options.contains("-an"))
        QVERIFY(qAbs(toneStart(first) - 4.0) <= 1.0 / 25);

    // Progress rises to the end and never goes back; no piece is left behind.
    QList<int> progress = {0};
    for (const QByteArray &line : run.out.split('\n')) {
        if (line.startsWith("@progress ")) {
            QVERIFY(line.mid(10).toInt() >= progress.last());
            progress << line.mid(10).toInt();
        }
    }
    QVERIFY(progress.last() >= 6);
    // The end is told once the film is done, whatever came before; before
    // it, the segments come within the second each may leave untold, timed
    // by their pictures alone where there is no sound.
    QVERIFY2(progress.size() >= 3 && progress[progress.size() - 2] >= 6 - opening.size(),
             qPrintable(QString::number(progress[progress.size() - 2])));
    QCOMPARE(QDir(QFileInfo(first).path()).entryList(QDir::Files | QDir::Hidden), QStringList{"out.avi"});
}

// A second without pictures (a recording's dropout) across the join at 3 s:
// the segment before it ends early, the one after starts late, and every
// picture after the gap still comes at its time.
void TestSegments::picturesKeepTheirTimesAcrossAGap()
{
    const QString input = work.filePath("gap.mkv");
    QVERIFY(makeNumberedClip(input, "25", {"-vf", "select='not(between(t,2.6,3.6))'"}));
    const QString single = work.filePath("gapsingle/out.avi");
    const QString segmented = work.filePath("gapsegmented/out.avi");
    QVERIFY(convert(input, single, 1).succeeded());
    QVERIFY(convert(input, segmented, 2).succeeded());
    QCOMPARE(pictureNumbers(segmented), pictureNumbers(single));
    const QList<qint64> expected = pictureTimes(single);
    QCOMPARE(expected.size(), 124);
    // The segment that starts in the gap shows its first picture from its start.
    QCOMPARE(pictureTimes(segmented).mid(66), expected.mid(66));
}

// A file cut short (a download broken off) still claims its whole length:
// the segments planned past its real end come out empty, and the film is
// what plays, as one process makes it.
void TestSegments::cutShortFileConvertsWhatPlays()
{
    const QString whole = work.filePath("whole.mkv");
    const QString input = work.filePath("cut.mkv");
    QVERIFY(makeNumberedClip(whole, "25", {}));
    const QByteArray bytes = TestMedia::readFile(whole);
    QVERIFY(TestMedia::writeFile(input, bytes.left(bytes.size() / 2)));
    const QString single = work.filePath("cutsingle/out.avi");
    const QString segmented = work.filePath("cutsegmented/out.avi");
    QVERIFY(convert(input, single, 1).succeeded());
    const ProcessRun run = convert(input, segmented, 2);
    QVERIFY2(run.succeeded() && run.out.contains("##success##"), run.err.constData());
    const QList<int> numbers = pictureNumbers(segmented);
    QVERIFY2(numbers.size() > 50 && numbers.size() < 100, qPrintable(QString::number(numbers.size())));
    QCOMPARE(numbers, pictureNumbers(single));
}

// Heavy grain at the top of the slider drains the players' buffer: segments
// that start after such a stretch have less than the full buffer they were
// first encoded with, and must be encoded again from what they really get.
void TestSegments::decoderBufferHoldsAcrossJoins_data()
{
    QTest::addColumn<QString>("limit");
    QTest::newRow("as the quality gives") << QString();
    // Fitted to less than half its size, the joined file fills the limit.
    QTest::newRow("fitted to 1 MB") << QStringLiteral("1");
}

void TestSegments::decoderBufferHoldsAcrossJoins()
{
    QFETCH(QString, limit);
    const QString input = work.filePath("grain.nut");
    // Large enough to drain the buffer at 30 pictures a second, and long
    // enough for four segments; left uncoded, as coding and decoding grain
    // losslessly would cost more than the rest of the test.
    QVERIFY(TestMedia::make(input, {"-f", "lavfi", "-i",
                                    "testsrc2=size=480x320:rate=30:duration=5,noise=alls=80:allf=t+u", "-c:v", "rawvideo"}));
    const QString output = work.filePath("grain/out.avi");
    const ProcessRun run = convert(input, output, 2, 99, limit);
    QVERIFY2(run.succeeded(), run.err.constData());
    QVERIFY(bufferHolds(output, 30));
    QCOMPARE(run.out.contains("@fitted 1\n"), !limit.isEmpty());
    if (!limit.isEmpty()) {
        const double share = QFileInfo(output).size() / 1048576.0;
        QVERIFY2(share >= 0.85 && share <= 1.0, QByteArray::number(share));
        QCOMPARE(MediaRead::packets(output, "video").size(), 150);
    }
}

// Every segment is a file held open until the join: a film cut finer than
// the descriptors the tool may open allow is cut into fewer segments, not
// refused.
void TestSegments::manySegmentsWithinFewDescriptors()
{
    const QString input = work.filePath("forty.mkv");
    QVERIFY(TestMedia::make(input, {"-f", "lavfi", "-i", "testsrc=size=64x48:rate=10:duration=40", "-f", "lavfi",
                                    "-i", "sine=duration=40", "-c:v", "ffv1", "-c:a", "flac"}));
    const QString output = work.filePath("forty/out.avi");
    QDir().mkpath(QFileInfo(output).path());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TARVELO_ENCODE_JOBS", "2");
    environment.insert("TARVELO_SEGMENT_SECONDS", "1");
    const ProcessRun run = runProcess("sh", QStringList{"-c", "ulimit -n 48 && exec \"$0\" \"$@\"", tool}
                                                + TestMedia::convertArguments(input, output),
                                      environment, {}, 60000);
    QVERIFY2(run.succeeded(), run.err.constData());
    QCOMPARE(MediaRead::packets(output, "video").size(), 400);
    // Many segments still, each opening with a keyframe: one process would
    // force only the four of every ten seconds.
    QVERIFY(keyframes(output).size() > 8);
}

QTEST_GUILESS_MAIN(TestSegments)
#include "tst_segments.moc"
