#include "mediameasure.h"
#include "mediaread.h"
#include "processrun.h"
#include "testmedia.h"

#include "transcoder/media/libav.h"
#include "transcoder/media/mediafile.h"
#include "transcoder/tracks/trackdescriptions.h"
#include "transcoder/subtitles/captiontimeline.h"
#include "transcoder/subtitles/picturetrack.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

// Picture subtitles burned in by the real tool and read back with the real
// ffmpeg, picture by picture. The film is a cropped one (960x400 of a
// 960x540 disc picture, on which the captions are placed), converted to
// 720x300: its bottom captions lie in the cropped-away bar and must be
// moved into the picture.
namespace {

const QString tool = QStringLiteral(TARVELO_PROGRAM_DIR "/tarvelo-transcode");
constexpr int rate = 25;
constexpr int filmSeconds = 8;
// The pictures start this many picture lengths after the sound, as the AVI
// does; its first picture fills the gap.
constexpr int picturesLate = 10;

struct Caption
{
    double start;
    double end;
    int y;   // on the 960x540 canvas; every caption is 200x40 from x 380
    bool forced;
};

// A at the bottom; B at the top, forced, across the joins of 2-second
// segments and begun over a second before the third segment's decoding
// point; C at the bottom again.
const Caption captions[] = {{0.6, 1.6, 470, false}, {1.7, 5.8, 80, true}, {6.4, 7.4, 470, false}};

void append16(QByteArray &bytes, int value)
{
    bytes.append(char(value >> 8)).append(char(value));
}

void append32(QByteArray &bytes, quint32 value)
{
    append16(bytes, int(value >> 16));
    append16(bytes, int(value & 0xffff));
}

QByteArray segment(char type, double seconds, const QByteArray &payload)
{
    QByteArray bytes("PG");
    append32(bytes, quint32(qRound64(seconds * 90000)));
    append32(bytes, 0);
    bytes.append(type);
    append16(bytes, int(payload.size()));
    return bytes + payload;
}

// How every caption's clearing set is made: the object it names (-1: none)
// and its flag, and its palette.
struct Clearing
{
    int object = -1;
    bool forced = false;
    int palette = 0;
};

// A Blu-ray subtitle stream (.sup): each caption a white box shown by one
// display set and cleared by an empty one. damaged: the last caption names
// a palette the stream never defines.
QByteArray blurayStream(bool damaged, Clearing clearing = {})
{
    QByteArray stream;
    int composition = 0;
    const int count = int(std::size(captions));
    for (int i = 0; i < count; ++i) {
        const Caption &caption = captions[i];
        const auto presentation = [&](int state, int object, bool forced, int palette) {
            QByteArray pcs;
            append16(pcs, 960);
            append16(pcs, 540);
            pcs.append(char(0x10));
            append16(pcs, composition++);
            pcs.append(char(state)).append(char(0)).append(char(damaged && i == count - 1 ? 5 : palette));
            pcs.append(char(object >= 0 ? 1 : 0));
            if (object >= 0) {
                append16(pcs, object);
                pcs.append(char(0)).append(char(forced ? 0x40 : 0));
                append16(pcs, 380);
                append16(pcs, caption.y);
            }
            return pcs;
        };
        QByteArray window(1, char(1));
        window.append(char(0));
        for (int value : {380, caption.y, 200, 40})
            append16(window, value);
        // Entry 1: white (Y 235, Cr and Cb neutral), opaque.
        const QByteArray palette = QByteArray::fromHex("0000" "01eb8080ff");
        QByteArray lines;
        for (int row = 0; row < 40; ++row)
            lines += QByteArray::fromHex("00c0c801" "0000");   // 200 pixels of entry 1, end of line
        QByteArray object;
        append16(object, 0);
        object.append(char(0)).append(char(0xc0));
        const int length = int(lines.size()) + 4;
        object.append(char(length >> 16)).append(char(length >> 8)).append(char(length));
        append16(object, 200);
        append16(object, 40);
        object += lines;
        stream += segment(0x16, caption.start, presentation(0x80, 0, caption.forced, 0))
                  + segment(0x17, caption.start, window) + segment(0x14, caption.start, palette) + segment(0x15, caption.start, object)
                  + segment(char(0x80), caption.start, {});
        stream += segment(0x16, caption.end, presentation(0, clearing.object, clearing.forced, clearing.palette))
                  + segment(0x17, caption.end, window)
                  + segment(char(0x80), caption.end, {});
    }
    return stream;
}

// The mean brightness of a few bands of every picture of the AVI, each
// band given by its first line and its height; all are 120 pixels wide from
// x 300. One decoding serves every band.
QList<QList<double>> brightness(const QString &avi, const QList<QPair<int, int>> &bands)
{
    QList<QList<double>> means(bands.size());
    MediaRead::pictures(avi, [&](const MediaRead::Picture &picture) {
        for (qsizetype band = 0; band < bands.size(); ++band) {
            const auto [top, height] = bands.at(band);
            means[band].append(MediaMeasure::meanLuma(picture, QRect(300, top, 120, height)));
        }
    });
    return means;
}

// When the tool's reader shows each caption of a film's picture track, in ms.
bool readSpans(const QString &film, int stream, bool forcedOnly, bool trackForced, QList<QPair<qint64, qint64>> &spans,
               QPair<qint64, qint64> pictures = {INT64_MIN, INT64_MAX})
{
    LibAv libAv;
    if (!libAv.load())
        return false;
    CaptionTimeline timeline([&](const PictureCaption &, std::int64_t start, std::int64_t end) {
        spans.append({start, end});
        return true;
    });
    PictureTrack track(libAv);
    track.setFilm(pictures.first, pictures.second);
    return track.read(film.toStdString(), stream, forcedOnly, trackForced, std::chrono::seconds(30),
                      [&](PictureCaption caption) { return timeline.add(std::move(caption)); })
           && timeline.finish();
}

} // namespace

