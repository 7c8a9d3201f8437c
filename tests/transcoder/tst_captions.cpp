#include "testmedia.h"

#include "transcoder/encoding/captionswitch.h"
#include "transcoder/media/libav.h"
#include "transcoder/subtitles/captioncanvas.h"
#include "transcoder/subtitles/captionplacement.h"
#include "transcoder/subtitles/captiontimeline.h"
#include "transcoder/subtitles/subripfile.h"
#include "transcoder/subtitles/subtitleoutput.h"
#include "transcoder/subtitles/subtitletext.h"
#include "transcoder/tracks/languagecode.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

extern "C" {
#include <libavutil/eval.h>
}

// Where and when picture captions are burned, without media: their place
// in the output picture, their spans, and their colours once resampled;
// and text subtitles written as SubRip in the reader's code page.
namespace {

using Sizes = CaptionPlacement::Sizes;
using Box = CaptionPlacement::Box;
using Spans = QList<QPair<qint64, qint64>>;

PictureCaption::Piece piece(int x, int y, int width, int height, std::uint32_t argb = 0xffffffff)
{
    return {x, y, width, height, std::vector<std::uint32_t>(std::size_t(width) * height, argb)};
}

PictureCaption caption(std::int64_t start, std::int64_t end, bool empty = false)
{
    PictureCaption made;
    made.start = start;
    made.end = end;
    if (!empty)
        made.pieces.push_back(piece(0, 0, 1, 1));
    return made;
}

using TestMedia::readFile;
using TestMedia::writeFile;

QStringList files(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden);
}

// A German SubRip track, flagged default, beside English sound.
StreamDescription germanTrack()
{
    StreamDescription track;
    track.index = 2;
    track.kind = StreamDescription::Kind::Subtitle;
    track.codecId = AV_CODEC_ID_SUBRIP;
    track.language = "ger";
    track.isDefault = true;
    return track;
}

} // namespace

Q_DECLARE_METATYPE(Sizes)
Q_DECLARE_METATYPE(Box)
Q_DECLARE_METATYPE(PictureCaption)

class TestCaptions : public QObject
{
    Q_OBJECT

private slots:
    void placement_data();
    void placement();
    void piecesMoveTogether();
    void spans_data();
    void spans();
    void resampledColours();
    void overlaySwitch();
    void codePage_data();
    void codePage();
    void textCleanup_data();
    void textCleanup();
    void subRipFile();
    void sidecar_data();
    void sidecar();
};

void TestCaptions::placement_data()
{
    QTest::addColumn<Sizes>("sizes");
    QTest::addColumn<Box>("onCanvas");
    QTest::addColumn<Box>("expected");
    // canvas, picture, output
    QTest::newRow("the canvas is the picture, scaled down")
        << Sizes{1920, 1080, 1920, 1080, 720, 404} << Box{480, 900, 960, 120} << Box{180, 336.67, 360, 44.89};
    QTest::newRow("unknown canvas: the picture's")
        << Sizes{0, 0, 720, 576, 720, 576} << Box{100, 500, 200, 50} << Box{100, 500, 200, 50};
    QTest::newRow("cropped film: a caption in the lower bar moves up into the picture")
        << Sizes{1920, 1080, 1920, 800, 720, 300} << Box{480, 950, 960, 80} << Box{180, 270, 360, 30};
    QTest::newRow("cropped film: a caption inside the picture stays where the film shows it")
        << Sizes{1920, 1080, 1920, 800, 1920, 800} << Box{480, 600, 960, 80} << Box{480, 460, 960, 80};
    QTest::newRow("cropped at the sides: centred across")
        << Sizes{1920, 1080, 1440, 1080, 1440, 1080} << Box{0, 900, 400, 80} << Box{0, 900, 400, 80};
    QTest::newRow("film scaled down from its disc: the canvas alike")
        << Sizes{1920, 1080, 1280, 720, 1280, 720} << Box{480, 900, 960, 120} << Box{320, 600, 640, 80};
    QTest::newRow("taller than the cropped picture: shrunk to fit")
        << Sizes{1920, 1080, 1920, 400, 1920, 400} << Box{0, 400, 1920, 600} << Box{320, 0, 1280, 400};
    QTest::newRow("beyond the right edge: moved inside")
        << Sizes{1920, 1080, 1920, 1080, 1920, 1080} << Box{1800, 900, 400, 80} << Box{1520, 900, 400, 80};
    QTest::newRow("anamorphic picture: the caption squeezed with it")
        << Sizes{720, 576, 720, 576, 720, 404} << Box{160, 480, 400, 60} << Box{160, 336.67, 400, 42.08};
}

