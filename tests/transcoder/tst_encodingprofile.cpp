#include "testmedia.h"
#include "toolfolder.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString tool = QStringLiteral(TARVELO_PROGRAM_DIR "/tarvelo-transcode");

// The clip with cuts: 25 pictures a second, three unlike scenes that start at
// pictures 0, 30 and 65, and a tone under all 4 seconds.
constexpr int frameRate = 25;
constexpr int frameCount = 100;

QStringList convertArguments(const QString &input, const QString &output, int quality)
{
    return TestMedia::convertArguments(input, output, quality);
}

QByteArray runTool(const QString &program, const QStringList &arguments,
                   const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return process.readAllStandardOutput() + process.readAllStandardError();
}

struct Buffer
{
    double time;
    double duration;
};

// The buffers that reached one of GStreamer's multifilesinks, in the order
// they arrived, from the bus messages it posts for each (gst-launch -m).
QList<Buffer> buffers(const QByteArray &log, const QString &sink)
{
    QList<Buffer> found;
    const QRegularExpression message("from element \"" + sink + "\" \\(element\\): GstMultiFileSink, "
                                     ".*timestamp=\\(guint64\\)(\\d+).*duration=\\(guint64\\)(\\d+)");
    for (const QByteArray &line : log.split('\n')) {
        const QRegularExpressionMatch match = message.match(QString::fromLatin1(line));
        if (match.hasMatch())
            found.append({match.captured(1).toDouble() / 1e9, match.captured(2).toDouble() / 1e9});
    }
    return found;
}

struct PictureTypes
{
    int count = 0;
    QList<int> keyframes;
};

// What ffprobe, decoding every picture, says of an AVI's pictures.
PictureTypes pictureTypes(const QString &avi)
{
    const QByteArray csv = runTool("ffprobe", {"-v", "error", "-select_streams", "v", "-show_entries",
                                               "frame=key_frame", "-of", "csv=p=0", "file:" + avi});
    PictureTypes types;
    for (const QByteArray &frame : csv.trimmed().split('\n')) {
        if (frame.startsWith('1'))
            types.keyframes << types.count;
        ++types.count;
    }
    return types;
}

} // namespace

// What the encoding profile gives, read back by readers that share no code
// with ffmpeg's own demuxer: GStreamer's AVI demuxer and MediaInfo.
class TestEncodingProfile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void readsBackInOrderAndInSync_data();
    void readsBackInOrderAndInSync();
    void keyframesAtCuts_data();
    void keyframesAtCuts();
    void keyframesEveryTenSeconds();
    void staysWithinPlayersReach();
    void curveIsMonotonicAtEveryStep();

private:
    QString converted(int quality);

    QTemporaryDir work;
    QString clip;
};

void TestEncodingProfile::initTestCase()
{
    if (!TestMedia::available())
        QSKIP("ffmpeg and ffprobe are needed");
    QVERIFY2(!QStandardPaths::findExecutable("gst-launch-1.0").isEmpty(), "gst-launch-1.0 is needed");
    QVERIFY2(!QStandardPaths::findExecutable("mediainfo").isEmpty(), "mediainfo is needed");
    QVERIFY(work.isValid());
    clip = work.filePath("cuts.mkv");
    const QString size = "size=320x240:rate=" + QString::number(frameRate);
    QVERIFY(TestMedia::make(clip, {
        "-f", "lavfi", "-i", "testsrc2=" + size + ":duration=1.2",
        "-f", "lavfi", "-i", "mandelbrot=" + size + ",trim=duration=1.4",
        "-f", "lavfi", "-i", "smptebars=" + size + ":duration=1.4",
        "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100:duration=4",
        "-filter_complex", "[0:v][1:v][2:v]concat=n=3:v=1:a=0,format=yuv420p[v]",
        "-map", "[v]", "-map", "3:a", "-c:v", "ffv1", "-c:a", "flac"}));
}

QString TestEncodingProfile::converted(int quality)
{
    const QString output = work.filePath(QString("q%1.avi").arg(quality));
    if (!QFile::exists(output)) {
        const QByteArray log = runTool(tool, convertArguments(clip, output, quality));
        if (!log.contains("##success##"))
            qWarning("%s", log.constData());
    }
    return output;
}