class TestPictureSubtitles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void burnedWhereAndWhenShown_data();
    void burnedWhereAndWhenShown();
    void forcedCaptionsOnly();
    void cuesCountedByWhatShows();
    void captionsWithoutEnds();
    void captionsOutsideTheFilmAreSkipped();
    void clearingSetsNamingWhatIsMissing();

private:
    bool makeFilm(const QString &path, bool damaged, const QString &codec);

    QTemporaryDir work;
};

// ffmpeg cannot write a damaged DVD picture: the last one's body, after the
// size it announces, is overwritten where the file holds it.
bool damageLastDvdPicture(const QString &path)
{
    QByteArray pictures;
    for (const MediaRead::Packet &packet : MediaRead::packets(path, "subtitle"))
        pictures += packet.data;
    qsizetype last = 0;
    for (qsizetype at = 0, size = 1; size > 0 && at + 2 <= pictures.size(); at += size) {
        last = at;
        size = (uchar(pictures[at]) << 8) | uchar(pictures[at + 1]);
    }
    const QByteArray picture = pictures.mid(last);
    QByteArray film = TestMedia::readFile(path);
    // The first and the last caption are alike but for their times.
    const qsizetype start = film.lastIndexOf(picture);
    if (picture.size() < 10 || start < 0)
        return false;
    film.replace(start + 2, picture.size() - 2, QByteArray(picture.size() - 2, char(0xff)));
    return TestMedia::writeFile(path, film);
}