void TestCaptions::placement()
{
    QFETCH(Sizes, sizes);
    QFETCH(Box, onCanvas);
    QFETCH(Box, expected);
    PictureCaption shown;
    shown.pieces.push_back(piece(int(onCanvas.x), int(onCanvas.y), int(onCanvas.width), int(onCanvas.height)));
    const Box placed = CaptionPlacement(sizes, shown).place(shown.pieces.front());
    const auto near = [](double a, double b) { return std::abs(a - b) < 0.01; };
    const QString text = QString("%1,%2 %3x%4").arg(placed.x).arg(placed.y).arg(placed.width).arg(placed.height);
    QVERIFY2(near(placed.x, expected.x) && near(placed.y, expected.y) && near(placed.width, expected.width)
                 && near(placed.height, expected.height), qPrintable(text));
    QVERIFY(placed.y + placed.height <= sizes.outputHeight + 0.01 && placed.x + placed.width <= sizes.outputWidth + 0.01);
}

// Two lines of one caption, each its own piece, keep their distance when
// the caption is moved into a cropped picture.
void TestCaptions::piecesMoveTogether()
{
    PictureCaption twoLines;
    twoLines.pieces = {piece(600, 930, 700, 50), piece(500, 990, 900, 50)};
    const CaptionPlacement placement(Sizes{1920, 1080, 1920, 800, 1920, 800}, twoLines);
    const Box first = placement.place(twoLines.pieces[0]);
    const Box second = placement.place(twoLines.pieces[1]);
    QCOMPARE(second.y - first.y, 60.0);
    QCOMPARE(second.x - first.x, -100.0);
    QCOMPARE(second.y + second.height, 800.0);
}

void TestCaptions::spans_data()
{
    const std::int64_t open = PictureCaption::openEnd;
    const std::int64_t longest = CaptionTimeline::longestOpen;
    QTest::addColumn<QList<PictureCaption>>("track");
    QTest::addColumn<Spans>("expected");
    QTest::newRow("ends as told") << QList{caption(1000, 2000), caption(3000, 4000)} << Spans{{1000, 2000}, {3000, 4000}};
    QTest::newRow("cut short by the next") << QList{caption(1000, 5000), caption(3000, 4000)}
                                           << Spans{{1000, 3000}, {3000, 4000}};
    QTest::newRow("without an end: until the next, or an empty one")
        << QList{caption(1000, open), caption(2500, open), caption(4000, 0, true)} << Spans{{1000, 2500}, {2500, 4000}};
    QTest::newRow("without an end, and nothing after it: a bounded while")
        << QList{caption(1000, open), caption(1000 + 3 * longest, open)}
        << Spans{{1000, 1000 + longest}, {1000 + 3 * longest, 1000 + 4 * longest}};
    QTest::newRow("without an end, cleared long after: until cleared")
        << QList{caption(1000, open), caption(1000 + 2 * longest, 0, true)} << Spans{{1000, 1000 + 2 * longest}};
    QTest::newRow("before the first picture: cut to start with it, or dropped")
        << QList{caption(-3000, -1000), caption(-500, 800)} << Spans{{0, 800}};
    QTest::newRow("replaced at its own start") << QList{caption(1000, 2000), caption(1000, 3000)}
                                               << Spans{{1000, 3000}};
}

void TestCaptions::spans()
{
    QFETCH(QList<PictureCaption>, track);
    QFETCH(Spans, expected);
    Spans shown;
    CaptionTimeline timeline([&shown](const PictureCaption &, std::int64_t start, std::int64_t end) {
        shown.append({start, end});
        return true;
    });
    for (const PictureCaption &next : track)
        QVERIFY(timeline.add(next));
    QVERIFY(timeline.finish());
    QCOMPARE(shown, expected);
}

// The palette's colours and transparency come through as they are, and a
// reduced edge fades out in the caption's own colour, never into a dark fringe.
void TestCaptions::resampledColours()
{
    PictureCaption halfRed;
    halfRed.pieces.push_back(piece(0, 0, 2, 1, 0x80ff0000));
    CaptionCanvas canvas(4, 4);
    canvas.paint(halfRed, Sizes{4, 4, 4, 4, 4, 4});
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(canvas.rgba()), 8), QByteArray::fromHex("ff000080ff000080"));
    QCOMPARE(int(canvas.rgba()[8 + 3]), 0);

    // Where pieces overlap, the upper one's share shows over what is below.
    PictureCaption overlapping;
    overlapping.pieces = {piece(0, 0, 1, 1, 0xff0000ff), piece(0, 0, 1, 1, 0x40ff0000)};
    CaptionCanvas layered(1, 1);
    layered.paint(overlapping, Sizes{1, 1, 1, 1, 1, 1});
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(layered.rgba()), 4), QByteArray::fromHex("4000bfff"));

    PictureCaption edge;
    edge.pieces.push_back(piece(0, 0, 2, 2, 0));
    edge.pieces.front().pixels[0] = edge.pieces.front().pixels[2] = 0xffffffff;
    CaptionCanvas reduced(1, 1);
    reduced.paint(edge, Sizes{2, 2, 2, 2, 1, 1});
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(reduced.rgba()), 4), QByteArray::fromHex("ffffff80"));
    reduced.clear();
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(reduced.rgba()), 4), QByteArray(4, 0));
}