void TestEncodingProfile::readsBackInOrderAndInSync_data()
{
    QTest::addColumn<int>("quality");
    QTest::newRow("smallest") << 0;
    QTest::newRow("middle") << 50;
    QTest::newRow("best") << 99;
}

// AVI has no timestamps of its own: a player places each picture by its
// count and decoding order. A picture lost or doubled at the start or the
// end, pictures shown out of order (B-frames), or the picture's time
// slipping at a cut would only show up in a player, as here.
void TestEncodingProfile::readsBackInOrderAndInSync()
{
    QFETCH(int, quality);
    const QString avi = converted(quality);
    QVERIFY(QFile::exists(avi));
    // Only the last picture and sound buffer stay on disk.
    const QString sinkFiles = work.filePath(QString("gst-%1-").arg(quality));
    const QByteArray log = runTool("gst-launch-1.0", {
        "-m", "filesrc", "location=" + avi, "!", "avidemux", "name=demux",
        "demux.video_0", "!", "queue", "!", "avdec_mpeg4", "!", "multifilesink", "name=video",
        "location=" + sinkFiles + "video%d", "max-files=1", "post-messages=true", "sync=false",
        "demux.audio_0", "!", "queue", "!", "mpegaudioparse", "!", "mpg123audiodec", "!", "multifilesink",
        "name=audio", "location=" + sinkFiles + "audio%d", "max-files=1", "post-messages=true", "sync=false"});

    const QList<Buffer> pictures = buffers(log, "video");
    QCOMPARE(pictures.size(), frameCount);
    for (int i = 0; i < pictures.size(); ++i)
        QVERIFY2(qAbs(pictures[i].time - double(i) / frameRate) < 1e-3, qPrintable(QString::number(i)));

    // MP3 comes in frames of 1152 samples and the encoder pads the end, so
    // the sound may run on by that much beyond one picture.
    const QList<Buffer> sound = buffers(log, "audio");
    QVERIFY(!sound.isEmpty());
    const double pictureTime = 1.0 / frameRate;
    const double soundEnd = sound.last().time + sound.last().duration;
    const double pictureEnd = pictures.last().time + pictures.last().duration;
    QVERIFY2(sound.first().time < pictureTime, qPrintable(QString::number(sound.first().time)));
    QVERIFY2(sound.first().time < pictureTime, qPrintable(QString::number(sound.first().time)));
    QVERIFY2(qAbs(soundEnd - pictureEnd) <= pictureTime + 1152.0 / 44100,
             qPrintable(QString("sound ends at %1 s, pictures at %2 s").arg(soundEnd).arg(pictureEnd)));
}

void TestEncodingProfile::keyframesAtCuts_data()
{
    readsBackInOrderAndInSync_data();
}

// A player seeks to keyframes, and a cut coded as a change from the picture
// before it is both costly and, after a seek, a mess: each cut must be a
// keyframe of its own, not the picture before or after it.
void TestEncodingProfile::keyframesAtCuts()
{
    QFETCH(int, quality);
    const PictureTypes types = pictureTypes(converted(quality));
    QCOMPARE(types.count, frameCount);
    for (int cut : {0, 30, 65})
        QVERIFY2(types.keyframes.contains(cut), qPrintable(QString("picture %1").arg(cut)));
}

// Seeking needs a keyframe at least every ten seconds, while a keyframe
// wherever ffmpeg's default would put one (every 12 pictures) costs most of
// the saving.
void TestEncodingProfile::keyframesEveryTenSeconds()
{
    const QString longClip = work.filePath("long.mkv");
    QVERIFY(TestMedia::make(longClip, {"-f", "lavfi", "-i", "testsrc2=size=96x64:rate=10:duration=25",
                                    "-c:v", "ffv1"}));
    const QString avi = work.filePath("long.avi");
    QVERIFY(runTool(tool, convertArguments(longClip, avi, 50)).contains("##success##"));
    const PictureTypes types = pictureTypes(avi);
    QCOMPARE(types.count, 250);
    QCOMPARE(types.keyframes, QList<int>({0, 100, 200}));
}