bool TestPictureSubtitles::makeFilm(const QString &path, bool damaged, const QString &codec)
{
    const bool damagedDvd = damaged && codec == "dvdsub";
    if (damagedDvd)
        return makeFilm(path, false, codec) && damageLastDvdPicture(path);
    const QString sup = work.filePath(damaged ? "damaged.sup" : "captions.sup");
    if (!TestMedia::writeFile(sup, blurayStream(damaged)))
        return false;
    const QString seconds = QString::number(filmSeconds);
    // The stream's own times: ffmpeg would otherwise move its first caption
    // to 0. The file's timeline starts at 10 s, as a recording's may.
    return TestMedia::make(path, {"-copyts", "-itsoffset", QString::number(double(picturesLate) / rate),
                                  "-f", "lavfi", "-i", "color=c=0x181818:size=960x400:rate=25:duration=" + seconds,
                                  "-f", "lavfi", "-i", "sine=frequency=440:duration=" + seconds,
                                  // Re-encoded, each caption ends where the stream clears it.
                                  "-fix_sub_duration", "-i", sup,
                                  "-map", "0", "-map", "1", "-map", "2", "-c:v", "libx264", "-preset", "ultrafast",
                                  "-g", "25", "-c:a", "flac", "-c:s", codec, "-metadata:s:a:0", "language=eng",
                                  "-metadata:s:s:0", "language=ger", "-disposition:s:0", "default",
                                  "-output_ts_offset", "10"});
}

void TestPictureSubtitles::initTestCase()
{
    if (!TestMedia::available())
        QSKIP("ffmpeg and ffprobe are needed");
    QVERIFY(work.isValid());
}

void TestPictureSubtitles::burnedWhereAndWhenShown_data()
{
    QTest::addColumn<QString>("codec");
    QTest::addColumn<bool>("damaged");
    QTest::addColumn<QStringList>("settings");
    QTest::addColumn<bool>("forcedOnly");
    // The file cannot be read from the third caption on: its reading breaks off.
    QTest::addColumn<bool>("breaksOff");
    const QStringList single{"TARVELO_ENCODE_JOBS=1", "LANG=de_DE.UTF-8"};
    QTest::newRow("Blu-ray") << "copy" << false << single << false << false;
    QTest::newRow("Blu-ray, in segments")
        << "copy" << false << QStringList{"TARVELO_ENCODE_JOBS=2", "TARVELO_SEGMENT_SECONDS=2", "LANG=de_DE.UTF-8"}
        << false << false;
    QTest::newRow("DVD") << "dvdsub" << false << single << false << false;
    QTest::newRow("damaged") << "copy" << true << single << false << false;
    QTest::newRow("DVD, damaged") << "dvdsub" << true << single << false << false;
    // The track is the default one, yet without a reader's language only
    // its forced caption is wanted.
    QTest::newRow("no reader's language: the forced caption alone")
        << "copy" << false << QStringList{"TARVELO_ENCODE_JOBS=1", "LANG=C"} << true << false;
    // Only the tool's own reading of the track fails; ffmpeg reads the film.
    QTest::newRow("breaks off")
        << "copy" << false << (single + preloadSettings(FAULTYREAD_LIBRARY)) << false << true;
}