// The overlay's switch, evaluated by libavutil as ffmpeg evaluates it for
// each picture: on exactly within the spans, and where a film has too many
// for one argument, still on within every one of them.
void TestCaptions::overlaySwitch()
{
    TimeSpans spans{{600, 1600}, {1700, 5800}, {6400, 7400}};
    std::int64_t at = 8000;
    QRandomGenerator random(7);
    while (spans.size() < 2000) {
        const std::int64_t start = at + random.bounded(1, 3000);
        spans.emplace_back(start, start + random.bounded(500, 6000));
        at = spans.back().second;
    }
    static const char *const names[] = {"t", nullptr};
    const auto parse = [](const std::string &text) {
        AVExpr *expression = nullptr;
        return av_expr_parse(&expression, text.c_str(), names, nullptr, nullptr, nullptr, nullptr, 0, nullptr) >= 0
                   ? std::shared_ptr<AVExpr>(expression, av_expr_free)
                   : nullptr;
    };
    const auto shown = [](const std::shared_ptr<AVExpr> &expression, std::int64_t milliseconds) {
        const double values[] = {milliseconds / 1000.0};
        return av_expr_eval(expression.get(), values, nullptr) != 0;
    };
    const auto inside = [&spans](std::int64_t milliseconds) {
        return std::any_of(spans.begin(), spans.end(),
                           [=](const auto &span) { return milliseconds >= span.first && milliseconds < span.second; });
    };
    const std::string exactText = CaptionSwitch::expression(spans, 1000000);
    const std::string joinedText = CaptionSwitch::expression(spans, 20000);
    QVERIFY(joinedText.size() <= 20000 && joinedText.size() < exactText.size());
    const std::shared_ptr<AVExpr> exact = parse(exactText);
    const std::shared_ptr<AVExpr> joined = parse(joinedText);
    QVERIFY(exact && joined);
    int outside = 0, offWhenJoined = 0;
    for (std::int64_t t = 0; t < spans.back().second + 1000; t += 37) {
        QCOMPARE(shown(exact, t), inside(t));
        if (inside(t))
            QVERIFY(shown(joined, t));
        outside += !inside(t);
        offWhenJoined += !shown(joined, t);
    }
    // Only the shortest gaps were given up: the longest keep the overlay off.
    QVERIFY2(offWhenJoined * 4 > outside, qPrintable(QString("%1 of %2").arg(offWhenJoined).arg(outside)));
    QVERIFY(CaptionSwitch::expression({}, 1000).empty());
}

void TestCaptions::codePage_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("expected");
    const QByteArray bom = "\xEF\xBB\xBF";
    QTest::newRow("German in 1252") << "ger" << "Grüße €" << QByteArray("Gr\xFC\xDF" "e \x80");
    QTest::newRow("Polish in 1250") << "pl" << "Łódź" << QByteArray("\xA3\xF3" "d\x9F");
    QTest::newRow("Russian in 1251") << "rus" << "Да" << QByteArray("\xC4\xE0");
    QTest::newRow("Greek in 1253") << "gre" << "Ωμ" << QByteArray("\xD9\xEC");
    QTest::newRow("Turkish in 1254") << "tur" << "ğ" << QByteArray("\xF0");
    QTest::newRow("Hebrew in 1255") << "heb" << "ש" << QByteArray("\xF9");
    QTest::newRow("Arabic in 1256") << "ara" << "ب" << QByteArray("\xC8");
    QTest::newRow("Lithuanian in 1257") << "lit" << "ų" << QByteArray("\xF8");
    QTest::newRow("Japanese in 932") << "jpn" << "あ" << QByteArray("\x82\xA0");
    QTest::newRow("Chinese in 936") << "chi" << "中" << QByteArray("\xD6\xD0");
    QTest::newRow("Korean in 949") << "kor" << "가" << QByteArray("\xB0\xA1");
    QTest::newRow("Traditional Chinese in 950") << "zh-TW" << "中" << QByteArray("\xA4\xA4");
    QTest::newRow("a character that does not fit") << "eng" << "Привет" << bom + "Привет";
    QTest::newRow("unknown language") << "" << "Grüße" << bom + "Grüße";
    QTest::newRow("a language without a code page") << "vie" << "Việt" << bom + "Việt";
}