// XviD and DivX players decode Advanced Simple Profile at most, without
// quarter-pel or global motion compensation, and two B-frames in a row.
void TestEncodingProfile::staysWithinPlayersReach()
{
    const QByteArray json = runTool("mediainfo", {"--Output=JSON", converted(50)});
    const QJsonArray tracks = QJsonDocument::fromJson(json).object().value("media").toObject()
                                  .value("track").toArray();
    QJsonObject video, audio;
    for (const QJsonValue &track : tracks) {
        const QString type = track.toObject().value("@type").toString();
        if (type == "Video")
            video = track.toObject();
        else if (type == "Audio")
            audio = track.toObject();
    }
    QCOMPARE(video.value("Format").toString(), QString("MPEG-4 Visual"));
    QCOMPARE(video.value("CodecID").toString(), QString("XVID"));
    QVERIFY(video.value("Format_Profile").toString().startsWith("Advanced Simple")
            || video.value("Format_Profile").toString().startsWith("Simple"));
    QCOMPARE(video.value("Format_Settings_QPel").toString(), QString("No"));
    QCOMPARE(video.value("Format_Settings_GMC").toString(), QString("0"));
    QVERIFY(video.value("Format_Settings_BVOP").toString().toInt() <= 2);
    QCOMPARE(audio.value("Format").toString(), QString("MPEG Audio"));
}

// Every step of the slider, not only the points the curve is drawn through,
// must ask ffmpeg for at least the quality of the step below, and steps
// between the points lie on the straight line the help text promises. What
// the tool asks for is read from a stand-in that records its arguments and
// then runs the real ffmpeg.
void TestEncodingProfile::curveIsMonotonicAtEveryStep()
{
    const ToolFolder recorder(work.filePath("recorder"));
    const QString record = work.filePath("arguments.txt");
    QVERIFY(recorder.installAs("ffmpeg", "printf '%s\\n' \"$@\" > \"$RECORD\"\nexec '"
                                             + QStandardPaths::findExecutable("ffmpeg").toUtf8() + "' \"$@\""));
    const QString tiny = work.filePath("tiny.mkv");
    QVERIFY(TestMedia::make(tiny, {"-f", "lavfi", "-i", "testsrc=size=64x48:rate=25:duration=0.2",
                                    "-f", "lavfi", "-i", "sine=duration=0.2", "-c:v", "ffv1", "-c:a", "flac"}));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PATH", recorder.path() + ':' + environment.value("PATH"));
    environment.insert("RECORD", record);

    // Quantiser and MP3 quality between the points: 31..10 over 0..25,
    // 10..4 over 25..50, 4..3 over 50..75; 9..7, 7..4 and 4..2 for the MP3.
    const QMap<int, QPair<double, double>> between{{10, {23, 8.2}}, {37, {7, 5.6}}, {62, {4, 3.0}}, {80, {3, 1.6}}};
    double lastVideo = 1e9, lastAudio = 1e9;
    for (int quality = 0; quality <= 99; ++quality) {
        QFile::remove(record);
        const QByteArray log = runTool(tool, convertArguments(tiny, work.filePath("tiny.avi"), quality),
                                       environment);
        QVERIFY2(log.contains("##success##"), log.constData());
        QFile file(record);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> arguments = file.readAll().split('\n');
        const double video = arguments.value(arguments.indexOf("-q:v") + 1).toDouble();
        const double audio = arguments.value(arguments.indexOf("-q:a") + 1).toDouble();
        const QByteArray where = "Q " + QByteArray::number(quality);
        QVERIFY2(video >= 2 && video <= 31 && audio >= 0 && audio <= 9, where);
        QVERIFY2(video <= lastVideo && audio <= lastAudio, where);
        // The points the slider is known by differ from each other.
        if (quality % 25 == 0 || quality == 99)
            QVERIFY2(video < lastVideo || audio < lastAudio, where);
        if (between.contains(quality)) {
            QCOMPARE(video, between.value(quality).first);
            QCOMPARE(audio, between.value(quality).second);
        }
        lastVideo = video;
        lastAudio = audio;
    }
}

QTEST_GUILESS_MAIN(TestEncodingProfile)
#include "tst_encodingprofile.moc"