// A German reader of English sound gets every caption of the German track,
// each on the pictures from its start to its end, inside the picture.
void TestPictureSubtitles::burnedWhereAndWhenShown()
{
    QFETCH(QString, codec);
    QFETCH(bool, damaged);
    QFETCH(QStringList, settings);
    QFETCH(bool, forcedOnly);
    QFETCH(bool, breaksOff);
    QString film = work.filePath(QString("film-%1-%2.mkv").arg(codec).arg(damaged));
    const QString avi = work.filePath("film.avi");
    QVERIFY(QFile::exists(film) || makeFilm(film, damaged, codec));
    QFile::remove(avi);
    qsizetype breakAt = -1;
    if (breaksOff) {
        const QByteArray bytes = TestMedia::readFile(film);
        // Every caption's picture is the same box: the third one's is the third.
        const QByteArray box = QByteArray::fromHex("00c0c8010000").repeated(40);
        for (int i = 0; i < 3; ++i)
            breakAt = bytes.indexOf(box, breakAt + 1);
        QVERIFY(breakAt > 0);
        film = work.filePath("breaks-film.mkv");
        QVERIFY(TestMedia::writeFile(film, bytes));
    }

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"})
        environment.remove(name);
    for (const QString &setting : settings)
        environment.insert(setting.section('=', 0, 0), setting.section('=', 1));
    if (breaksOff)
        environment.insert("BREAKREAD_AT", QString::number(breakAt));
    const ProcessRun run = runProcess(tool, TestMedia::convertArguments(film, avi), environment, {}, 120000);
    QVERIFY2(run.succeeded() && run.out.contains("##success##"), run.err.constData());
    QVERIFY2(run.err.contains("damaged") == damaged, run.err.constData());
    // The user is told where the damage starts: the third caption's time.
    QVERIFY2(run.err.contains("the first at 0:00:06") == damaged, run.err.constData());
    QVERIFY2(run.err.contains("breaks off") == breaksOff, run.err.constData());
    QVERIFY2(run.out.contains("@tracks en picture de\n"), run.out.constData());

    // The captions at 0.75 of the size: 150x30 from x 285, the top one from
    // y 7.5, the bottom ones at the picture's foot (y 270 to 300).
    const QList<QList<double>> bands = brightness(avi, {{12, 20}, {276, 20}, {240, 20}});
    const QList<double> &top = bands.at(0), &bottom = bands.at(1), &above = bands.at(2);
    QCOMPARE(top.size(), filmSeconds * rate + picturesLate);
    for (int picture = 0; picture < top.size(); ++picture) {
        const double at = double(picture) / rate;
        bool nearEdge = false;
        bool topShown = false, bottomShown = false;
        for (const Caption &caption : captions) {
            // Within one picture of each edge.
            nearEdge = nearEdge || std::abs(at - caption.start) <= 1.0 / rate || std::abs(at - caption.end) <= 1.0 / rate;
            const bool shown = at >= caption.start && at < caption.end
                               && !((damaged || breaksOff) && &caption == &captions[2])
                               && (caption.forced || !forcedOnly);
            (caption.y < 270 ? topShown : bottomShown) |= shown;
        }
        if (nearEdge)
            continue;
        const QString where = QString("picture %1").arg(picture);
        QVERIFY2((top.at(picture) > 180) == topShown, qPrintable(where + QString(": %1").arg(top.at(picture))));
        QVERIFY2((bottom.at(picture) > 180) == bottomShown, qPrintable(where + QString(": %1").arg(bottom.at(picture))));
        QVERIFY2(above.at(picture) < 60, qPrintable(where));
    }
}

// Where only forced captions are wanted, an ordinary track gives only the
// captions it flags forced, a track flagged forced all of them; where all
// are wanted, every one. Each keeps its own span.
void TestPictureSubtitles::forcedCaptionsOnly()
{
    const QString film = work.filePath("film-copy-0.mkv");
    QVERIFY(QFile::exists(film) || makeFilm(film, false, "copy"));
    const QList<QPair<bool, bool>> cases{{true, false}, {true, true}, {false, false}};
    for (const auto &[forcedOnly, trackForced] : cases) {
        QList<QPair<qint64, qint64>> spans;
        QVERIFY(readSpans(film, 2, forcedOnly, trackForced, spans));
        QList<QPair<qint64, qint64>> expected;
        for (const Caption &caption : captions) {
            if (caption.forced || !forcedOnly || trackForced)
                expected.append({qRound64(caption.start * 1000), qRound64(caption.end * 1000)});
        }
        QCOMPARE(spans, expected);
    }
}