void TestCaptions::codePage()
{
    QFETCH(QString, language);
    QFETCH(QString, text);
    QFETCH(QByteArray, expected);
    const int page = LanguageCode::codePage(language.toStdString());
    QCOMPARE(QByteArray::fromStdString(SubRipFile::encoded(text.toStdString(), page)), expected);
}

void TestCaptions::textCleanup_data()
{
    QTest::addColumn<QString>("event");
    QTest::addColumn<QString>("expected");
    const QString fields = "0,0,Default,,0,0,0,,";
    QTest::newRow("plain") << fields + "Hello, world" << "Hello, world";
    QTest::newRow("line breaks") << fields + "one\\Ntwo\\nthree" << "one\ntwo\nthree";
    QTest::newRow("positioning and colour go") << fields + "{\\an8\\pos(10,20)}Top {\\c&H00FF00&}green"
                                               << "Top green";
    QTest::newRow("italics stay") << fields + "{\\i1}leaning{\\i0} upright" << "<i>leaning</i> upright";
    QTest::newRow("italics across a break") << fields + "{\\i1}one\\Ntwo" << "<i>one\ntwo</i>";
    QTest::newRow("reset ends italics") << fields + "{\\i1}a{\\r}b" << "<i>a</i>b";
    QTest::newRow("no empty lines, no empty italics") << fields + "\\N{\\i1}\\N  x \\N\\N{\\i0}" << "<i>x</i>";
    QTest::newRow("drawings are not words") << fields + "{\\p1}m 0 0 l 10 10{\\p0}word" << "word";
    QTest::newRow("hard space") << fields + "a\\hb" << "a b";
    QTest::newRow("tags only") << fields + "{\\an8}" << "";
    QTest::newRow("too few fields") << "0,0,Default" << "";
}

void TestCaptions::textCleanup()
{
    QFETCH(QString, event);
    QFETCH(QString, expected);
    QCOMPARE(QString::fromStdString(SubtitleText::fromAssEvent(event.toStdString())), expected);
}

void TestCaptions::subRipFile()
{
    const std::string text = SubRipFile::text({{3723004, 3724500, "later\nsecond line"},
                                               {979, 2479, "first"},
                                               {5000, 5000, "never shown"},
                                               {6000, 7000, ""}});
    QCOMPARE(QByteArray::fromStdString(text),
             QByteArray("1\r\n00:00:00,979 --> 00:00:02,479\r\nfirst\r\n\r\n"
                        "2\r\n01:02:03,004 --> 01:02:04,500\r\nlater\r\nsecond line\r\n\r\n"));
}

void TestCaptions::sidecar_data()
{
    QTest::addColumn<QString>("sidecarName");
    QTest::addColumn<bool>("sameFolder");
    QTest::addColumn<bool>("copied");
    QTest::newRow("NAME.srt") << "film.srt" << false << true;
    QTest::newRow("NAME.<reader's language>.srt") << "film.deu.srt" << false << true;
    QTest::newRow("another language's is not taken") << "film.fr.srt" << false << false;
    QTest::newRow("into its own folder: untouched") << "film.srt" << true << true;
}

// A subtitle file kept beside the input, copied byte for byte for a German
// reader; the embedded German track, chosen for English sound otherwise,
// is not looked at when there is one.
void TestCaptions::sidecar()
{
    QFETCH(QString, sidecarName);
    QFETCH(bool, sameFolder);
    QFETCH(bool, copied);
    const QTemporaryDir work;
    const QString in = work.filePath("in");
    const QString out = sameFolder ? in : work.filePath("out");
    QVERIFY(QDir().mkpath(in) && QDir().mkpath(out));
    // Latin-1, LF line ends, no final line end: nothing a copy may change.
    const QByteArray sidecar = "1\n00:00:00,500 --> 00:00:01,000\nK\xE4se\n\n2\n00:00:01,500 --> 00:00:02,000\nEnde";
    QVERIFY(writeFile(in + "/film.mkv", "never read") && writeFile(in + '/' + sidecarName, sidecar));
    const QStringList inputsBefore = files(in);
    LibAv libAv;   // left unloaded: a copy needs no decoding
    SubtitleOutput output(libAv, (in + "/film.mkv").toStdString(), (out + "/film.avi").toStdString(),
                          std::chrono::seconds(1));
    output.findSidecar("de");
    output.choose(germanTrack());
    QVERIFY(output.write(false));
    output.publish();
    QCOMPARE(readFile(out + "/film.srt"), copied ? sidecar : QByteArray());
    QCOMPARE(files(in), inputsBefore);
    if (!sameFolder)   // nothing else, no part files
        QCOMPARE(files(out), copied ? QStringList{"film.srt"} : QStringList());
}

QTEST_GUILESS_MAIN(TestCaptions)
#include "tst_captions.moc"
