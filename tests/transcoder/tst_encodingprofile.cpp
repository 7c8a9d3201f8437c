#include "mediameasure.h"
#include "mediaread.h"
#include "processrun.h"
#include "testmedia.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

namespace {

const QString tool = QStringLiteral(TARVELO_PROGRAM_DIR "/tarvelo-transcode");

// The clip with cuts: 25 pictures a second, three unlike scenes that start at
// pictures 0, 30 and 65, and a tone under all 4 seconds.
constexpr int frameRate = 25;
constexpr int frameCount = 100;

using TestMedia::convertArguments;

// Everything a program printed, for a look inside or a failure message.
QByteArray runTool(const QString &program, const QStringList &arguments)
{
    const ProcessRun run = runProcess(program, arguments);
    return run.out + run.err;
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

// What ffmpeg's decoder says of an AVI's pictures, decoding every one.
PictureTypes pictureTypes(const QString &avi)
{
    PictureTypes types;
    MediaRead::pictures(avi, [&types](const MediaRead::Picture &picture) {
        if (picture.key)
            types.keyframes << types.count;
        ++types.count;
    });
    return types;
}


// What MediaInfo, which shares no code with ffmpeg, reads of a file's video
// and sound.
QPair<QJsonObject, QJsonObject> mediaInfoTracks(const QString &path)
{
    const QByteArray json = runTool("mediainfo", {"--Output=JSON", path});
    const QJsonArray tracks = QJsonDocument::fromJson(json).object().value("media").toObject()
                                  .value("track").toArray();
    QPair<QJsonObject, QJsonObject> found;
    for (const QJsonValue &track : tracks) {
        const QString type = track.toObject().value("@type").toString();
        if (type == "Video")
            found.first = track.toObject();
        else if (type == "Audio")
            found.second = track.toObject();
    }
    return found;
}

struct Packet
{
    int bits;
    bool key;
};

QList<Packet> videoPackets(const QString &avi)
{
    QList<Packet> packets;
    for (const MediaRead::Packet &packet : MediaRead::packets(avi, "video"))
        packets.append({int(packet.size * 8), packet.key});
    return packets;
}

// The players' decoder buffer: 1,835,008 bits, full at the start, refilled at
// 4,854 kb/s and emptied by each picture. Returns the lowest it gets.
double lowestBufferFill(const QList<Packet> &packets, double pictureRate)
{
    constexpr double size = 1835008, refill = 4854000;
    double fill = size, lowest = size;
    for (const Packet &packet : packets) {
        fill -= packet.bits;
        lowest = qMin(lowest, fill);
        fill = qMin(size, fill + refill / pictureRate);
    }
    return lowest;
}

int longestKeyframeGap(const QList<Packet> &packets)
{
    int longest = 0, last = 0;
    for (int i = 0; i < packets.size(); ++i) {
        if (packets[i].key || i == packets.size() - 1) {
            longest = qMax(longest, i - last);
            last = i;
        }
    }
    return longest;
}

// Pictures that idet, at the threshold that finds combs in interlaced
// footage and none in sharp progressive motion, still finds interlaced: its
// count over the whole film, as the last picture carries it.
int combedPictures(const QString &avi)
{
    int combed = -1;
    MediaRead::filteredPictures(avi, "idet=intl_thres=1.5", [&combed](const MediaRead::Picture &picture) {
        const auto tag = [&picture](const char *key) { return picture.tags.value(key, "-1").toDouble(); };
        combed = qRound(tag("lavfi.idet.multiple.tff") + tag("lavfi.idet.multiple.bff"));
    });
    return combed;
}

double rateValue(const QString &rational)
{
    const QStringList parts = rational.split('/');
    return parts.size() == 2 && parts[1].toDouble() > 0 ? parts[0].toDouble() / parts[1].toDouble() : 0;
}


// The times where a measure first rises above its threshold.
QList<double> onsets(const QList<QPair<double, double>> &measures, double threshold)
{
    QList<double> found;
    bool above = false;
    for (const auto &[time, value] : measures) {
        const bool now = value > threshold && !std::isinf(value);
        if (now && !above)
            found << time;
        above = now;
    }
    return found;
}

// How far each beep lies from its flash, in seconds. Each starts where, as
// ffmpeg decodes the file, a picture's mean luma or the sound's level over
// 240 samples first rises above its threshold. AVI pictures are timed by
// their count, as players time them.
QList<double> beepsAfterFlashes(const QString &path)
{
    QList<QPair<double, double>> brightness;
    MediaRead::pictures(path, [&brightness](const MediaRead::Picture &picture) {
        brightness.append({picture.time, MediaMeasure::meanLuma(picture, QRect(0, 0, picture.width, picture.height))});
    });
    const QList<double> flashes = onsets(brightness, 128);
    const QList<double> beeps = onsets(MediaMeasure::rmsLevels(MediaRead::sound(path), 240), -30);
    QList<double> gaps;
    for (qsizetype i = 0; i < qMin(flashes.size(), beeps.size()); ++i)
        gaps << beeps[i] - flashes[i];
    return flashes.size() == beeps.size() ? gaps : QList<double>();
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
    void keyframesEveryTenSeconds_data();
    void keyframesEveryTenSeconds();
    void fitsWhatPlayersDecode_data();
    void fitsWhatPlayersDecode();
    void soundStaysWithItsPicture_data();
    void soundStaysWithItsPicture();
    void deinterlacedInTheirFieldOrder_data();
    void deinterlacedInTheirFieldOrder();

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

void TestEncodingProfile::keyframesEveryTenSeconds_data()
{
    QTest::addColumn<QString>("rate");
    QTest::addColumn<int>("count");
    QTest::addColumn<QList<int>>("keyframes");
    QTest::newRow("30") << "30" << 360 << QList<int>({0, 250, 300});
    // The 240th picture would come 10.01 s after the first.
    QTest::newRow("23.976") << "24000/1001" << 288 << QList<int>({0, 239});
}

// Seeking needs a keyframe at least every ten seconds, and players seek and
// recover by one every 250 pictures at least, while a keyframe wherever
// ffmpeg's default would put one (every 12 pictures) costs most of the saving.
void TestEncodingProfile::keyframesEveryTenSeconds()
{
    QFETCH(QString, rate);
    QFETCH(int, count);
    QFETCH(QList<int>, keyframes);
    const QString name = QStringLiteral("long") + QTest::currentDataTag();
    const QString longClip = work.filePath(name + ".mkv");
    QVERIFY(TestMedia::make(longClip, {"-f", "lavfi", "-i", "testsrc2=size=96x64:rate=" + rate + ":duration=12",
                                    "-c:v", "ffv1"}));
    const QString avi = work.filePath(name + ".avi");
    QVERIFY(runTool(tool, convertArguments(longClip, avi, 50)).contains("##success##"));
    const PictureTypes types = pictureTypes(avi);
    QCOMPARE(types.count, count);
    QCOMPARE(types.keyframes, keyframes);
}

void TestEncodingProfile::fitsWhatPlayersDecode_data()
{
    QTest::addColumn<QStringList>("making");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<bool>("turned");
    QTest::addColumn<int>("quality");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("rate");
    QTest::addColumn<int>("pictures");
    QTest::addColumn<int>("sampleRate");
    QTest::addColumn<int>("channels");
    QTest::addColumn<bool>("untouched");   // within the limits: the picture comes through as it was
    const QStringList h264 = {"-c:v", "libx264", "-preset", "ultrafast", "-c:a", "aac"};
    // Large pictures play for one second: their size, rate and fields are
    // what their rows check, and the encoder's cost grows with them.
    const auto source = [](const QString &video, int sampleRate, const QString &layout = "mono", int seconds = 2) {
        return QStringList{"-f", "lavfi", "-i", "testsrc2=" + video + ":duration=" + QString::number(seconds),
                           "-f", "lavfi", "-i",
                           QString("sine=sample_rate=%1:duration=%2,aformat=channel_layouts=%3")
                               .arg(sampleRate).arg(seconds).arg(layout)};
    };
    // Every other picture kept, shrunk to the width limit.
    QTest::newRow("60 fps HD") << source("size=1280x720:rate=60", 48000, "mono", 1) + h264 << "mp4" << false << 50
                               << QSize(720, 406) << "30/1" << 30 << 48000 << 1 << false;
    // A phone held upright: coded across, shown upright, fitted to 480 lines.
    QTest::newRow("portrait phone") << source("size=640x360:rate=30", 44100, "mono", 1) + h264 << "mp4" << true << 50
                                    << QSize(270, 480) << "30/1" << 30 << 44100 << 1 << false;
    // A 16:9 DVD: 50 fields a second in 25 combed pictures, wide pixels.
    QTest::newRow("anamorphic interlaced PAL, 5.1 AC-3")
        << source("size=720x576:rate=50", 48000, "5.1", 1) + QStringList{
               "-vf", "tinterlace=mode=interleave_top,setsar=64/45", "-c:v", "mpeg2video", "-b:v", "6M",
               "-flags", "+ildct+ilme", "-top", "1", "-c:a", "ac3", "-f", "dvd"}
        << "vob" << false << 50 << QSize(720, 406) << "25/1" << 25 << 48000 << 2 << false;
    // A lossless capture that says nothing of its fields: only a detector finds them.
    QTest::newRow("interlaced NTSC 4:3")
        << source("size=720x480:rate=60000/1001", 48000, "mono", 1)
               + QStringList{"-vf", "tinterlace=mode=interleave_bottom,setsar=8/9", "-c:v", "huffyuv",
                             "-c:a", "pcm_s16le"}
        << "avi" << false << 50 << QSize(640, 480) << "30000/1001" << 30 << 48000 << 1 << false;
    // Already within the limits: nothing about the picture changes.
    QTest::newRow("23.976 fps scope")
        << source("size=720x300:rate=24000/1001", 48000, "mono", 1)
               + QStringList{"-c:v", "libx264", "-preset", "ultrafast", "-qp", "0", "-c:a", "aac"}
        << "mp4" << false << 50 << QSize(720, 300) << "24000/1001" << 24 << 48000 << 1 << true;
    QTest::newRow("15 fps, 22.05 kHz") << source("size=160x120:rate=15", 22050) + h264 << "mp4" << false << 50
                                       << QSize(160, 120) << "15/1" << 30 << 44100 << 1 << false;
    // A steady rate whose first picture is not at nought keeps every picture.
    QTest::newRow("Matroska film starting late")
        << source("size=320x136:rate=24000/1001", 48000)
               + QStringList{"-output_ts_offset", "0.021", "-c:v", "libx264", "-preset", "ultrafast", "-c:a", "aac"}
        << "mkv" << false << 50 << QSize(320, 136) << "24000/1001" << 48 << 48000 << 1 << false;
    // A slideshow's pictures are repeated up to a rate that players show.
    QTest::newRow("slideshow at 1 fps") << source("size=320x240:rate=1", 44100) + h264 << "mp4" << false << 50
                                        << QSize(320, 240) << "25/1" << 50 << 44100 << 1 << false;
    QTest::newRow("2x2 pictures") << source("size=2x2:rate=25", 48000) + QStringList{"-c:v", "ffv1", "-c:a", "aac"}
                                  << "mkv" << false << 50 << QSize(2, 2) << "25/1" << 50 << 48000 << 1 << false;
    // Far more than the players' rate at the slider's finest quantiser;
    // uncompressed, as grain costs any encoder most of the run.
    QTest::newRow("grain at 99")
        << source("size=720x480:rate=30", 48000, "mono", 1)
               + QStringList{"-vf", "noise=alls=30:allf=t+u", "-c:v", "rawvideo", "-c:a", "pcm_s16le"}
        << "nut" << false << 99 << QSize(720, 480) << "30/1" << 30 << 48000 << 1 << false;
}

// DVD players, TVs and set-top boxes decode MPEG-4 Advanced Simple Profile
// at level 5 within their limits of size, rate, bit rate and buffer, and
// MP3 at three sample rates; a file outside them does not play at all.
void TestEncodingProfile::fitsWhatPlayersDecode()
{
    QFETCH(QStringList, making);
    QFETCH(QString, extension);
    QFETCH(bool, turned);
    QFETCH(int, quality);
    QFETCH(QSize, size);
    QFETCH(QString, rate);
    QFETCH(int, pictures);
    QFETCH(int, sampleRate);
    QFETCH(int, channels);
    QFETCH(bool, untouched);
    const QString input = work.filePath("input." + extension);
    QVERIFY(TestMedia::make(input, making));
    if (turned) {
        const QString coded = work.filePath("coded." + extension);
        QVERIFY(QFile::rename(input, coded));
        QVERIFY(TestMedia::make(input, {"-i", coded, "-c", "copy", "-metadata:s:v:0", "rotate=90"}));
    }
    const QString avi = work.filePath("envelope.avi");
    QVERIFY(runTool(tool, convertArguments(input, avi, quality)).contains("##success##"));

    const auto [video, audio] = mediaInfoTracks(avi);
    QCOMPARE(video.value("Format").toString() + " " + video.value("CodecID").toString(),
             QString("MPEG-4 Visual XVID"));
    QCOMPARE(video.value("Format_Profile").toString() + "@L" + video.value("Format_Level").toString(),
             QString("Advanced Simple@L5"));
    QCOMPARE(video.value("Format_Settings_BVOP").toString(), QString("No"));
    QCOMPARE(video.value("Format_Settings_QPel").toString(), QString("No"));
    QCOMPARE(video.value("Format_Settings_GMC").toString(), QString("0"));
    QCOMPARE(audio.value("Format").toString() + " " + audio.value("Format_Version").toString() + " "
                 + audio.value("Format_Profile").toString(),
             QString("MPEG Audio 1 Layer 3"));
    QCOMPARE(audio.value("SamplingRate").toString().toInt(), sampleRate);
    QCOMPARE(audio.value("Channels").toString().toInt(), channels);

    const QJsonObject probe = TestMedia::probe(avi);
    const QJsonObject picture = TestMedia::stream(probe, "video");
    QCOMPARE(QSize(picture.value("width").toInt(), picture.value("height").toInt()), size);
    QCOMPARE(picture.value("sample_aspect_ratio").toString(), QString("1:1"));
    QCOMPARE(picture.value("r_frame_rate").toString(), rate);
    const QList<Packet> packets = videoPackets(avi);
    // A picture may be repeated at the start to keep the sound in step.
    QVERIFY2(packets.size() >= pictures && packets.size() <= pictures + 1, qPrintable(QString::number(packets.size())));
    QVERIFY(longestKeyframeGap(packets) <= 250);
    double bits = 0;
    for (const Packet &packet : packets)
        bits += packet.bits;
    QVERIFY2(bits / (packets.size() / rateValue(rate)) <= 4000e3, qPrintable(QString::number(bits)));
    QVERIFY2(lowestBufferFill(packets, rateValue(rate)) >= 0, "the decoder buffer runs dry");
    QCOMPARE(combedPictures(avi), 0);

    const double pictureEnd = picture.value("duration").toString().toDouble();
    const double soundEnd = TestMedia::stream(probe, "audio").value("duration").toString().toDouble();
    QVERIFY2(qAbs(pictureEnd - soundEnd) <= 0.25, qPrintable(QString("%1 s, %2 s").arg(pictureEnd).arg(soundEnd)));
    // A picture within the limits is not deinterlaced, scaled or otherwise softened.
    if (untouched)
        QVERIFY(TestMedia::psnr(avi, input) > 40);
}

void TestEncodingProfile::soundStaysWithItsPicture_data()
{
    QTest::addColumn<QStringList>("timing");
    QTest::addColumn<QStringList>("soundTiming");
    QTest::addColumn<QStringList>("pictureOptions");
    QTest::addColumn<QString>("rate");
    QTest::addColumn<double>("tolerance");
    const QStringList late = {"-itsoffset", "0.5"};
    // Within what the measure can tell (5 ms) where the pictures stay on
    // their grid; a picture that starts off the grid moves by up to half a
    // picture onto it, and a varying rate made steady by up to one.
    QTest::newRow("picture half a second after the sound") << late << QStringList{} << QStringList{} << "25" << 0.025;
    QTest::newRow("sound half a second after the picture") << QStringList{} << late << QStringList{} << "25" << 0.012;
    QTest::newRow("phone's varying rate")
        << QStringList{} << QStringList{} << QStringList{"-vf", "select='not(eq(mod(n,7),0))'", "-vsync", "vfr"}
        << "30" << 1 / 29.97;
}

// A flash and a beep every two seconds, made together, must still meet in
// the output as they meet in the input, wherever either stream starts.
void TestEncodingProfile::soundStaysWithItsPicture()
{
    QFETCH(QStringList, timing);
    QFETCH(QStringList, soundTiming);
    QFETCH(QStringList, pictureOptions);
    QFETCH(QString, rate);
    QFETCH(double, tolerance);
    const QString every2s = "lt(mod(t-1,2),0.2)";
    QStringList making = timing + QStringList{"-f", "lavfi", "-i",
        "color=black:size=160x90:rate=" + rate + ":duration=8,drawbox=c=white:t=fill:enable='" + every2s + "'"};
    making << soundTiming << "-f" << "lavfi" << "-i"
           << "sine=f=1000:sample_rate=48000:duration=8,volume='if(" + every2s + ",1,0)':eval=frame"
           << "-c:v" << "libx264" << "-preset" << "ultrafast" << "-c:a" << "aac" << pictureOptions;
    const QString input = work.filePath("flashes.mkv");
    QVERIFY(TestMedia::make(input, making));
    const QString avi = work.filePath("flashes.avi");
    QVERIFY(runTool(tool, convertArguments(input, avi)).contains("##success##"));

    const QList<double> before = beepsAfterFlashes(input), after = beepsAfterFlashes(avi);
    QVERIFY2(before.size() == 4 && after.size() == 4,
             qPrintable(QString("%1 and %2 pairs").arg(before.size()).arg(after.size())));
    for (int i = 0; i < 4; ++i)
        QVERIFY2(qAbs(after[i] - before[i]) <= tolerance,
                 qPrintable(QString("beep %1: %2 s from its flash, %3 s before").arg(i).arg(after[i]).arg(before[i])));
}

// Fields taken in the wrong order make a moving picture jump back and forth
// each frame; a DVD recorder's bottom-first fields are common. Unscaled, so
// that combs left in are not smoothed away.
void TestEncodingProfile::deinterlacedInTheirFieldOrder_data()
{
    QTest::addColumn<QString>("parity");
    QTest::addColumn<QString>("wrong");
    QTest::addColumn<QString>("top");
    QTest::newRow("bottom field first") << "bff" << "tff" << "0";
    QTest::newRow("top field first") << "tff" << "bff" << "1";
}

void TestEncodingProfile::deinterlacedInTheirFieldOrder()
{
    QFETCH(QString, parity);
    QFETCH(QString, wrong);
    QFETCH(QString, top);
    const QString input = work.filePath("interlaced-" + parity + ".mpg");
    const QString interleave = top == "1" ? "interleave_top" : "interleave_bottom";
    QVERIFY(TestMedia::make(input, {"-f", "lavfi", "-i", "testsrc2=size=320x240:rate=60:duration=1,scroll=h=0.02",
                                    "-vf", "tinterlace=mode=" + interleave, "-c:v", "mpeg2video", "-q:v", "2",
                                    "-flags", "+ildct+ilme", "-top", top}));
    const QString avi = work.filePath("interlaced-" + parity + ".avi");
    QVERIFY(runTool(tool, convertArguments(input, avi, 99)).contains("##success##"));
    QList<double> likeness;
    for (const QString &order : {parity, wrong}) {
        const QString reference = work.filePath("deinterlaced-" + parity + "-as-" + order + ".mkv");
        QVERIFY(TestMedia::make(reference, {"-i", input, "-vf", "setfield=" + order + ",bwdif=mode=send_frame:parity="
                                                                 + order + ":deint=all", "-c:v", "ffv1"}));
        // The pictures compared one by one in their order, whatever their times.
        likeness << MediaMeasure::psnr(avi, reference, MediaMeasure::Pairing::ByOrder);
    }
    // About 48 dB against the right order, 16 against the wrong one.
    QVERIFY2(likeness[0] > 35 && likeness[1] < 25,
             qPrintable(QString("%1 dB, %2 dB").arg(likeness[0]).arg(likeness[1])));
}

QTEST_GUILESS_MAIN(TestEncodingProfile)
#include "tst_encodingprofile.moc"