// Converted without -fix_sub_duration, a DVD track tells each caption to
// last 2^32 - 1 ms: each is shown until the next, the last for a bounded while.
void TestPictureSubtitles::captionsWithoutEnds()
{
    const QString sup = work.filePath("captions.sup");
    const QString film = work.filePath("endless.mkv");
    QVERIFY(TestMedia::writeFile(sup, blurayStream(false)));
    QVERIFY(TestMedia::make(film, {"-f", "lavfi", "-i", "color=size=960x400:rate=25:duration=8", "-copyts", "-i", sup,
                                   "-map", "0", "-map", "1", "-c:v", "libx264", "-preset", "ultrafast", "-c:s", "dvdsub"}));
    QList<QPair<qint64, qint64>> spans;
    QVERIFY(readSpans(film, 1, false, false, spans));
    const QList<QPair<qint64, qint64>> expected{
        {600, 1700}, {1700, 6400}, {6400, 6400 + CaptionTimeline::longestOpen}};
    QCOMPARE(spans, expected);
}

using Spans = QList<QPair<qint64, qint64>>;

// Pictures from 2 s to 6 s: the last caption starts after them and is never
// decoded; the first ends before them, which only a DVD picture tells
// before it is decoded.
void TestPictureSubtitles::captionsOutsideTheFilmAreSkipped()
{
    for (const QString codec : {"copy", "dvdsub"}) {
        const QString film = work.filePath(QString("film-%1-0.mkv").arg(codec));
        QVERIFY(QFile::exists(film) || makeFilm(film, false, codec));
        Spans spans;
        QVERIFY(readSpans(film, 2, false, false, spans, {2000, 6000}));
        QList<qint64> starts;
        for (const auto &span : spans)
            starts.append(span.first);
        QCOMPARE(starts, codec == "copy" ? QList<qint64>({600, 1700}) : QList<qint64>({1700}));
    }
}

// A set that shows nothing clears the caption before it, as a player does,
// though libavcodec refuses it for naming what the track lacks; one that
// would show an object in a palette it lacks is left out.
void TestPictureSubtitles::clearingSetsNamingWhatIsMissing()
{
    const Spans asShown{{600, 1600}, {1700, 5800}, {6400, 7400}};
    const struct
    {
        int object, palette;
        bool forcedOnly;
        Spans expected;
    } cases[] = {{7, 0, false, asShown}, {7, 0, true, {{1700, 5800}}}, {7, 5, false, asShown},
                 {0, 5, false, {{600, 1700}, {1700, 6400}, {6400, 16400}}}};
    const QString sup = work.filePath("clearing.sup");
    int made = 0;
    for (const auto &one : cases) {
        const QString film = work.filePath(QString("clearing-%1.mkv").arg(made++));
        QVERIFY(TestMedia::writeFile(sup, blurayStream(false, {one.object, one.forcedOnly, one.palette})));
        QVERIFY(TestMedia::make(film, {"-f", "lavfi", "-i", "color=size=64x64:rate=1:duration=8", "-copyts", "-i",
                                       sup, "-map", "0", "-map", "1", "-c:v", "libx264", "-c:s", "copy"}));
        Spans spans;
        QVERIFY(readSpans(film, 1, one.forcedOnly, false, spans));
        QCOMPARE(spans, one.expected);
    }
}

// Each Blu-ray caption comes as two display sets, one showing it and an
// empty one clearing it; only the first is a cue when tracks are compared.
void TestPictureSubtitles::cuesCountedByWhatShows()
{
    const QString film = work.filePath("film-copy-0.mkv");
    QVERIFY(QFile::exists(film) || makeFilm(film, false, "copy"));
    LibAv libAv;
    QVERIFY2(libAv.load(), libAv.error().c_str());
    MediaFile file(libAv);
    QVERIFY(file.open(film.toStdString(), MediaFile::openTimeLimit) && file.findStreams());
    std::vector<StreamDescription> streams = describeTracks(file);
    countCues(file, streams, std::chrono::seconds(30));
    QCOMPARE(streams.at(2).cueCount, int(std::size(captions)));
}

QTEST_GUILESS_MAIN(TestPictureSubtitles)
#include "tst_picturesubtitles.moc"
