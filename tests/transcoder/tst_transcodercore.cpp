#include "transcoder/commandline.h"
#include "transcoder/encoding/colourconversion.h"
#include "transcoder/encoding/ffmpegcommand.h"
#include "transcoder/encoding/fieldsurvey.h"
#include "transcoder/encoding/outputbudget.h"
#include "transcoder/files/partfile.h"
#include "transcoder/media/playingtime.h"
#include "transcoder/encoding/playerenvelope.h"
#include "transcoder/run/progressreader.h"
#include "transcoder/run/progresssender.h"
#include "transcoder/encoding/qualitycurve.h"

#include "protocol/toolarguments.h"

extern "C" {
#include <libavutil/pixfmt.h>
}

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

namespace {

std::vector<std::string> toStrings(const QStringList &list)
{
    std::vector<std::string> strings;
    for (const QString &item : list)
        strings.push_back(item.toStdString());
    return strings;
}

// What the tool's command line makes of the arguments the application sends.
CommandLine parse(const QStringList &arguments)
{
    std::vector<std::string> strings = toStrings(QStringList{"tarvelo-transcode"} + arguments);
    std::vector<char *> argv;
    for (std::string &argument : strings)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    return parseCommandLine(int(strings.size()), argv.data());
}

InputFacts facts(int width, int height, InputFacts::Rate rate, InputFacts::Rate pixelAspect = {1, 1})
{
    InputFacts facts;
    facts.width = width;
    facts.height = height;
    facts.frameRate = rate;
    facts.pixelAspect = pixelAspect;
    return facts;
}

// Five seconds as the detector sees them: telecined film repeats a field in
// two pictures of five, soft pulldown's decoder gives 23.976 pictures a second.
const InputFacts::FieldSample hardFilm{150, 149 / 29.97, 60, 150, 0};
const InputFacts::FieldSample softFilm{120, 119 / 23.976, 0, 0, 0, 59};
const InputFacts::FieldSample interlacedVideo{150, 149 / 29.97, 2, 150, 0};
const InputFacts::FieldSample stillOrProgressive{150, 149 / 29.97, 0, 0, 0};

InputFacts sampled(InputFacts::Rate rate, std::vector<InputFacts::FieldSample> samples,
                   InputFacts::Scan scan = InputFacts::Scan::Unknown)
{
    InputFacts input = facts(720, 480, rate, {8, 9});
    input.fieldSamples = std::move(samples);
    input.scan = scan;
    return input;
}

QString valueAfter(const std::vector<std::string> &arguments, const char *option)
{
    for (std::size_t i = 0; i + 1 < arguments.size(); ++i) {
        if (arguments[i] == option)
            return QString::fromStdString(arguments[i + 1]);
    }
    return QString();
}

// The progress lines a sender writes for these reports.
QByteArray sentLines(std::uint32_t duration, std::initializer_list<std::uint32_t> reports, bool finish)
{
    char *buffer = nullptr;
    std::size_t size = 0;
    std::FILE *lines = open_memstream(&buffer, &size);
    {
        ProgressSender sender(duration, lines);
        for (std::uint32_t seconds : reports)
            sender.report(seconds);
        if (finish)
            sender.finish();
    }
    std::fclose(lines);
    const QByteArray text(buffer, qsizetype(size));
    std::free(buffer);
    return text;
}

} // namespace

// The tool's logic without media or processes: each case names the slip it
// would catch in a second instead of after a conversion.
class TestTranscoderCore : public QObject
{
    Q_OBJECT

private slots:
    void curveNeverGetsWorseAndKeepsItsAnchors();
    void progressReaderTakesOnlyWholeGrowingSeconds();
    void progressSenderClampsAndNeverRepeats();
    void commandLineAcceptsTheApplicationsShapes();
    void commandLineRefusalsSayWhy_data();
    void commandLineRefusalsSayWhy();
    void envelopeFitsTheRate_data();
    void envelopeFitsTheRate();
    void envelopeFitsPicturesShownShape_data();
    void envelopeFitsPicturesShownShape();
    void envelopeTakesOnlyMpeg1SoundRates();
    void pulldownIsUndoneOnlyWhereAllSamplesAreFilm_data();
    void pulldownIsUndoneOnlyWhereAllSamplesAreFilm();
    void fieldSurveyReadsTheDetectorsReportInSamples();
    void ffmpegArgumentsKeepPathsOpaque();
    void chosenSoundIsMapped();
    void ffmpegArgumentsFollowTheCurveWithinThePlayersReach();
    void budgetFillsTheRoomOrRefuses_data();
    void budgetFillsTheRoomOrRefuses();
    void budgetLimitIsReadStrictly();
    void ffmpegFiltersFollowTheInput_data();
    void ffmpegFiltersFollowTheInput();
    void ffmpegSegmentsKeepTheSingleRunsTimeline();
    void coloursAreReadByTagElseBySize_data();
    void coloursAreReadByTagElseBySize();
    void hdrHighlightsRollOffInOrder_data();
    void hdrHighlightsRollOffInOrder();
    void sceneCutThresholdFollowsQuantiserAndSize_data();
    void sceneCutThresholdFollowsQuantiserAndSize();
    void partNamesAreHiddenDistinctAndBounded();
    void onlyPartsOfGoneWritersAreRemoved();
    void playingTimeIsWhatPicturesAndSoundPlay_data();
    void playingTimeIsWhatPicturesAndSoundPlay();
};

void TestTranscoderCore::curveNeverGetsWorseAndKeepsItsAnchors()
{
    const struct { int quality, quantiser; const char *mp3; } anchors[] = {
        {0, 31, "9.0"}, {25, 10, "7.0"}, {50, 4, "4.0"}, {75, 3, "2.0"}, {99, 2, "0.0"}};
    for (const auto &anchor : anchors) {
        const QualityCurve curve(anchor.quality);
        QCOMPARE(curve.videoQuantiser(), anchor.quantiser);
        QCOMPARE(curve.mp3QualityText(), std::string(anchor.mp3));
    }
    for (int quality = 1; quality <= 99; ++quality) {
        const QualityCurve lower(quality - 1), curve(quality);
        QVERIFY2(curve.videoQuantiser() <= lower.videoQuantiser(), qPrintable(QString::number(quality)));
        QVERIFY2(std::stod(curve.mp3QualityText()) <= std::stod(lower.mp3QualityText()),
                 qPrintable(QString::number(quality)));
    }
    // Between the anchors the curve is interpolated, not stepped.
    QCOMPARE(QualityCurve(10).videoQuantiser(), 23);
    QCOMPARE(QualityCurve(37).mp3QualityText(), std::string("5.6"));
    QCOMPARE(QualityCurve(-5).videoQuantiser(), 31);
    QCOMPARE(QualityCurve(500).videoQuantiser(), 2);
}

void TestTranscoderCore::progressReaderTakesOnlyWholeGrowingSeconds()
{
    ProgressReader reader;
    const auto feed = [&](const std::string &text) { return reader.feed(text.data(), text.size()); };
    QVERIFY(!feed("out_time_us=N/A\nout_time_us=-40000\n"));
    // A line split anywhere is read once it is whole.
    QVERIFY(!feed("out_time_us=2"));
    QVERIFY(feed("500000\n"));
    QCOMPARE(reader.seconds(), 2u);
    QVERIFY(!feed("out_time_us=2900000\nout_time_us=1000000\n"));
    QCOMPARE(reader.seconds(), 2u);
    QVERIFY(feed("out_time_ms=4000000\nframe=100\n"));
    QCOMPARE(reader.seconds(), 4u);
    QVERIFY(!feed("out_time_us=99999999999999999\n"));
    QCOMPARE(reader.seconds(), 4u);
}

void TestTranscoderCore::progressSenderClampsAndNeverRepeats()
{
    QCOMPARE(sentLines(10, {1, 1, 3, 2, 40}, false), QByteArray("@progress 1\n@progress 3\n@progress 10\n"));
    QCOMPARE(sentLines(10, {4}, true), QByteArray("@progress 4\n@progress 10\n"));
    QCOMPARE(sentLines(10, {11}, false), QByteArray("@progress 10\n"));
    // Without a duration there is no band to place a value in.
    QCOMPARE(sentLines(0, {4}, true), QByteArray());

    // A person at a terminal is not a reader of lines.
    const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
    QVERIFY(terminal >= 0 && ::grantpt(terminal) == 0 && ::unlockpt(terminal) == 0);
    std::FILE *shown = std::fopen(::ptsname(terminal), "w");
    QVERIFY(shown);
    ProgressSender(10, shown).finish();
    char echoed[64] = {};
    ::fcntl(terminal, F_SETFL, O_NONBLOCK);
    const ssize_t got = ::read(terminal, echoed, sizeof(echoed));
    std::fclose(shown);
    ::close(terminal);
    QCOMPARE(got, ssize_t(-1));
}

void TestTranscoderCore::commandLineAcceptsTheApplicationsShapes()
{
    const CommandLine probe = parse(probeToolArguments(QStringLiteral("-a b.mp4")));
    QCOMPARE(probe.mode, CommandLine::Mode::Probe);
    QCOMPARE(probe.inputPath, std::string("-a b.mp4"));

    const CommandLine convert = parse(convertToolArguments(QStringLiteral("##in.mp4"), QStringLiteral("$out.avi"), 7));
    QCOMPARE(convert.mode, CommandLine::Mode::Convert);
    QCOMPARE(convert.inputPath, std::string("##in.mp4"));
    QCOMPARE(convert.outputPath, std::string("$out.avi"));
    QCOMPARE(convert.quality, 7);
    QCOMPARE(parse({"--help"}).mode, CommandLine::Mode::Help);
}

void TestTranscoderCore::commandLineRefusalsSayWhy_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("error");
    const QStringList convert = convertToolArguments("a.mkv", "a.avi", 50);
    const auto changed = [&](int index, const QString &value) {
        QStringList arguments = convert;
        arguments[index] = value;
        return arguments;
    };
    QTest::newRow("nothing") << QStringList{} << "no arguments";
    QTest::newRow("extra argument") << convert + QStringList{"-y"}
                                    << "14 arguments, where a probe takes 2 and a conversion 13";
    QTest::newRow("empty probe path") << probeToolArguments(QString()) << "the input path is empty";
    QTest::newRow("empty output") << changed(12, QString()) << "the output path is empty";
    QTest::newRow("another codec") << changed(3, "libx264") << "argument 4 is \"libx264\", not \"mpeg4\"";
    QTest::newRow("control characters") << changed(0, "-i\n") << "argument 1 is \"-i?\", not \"-i\"";
    QTest::newRow("delete character") << changed(0, "-i\x7f") << "argument 1 is \"-i?\", not \"-i\"";
    QTest::newRow("quality above 99") << changed(5, "100") << "the quality \"100\" is not a whole number from 0 to 99";
    QTest::newRow("leading zero") << changed(5, "050") << "the quality \"050\" is not a whole number from 0 to 99";
    QTest::newRow("negative quality") << changed(5, "-1") << "the quality \"-1\" is not a whole number from 0 to 99";
    QTest::newRow("quality not a number") << changed(9, "5x") << "the quality \"5x\" is not a whole number from 0 to 99";
    QTest::newRow("two different qualities") << changed(9, "20") << "the two qualities differ";
    QTest::newRow("two qualities, the first 0") << changed(5, "0") << "the two qualities differ";
}

void TestTranscoderCore::commandLineRefusalsSayWhy()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, error);
    const CommandLine commandLine = parse(arguments);
    QCOMPARE(commandLine.mode, CommandLine::Mode::Invalid);
    QCOMPARE(QString::fromStdString(commandLine.error), error);
}

Q_DECLARE_METATYPE(InputFacts)
Q_DECLARE_METATYPE(InputFacts::Colour)
Q_DECLARE_METATYPE(ColourConversion::Matrix)
Q_DECLARE_METATYPE(ColourConversion::Transfer)

// A steady rate is divided by the smallest whole number that brings it to
// 30 or below; a varying one becomes a film rate at or above its average,
// and a slideshow is repeated up to a film rate.
void TestTranscoderCore::envelopeFitsTheRate_data()
{
    QTest::addColumn<int>("num");
    QTest::addColumn<int>("den");
    QTest::addColumn<bool>("varies");
    QTest::addColumn<int>("outNum");
    QTest::addColumn<int>("outDen");
    QTest::addColumn<int>("step");
    QTest::addColumn<bool>("retimes");
    const auto row = [](const char *name, int num, int den, bool varies, int outNum, int outDen, int step) {
        QTest::newRow(name) << num << den << varies << outNum << outDen << step << (varies || num < 10 * den);
    };
    row("50", 50, 1, false, 25, 1, 2);
    row("59.94", 60000, 1001, false, 30000, 1001, 2);
    row("59.94, rounded by the container", 5994, 100, false, 30000, 1001, 2);
    row("60", 60, 1, false, 30, 1, 2);
    row("120", 120, 1, false, 30, 1, 4);
    row("48", 48, 1, false, 24, 1, 2);
    row("40: the smallest divisor, not the nearest", 40, 1, false, 20, 1, 2);
    row("29.97 kept", 30000, 1001, false, 30000, 1001, 1);
    row("23.976 kept", 24000, 1001, false, 24000, 1001, 1);
    row("15 kept", 15, 1, false, 15, 1, 1);
    row("12 kept", 12, 1, false, 12, 1, 1);
    // The slowest steady rate that players show keeps its own pictures.
    row("steady 10 kept", 10, 1, false, 10, 1, 1);
    row("phone's 29.69 to 29.97", 2969, 100, true, 30000, 1001, 1);
    row("varying 24.5 to 25", 49, 2, true, 25, 1, 1);
    row("varying 29.98 to 30", 2998, 100, true, 30, 1, 1);
    row("varying 45 to 30", 45, 1, true, 30, 1, 1);
    row("varying 12 to 23.976", 12, 1, true, 24000, 1001, 1);
    row("slideshow at 1", 1, 1, false, 25, 1, 1);
    row("slideshow at 0.5", 1, 2, false, 25, 1, 1);
    row("NTSC camera's 7.49", 7500, 1001, false, 30000, 1001, 1);
    row("varying slideshow", 33, 10, true, 25, 1, 1);
}

void TestTranscoderCore::envelopeFitsTheRate()
{
    QFETCH(int, num);
    QFETCH(int, den);
    QFETCH(bool, varies);
    InputFacts input = facts(320, 240, {num, den});
    input.variableRate = varies;
    const PlayerEnvelope envelope(input);
    QTEST(envelope.frameRate().num, "outNum");
    QTEST(envelope.frameRate().den, "outDen");
    QTEST(envelope.pictureStep(), "step");
    QTEST(envelope.retimes(), "retimes");
}

void TestTranscoderCore::envelopeFitsPicturesShownShape_data()
{
    QTest::addColumn<InputFacts>("input");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<bool>("scalesDown");
    InputFacts portrait = facts(1920, 1080, {30, 1});
    portrait.quarterTurn = true;
    QTest::newRow("HD at 60: 480 lines at most") << facts(1920, 1080, {60, 1}) << 720 << 406 << true;
    QTest::newRow("HD at 25: width first") << facts(1920, 1080, {25, 1}) << 720 << 406 << true;
    QTest::newRow("upright phone stays upright") << portrait << 270 << 480 << true;
    QTest::newRow("HDV: the shown width is limited") << facts(1440, 1080, {25, 1}, {4, 3}) << 720 << 406 << true;
    QTest::newRow("16:9 PAL DVD stays 16:9") << facts(720, 576, {25, 1}, {64, 45}) << 720 << 406 << true;
    QTest::newRow("PAL at 25 keeps its 576 lines") << facts(720, 576, {25, 1}) << 720 << 576 << false;
    QTest::newRow("4:3 NTSC DVD") << facts(720, 480, {30000, 1001}, {8, 9}) << 640 << 480 << true;
    QTest::newRow("small, untouched") << facts(320, 240, {15, 1}) << 320 << 240 << false;
    QTest::newRow("odd size, evened") << facts(161, 121, {25, 1}) << 160 << 120 << false;
    QTest::newRow("wide pixels, never made wider") << facts(176, 144, {25, 1}, {16, 11}) << 176 << 100 << true;
}

void TestTranscoderCore::envelopeFitsPicturesShownShape()
{
    QFETCH(InputFacts, input);
    const PlayerEnvelope envelope(input);
    QTEST(envelope.width(), "width");
    QTEST(envelope.height(), "height");
    QTEST(envelope.scalesDown(), "scalesDown");
}

void TestTranscoderCore::envelopeTakesOnlyMpeg1SoundRates()
{
    const QList<QPair<int, int>> rates{{22050, 44100}, {11025, 44100}, {16000, 32000}, {8000, 32000},
                                       {24000, 48000}, {96000, 48000}, {88200, 44100}, {44100, 44100},
                                       {48000, 48000}, {32000, 32000}, {37800, 44100}, {0, 0}};
    for (const auto &[input, output] : rates) {
        InputFacts sound;
        sound.sampleRate = input;
        QVERIFY2(PlayerEnvelope(sound).sampleRate() == output, qPrintable(QString::number(input)));
    }
    InputFacts slow;
    slow.sampleRate = 22050;
    QVERIFY(valueAfter(FfmpegCommand("in.vob", 50, slow).arguments("/out.avi"), "-af")
                .contains(QLatin1String("sample_rates=44100,")));
}

Q_DECLARE_METATYPE(Pulldown::Kind)

// Film goes back to 23.976 only where every sample that shows anything
// shows film, and only where the rate can carry pulldown at all.
void TestTranscoderCore::pulldownIsUndoneOnlyWhereAllSamplesAreFilm_data()
{
    QTest::addColumn<InputFacts>("input");
    QTest::addColumn<Pulldown::Kind>("kind");
    QTest::addColumn<int>("outNum");
    const InputFacts::Rate ntsc{30000, 1001};
    QTest::newRow("hard") << sampled(ntsc, {hardFilm, stillOrProgressive}) << Pulldown::Kind::Hard << 24000;
    QTest::newRow("soft") << sampled(ntsc, {softFilm, softFilm}) << Pulldown::Kind::Soft << 24000;
    QTest::newRow("phone slowing to 24") << sampled(ntsc, {{120, 119 / 23.976, 0, 0, 0, 0}}) << Pulldown::Kind::None
                                         << 30000;
    QTest::newRow("soft and hard") << sampled(ntsc, {softFilm, hardFilm}) << Pulldown::Kind::Hard << 24000;
    QTest::newRow("interlaced video") << sampled(ntsc, {interlacedVideo}) << Pulldown::Kind::None << 30000;
    QTest::newRow("film, then video") << sampled(ntsc, {hardFilm, interlacedVideo}) << Pulldown::Kind::Mixed
                                      << 30000;
    QTest::newRow("soft film, then video") << sampled(ntsc, {softFilm, interlacedVideo}) << Pulldown::Kind::Mixed
                                           << 30000;
    QTest::newRow("nothing to tell") << sampled(ntsc, {stillOrProgressive}) << Pulldown::Kind::None << 30000;
    QTest::newRow("too few pictures") << sampled(ntsc, {{19, 18 / 29.97, 8, 19, 0}}) << Pulldown::Kind::None
                                      << 30000;
    QTest::newRow("no pictures") << sampled(ntsc, {{}}) << Pulldown::Kind::None << 30000;
    QTest::newRow("film found at 25") << sampled({25, 1}, {hardFilm}) << Pulldown::Kind::None << 25;
    InputFacts uhd = sampled(ntsc, {hardFilm});
    uhd.width = 3840;
    QTest::newRow("never telecined at 4K") << uhd << Pulldown::Kind::None << 30000;
    QTest::newRow("59.94 halved") << sampled({60000, 1001}, {hardFilm}) << Pulldown::Kind::None << 30000;
}

void TestTranscoderCore::pulldownIsUndoneOnlyWhereAllSamplesAreFilm()
{
    QFETCH(InputFacts, input);
    const PlayerEnvelope envelope(input);
    QTEST(envelope.pulldown(), "kind");
    QTEST(envelope.frameRate().num, "outNum");
    QCOMPARE(envelope.retimes(), envelope.pulldown() == Pulldown::Kind::Soft);
    QCOMPARE(envelope.inputCycle(), envelope.pulldown() == Pulldown::Kind::Hard ? 5 : envelope.pictureStep());
}

// ffmpeg's report comes in pieces of any size; lines are put back together
// and every 150 pictures make a sample of their own.
void TestTranscoderCore::fieldSurveyReadsTheDetectorsReportInSamples()
{
    QByteArray report;
    for (int i = 0; i < 200; ++i) {
        // Two fields and three in turn, as soft pulldown shows them.
        const double time = 0.5 + (5 * (i / 2) + 2 * (i % 2)) * 1001 / 60000.0;
        report += QStringLiteral("frame:%1    pts:%2     pts_time:%3\n").arg(i).arg(i * 1001).arg(time).toUtf8();
        report += i % 5 == 2 ? "lavfi.idet.repeated.current_frame=top\n" : "lavfi.idet.repeated.current_frame=neither\n";
        report += i < 150 ? "lavfi.idet.multiple.current_frame=bff\n" : "lavfi.idet.multiple.current_frame=progressive\n";
    }
    FieldSurvey survey;
    for (qsizetype at = 0; at < report.size(); at += 7)
        survey.feed(report.constData() + at, std::size_t(std::min<qsizetype>(7, report.size() - at)));
    const std::vector<InputFacts::FieldSample> samples = survey.samples();
    QCOMPARE(samples.size(), std::size_t(2));
    QCOMPARE(samples[0].pictures, 150);
    QCOMPARE(samples[0].repeatedFields, 30);
    QCOMPARE(samples[0].combedBottomFirst, 150);
    QVERIFY(std::abs(samples[0].seconds - 372 * 1001 / 60000.0) < 1e-3);
    QCOMPARE(samples[0].threeFieldPictures, 74);
    QCOMPARE(samples[1].pictures, 50);
    QCOMPARE(samples[1].combed, 0);
    QVERIFY(std::abs(samples[1].seconds - 122 * 1001 / 60000.0) < 1e-3);
    // A long film is looked at in stretches spread over it, a short one whole.
    QCOMPARE(FieldSurvey::stretches(6).size(), std::size_t(1));
    QCOMPARE(FieldSurvey::stretches(7200).back().from, 7200 * 0.875 - 5);
}

void TestTranscoderCore::ffmpegArgumentsKeepPathsOpaque()
{
    const std::vector<std::string> arguments = FfmpegCommand("-i clip.mp4", 50, {}).arguments("/out/x.avi");
    const QString current = QDir::currentPath();
    QCOMPARE(valueAfter(arguments, "-i"), "file:" + current + "/-i clip.mp4");
    QCOMPARE(QString::fromStdString(arguments.back()), QStringLiteral("file:/out/x.avi"));
    QCOMPARE(valueAfter(arguments, "-f"), QStringLiteral("avi"));
    QCOMPARE(valueAfter(arguments, "-protocol_whitelist"), QStringLiteral("file"));
    QCOMPARE(QString::fromStdString(arguments.front()), QStringLiteral("ffmpeg"));
}

void TestTranscoderCore::chosenSoundIsMapped()
{
    InputFacts facts;
    facts.soundStream = 3;
    const auto count = [](const std::vector<std::string> &arguments, const char *value) {
        return std::count(arguments.begin(), arguments.end(), value);
    };
    const std::vector<std::string> withSound = FfmpegCommand("in.mkv", 50, facts).arguments("/out.avi");
    QCOMPARE(count(withSound, "0:3"), 1);
    QCOMPARE(count(withSound, "-map"), 2);
    QCOMPARE(count(FfmpegCommand("in.mkv", 50, {}).arguments("/out.avi"), "-map"), 1);
}

void TestTranscoderCore::ffmpegArgumentsFollowTheCurveWithinThePlayersReach()
{
    // The slider's quantiser is rate control's floor, left only where the
    // players' ceiling asks for more; trellis pays at fine quantisers only,
    // coarse ones choose macroblocks by their bits.
    const struct { int quality; const char *quantiser, *mp3; bool trellis; } anchors[] = {
        {0, "31", "9.0", false}, {35, "8", "5.8", false}, {36, "7", "5.7", true}, {50, "4", "4.0", true}};
    for (const auto &anchor : anchors) {
        const std::vector<std::string> arguments =
            FfmpegCommand("in.mp4", anchor.quality, facts(1920, 1080, {60, 1})).arguments("/out.avi");
        const QByteArray where = "Q " + QByteArray::number(anchor.quality);
        QVERIFY2(valueAfter(arguments, "-qmin") == anchor.quantiser && valueAfter(arguments, "-q:a") == anchor.mp3,
                 where);
        QVERIFY2((valueAfter(arguments, "-trellis") == "1") == anchor.trellis
                     && (valueAfter(arguments, "-mbd") == "bits") == !anchor.trellis,
                 where);
    }
    for (int quality = 0; quality <= 99; ++quality) {
        const std::vector<std::string> arguments =
            FfmpegCommand("in.mp4", quality, facts(1920, 1080, {60, 1})).arguments("/out.avi");
        const QByteArray where = "Q " + QByteArray::number(quality);
        QVERIFY2(valueAfter(arguments, "-maxrate") == "4854k" && valueAfter(arguments, "-bufsize") == "1835008"
                     && valueAfter(arguments, "-rc_init_occupancy") == "1835008",
                 where);
        QVERIFY2(valueAfter(arguments, "-b:v").chopped(1).toInt() <= 4000, where);
        QVERIFY2(valueAfter(arguments, "-profile:v") == "15" && valueAfter(arguments, "-level") == "5", where);
        QVERIFY2(valueAfter(arguments, "-bf") == "0" && valueAfter(arguments, "-g").toInt() <= 250, where);
        QVERIFY2(valueAfter(arguments, "-c:v") == "mpeg4" && valueAfter(arguments, "-vtag") == "XVID", where);
        QVERIFY2(valueAfter(arguments, "-c:a") == "libmp3lame", where);
        // Features that players of the format cannot decode.
        for (const std::string &argument : arguments)
            QVERIFY2(argument.find("qpel") == std::string::npos && argument.find("gmc") == std::string::npos,
                     argument.c_str());
        // A fitted picture gets its own average and keeps the slider's floor.
        const std::vector<std::string> fitted =
            FfmpegCommand("in.mp4", quality, facts(1920, 1080, {60, 1})).arguments("/out.avi", 1234000);
        QVERIFY2(valueAfter(fitted, "-b:v") == "1234000" && valueAfter(fitted, "-qmin") == valueAfter(arguments, "-qmin"),
                 where);
    }
}

// Duration, sound and limit in, the picture's rate out: a fitted film fills
// 0.85 to 1.00 of its limit, one that fits anyway is left to the quality.
void TestTranscoderCore::budgetFillsTheRoomOrRefuses_data()
{
    QTest::addColumn<double>("seconds");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<qint64>("soundBytes");
    QTest::addColumn<qint64>("limitMegabytes");
    QTest::addColumn<int>("verdict");
    using Verdict = OutputBudget::Plan::Verdict;
    QTest::newRow("grainy minute in 12 MB") << 60.0 << 720 << 406 << 1900000LL << 12LL << int(Verdict::Fitted);
    QTest::newRow("a CD's 700 MB for two hours") << 7200.0 << 720 << 304 << 150000000LL << 700LL << int(Verdict::Fitted);
    QTest::newRow("four hours in 4 GiB") << 14400.0 << 720 << 576 << 300000000LL << 4096LL << int(Verdict::Fitted);
    QTest::newRow("limit far above") << 60.0 << 720 << 406 << 1900000LL << 100LL << int(Verdict::AsAlways);
    QTest::newRow("unknown playing time") << 0.0 << 720 << 406 << 1900000LL << 1LL << int(Verdict::AsAlways);
    QTest::newRow("the sound alone too large") << 60.0 << 720 << 406 << 2000000LL << 1LL << int(Verdict::Refused);
    QTest::newRow("a minute in 1 MB") << 60.0 << 720 << 406 << 500000LL << 1LL << int(Verdict::Refused);
    // 4 MB leave about 470 kb/s: enough for 320x240, not for the area of 720x406.
    QTest::newRow("floor at 320x240") << 60.0 << 320 << 240 << 300000LL << 4LL << int(Verdict::Fitted);
    QTest::newRow("floor by area") << 60.0 << 720 << 406 << 300000LL << 4LL << int(Verdict::Refused);
}

void TestTranscoderCore::budgetFillsTheRoomOrRefuses()
{
    QFETCH(double, seconds);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(qint64, soundBytes);
    QFETCH(qint64, limitMegabytes);
    QFETCH(int, verdict);
    const long long pictures = std::llround(seconds * 25);
    const long long limit = OutputBudget::limitBytes(QByteArray::number(limitMegabytes).constData());
    const OutputBudget::Plan plan = OutputBudget::plan({seconds, pictures, soundBytes, width, height}, limit);
    QCOMPARE(int(plan.verdict), verdict);
    QCOMPARE(plan.reason.empty(), plan.verdict != OutputBudget::Plan::Verdict::Refused);
    if (plan.verdict == OutputBudget::Plan::Verdict::AsAlways && seconds > 0)
        QVERIFY(OutputBudget::fitsAnyway(seconds, pictures, limit));
    if (plan.verdict != OutputBudget::Plan::Verdict::Fitted)
        return;
    QVERIFY(!OutputBudget::fitsAnyway(seconds, pictures, limit));
    const double planned = plan.videoBitsPerSecond * seconds / 8 + soundBytes + OutputBudget::videoOverheadBytes(pictures);
    QVERIFY2(planned >= 0.85 * limit && planned <= limit, QByteArray::number(planned / limit));
    // Encoded again after an overshoot, the picture gives up all it overshot by.
    const long long rate = plan.videoBitsPerSecond;
    const long long over = plan.videoBytes * 11 / 10;
    const long long again = OutputBudget::lowered(rate, seconds, plan.videoBytes, over);
    QVERIFY(again * seconds / 8 + (over - rate * seconds / 8) < plan.videoBytes && again > rate / 2);
    QCOMPARE(OutputBudget::lowered(rate, seconds, plan.videoBytes, plan.videoBytes), rate);
}

// A mistyped limit must not pass for no limit, nor one above 4 GiB for one.
void TestTranscoderCore::budgetLimitIsReadStrictly()
{
    const long long most = 4096 * OutputBudget::megabyte - OutputBudget::safetyMarginBytes;
    QCOMPARE(OutputBudget::limitBytes(nullptr), most);
    QCOMPARE(OutputBudget::limitMegabytes(nullptr), 4096LL);
    QCOMPARE(OutputBudget::limitBytes("700"), 700 * OutputBudget::megabyte);
    QCOMPARE(OutputBudget::limitBytes("8000"), most);
    QCOMPARE(OutputBudget::limitBytes(""), most);
    for (const char *wrong : {"0", "-700", "700MB", "7e2", " 700", "+700", "99999999999999999999"})
        QVERIFY2(OutputBudget::limitBytes(wrong) == 0, wrong);
}

// Which filters a picture gets, from what the input says of it.
void TestTranscoderCore::ffmpegFiltersFollowTheInput_data()
{
    QTest::addColumn<InputFacts>("input");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("absent");
    InputFacts dvd = facts(720, 576, {50, 1}, {64, 45});
    dvd.scan = InputFacts::Scan::TopFieldFirst;
    InputFacts bottomFirst = facts(720, 480, {30000, 1001}, {8, 9});
    bottomFirst.scan = InputFacts::Scan::BottomFieldFirst;
    InputFacts varying = facts(640, 360, {27300, 1000});
    varying.variableRate = true;
    InputFacts late = facts(320, 240, {25, 1});
    late.videoStart = 0.52;
    InputFacts tiny = facts(4, 6, {25, 1});
    tiny.scan = InputFacts::Scan::BottomFieldFirst;
    // A stream that says it is interlaced is deinterlaced whatever a detector finds.
    QTest::newRow("interlaced 16:9 DVD at 50 fields")
        << dvd
        << QStringList{"setfield=tff,bwdif=mode=send_frame:parity=tff:deint=all,",
                       "framestep=2,setpts=PTS-0.000000/TB,scale", "scale=720:406:flags=lanczos,", "setsar=1"}
        << QStringList{"idet", "fps="};
    QTest::newRow("bottom field first") << bottomFirst << QStringList{"setfield=bff,"} << QStringList{"idet"};
    // What already fits is neither re-timed nor scaled; the detector decides on interlacing.
    QTest::newRow("what fits") << facts(320, 240, {25, 1}) << QStringList{"idet=", "scale=320:240,"}
                               << QStringList{"framestep", "fps=", "lanczos", "setfield", "tpad"};
    QTest::newRow("varying rate made steady") << varying << QStringList{"fps="} << QStringList{};
    QTest::newRow("slideshow repeated") << facts(320, 240, {1, 2}) << QStringList{"fps=25/1,"} << QStringList{};
    // A picture that starts after the sound keeps its distance in whole pictures.
    QTest::newRow("picture after the sound") << late << QStringList{"setpts=PTS-0.520000/TB,tpad=start=13:"}
                                             << QStringList{};
    // The deinterlacer refuses pictures smaller than 6x8.
    QTest::newRow("too small to deinterlace") << tiny << QStringList{} << QStringList{"bwdif", "idet"};
    QTest::newRow("just large enough") << facts(6, 8, {25, 1}) << QStringList{"bwdif"} << QStringList{};
    // Hard pulldown is undone in cycles on a steady rate; soft pulldown's
    // pictures are whole whatever the stream says of its fields.
    QTest::newRow("hard pulldown") << sampled({30000, 1001}, {hardFilm}, InputFacts::Scan::BottomFieldFirst)
                                   << QStringList{"fps=30000/1001,fieldmatch=order=bff,", "parity=bff:deint=interlaced,decimate,"}
                                   << QStringList{"fps=24000", "setfield"};
    QTest::newRow("soft pulldown") << sampled({30000, 1001}, {softFilm}, InputFacts::Scan::TopFieldFirst)
                                   << QStringList{"idet=", "fps=24000/1001,"} << QStringList{"setfield", "decimate"};
    // SD's own colours pass untouched, as before colours were converted.
    QTest::newRow("BT.601 SDR") << facts(720, 576, {25, 1}) << QStringList{"format=yuv420p,"}
                                << QStringList{"colorspace", "zscale", "lutrgb"};
    // HDR keeps its ten bits to the tone curve, and is never interlaced.
    InputFacts hdr = facts(3840, 2160, {24, 1});
    hdr.colour.transfer = AVCOL_TRC_ARIB_STD_B67;
    QTest::newRow("HDR") << hdr << QStringList{"format=yuv420p10le,"} << QStringList{"idet", "bwdif"};
}

void TestTranscoderCore::ffmpegFiltersFollowTheInput()
{
    QFETCH(InputFacts, input);
    QFETCH(QStringList, present);
    QFETCH(QStringList, absent);
    const QString filters = valueAfter(FfmpegCommand("in.mp4", 50, input).arguments("/out.avi"), "-vf");
    for (const QString &part : present)
        QVERIFY2(filters.contains(part), qPrintable(filters));
    for (const QString &part : absent)
        QVERIFY2(!filters.contains(part), qPrintable(filters));
}

// A later segment lands on the single run's timeline by its times alone: a
// repeated first picture belongs to the start only.
void TestTranscoderCore::ffmpegSegmentsKeepTheSingleRunsTimeline()
{
    InputFacts late = facts(320, 240, {25, 1});
    late.videoStart = 0.52;
    VideoSegment second;
    second.hasStart = true;
    second.start = 100;
    const QString filters =
        valueAfter(FfmpegCommand("in.mp4", 50, late).segmentArguments(second, 1835008, false, "/out.avi"), "-vf");
    QVERIFY2(filters.contains("setpts=PTS-0.520000/TB,setpts=PTS+0.520000/TB,") && !filters.contains("tpad"),
             qPrintable(filters));
    // The sound read along, for the timeline's start, is read no further than the segment.
    late.soundStream = 1;
    second.hasEnd = true;
    second.end = 220;
    const std::vector<std::string> withSound =
        FfmpegCommand("in.mp4", 50, late).segmentArguments(second, 1835008, true, "/out.avi");
    QCOMPARE(valueAfter(withSound, "-to"), QString("220.000000"));
}

using Matrix = ColourConversion::Matrix;
using Transfer = ColourConversion::Transfer;

InputFacts::Colour tags(int matrix, int transfer = AVCOL_TRC_UNSPECIFIED, int bitDepth = 10)
{
    InputFacts::Colour colour;
    colour.matrix = matrix;
    colour.transfer = transfer;
    colour.bitDepth = bitDepth;
    return colour;
}

void TestTranscoderCore::coloursAreReadByTagElseBySize_data()
{
    QTest::addColumn<int>("height");
    QTest::addColumn<InputFacts::Colour>("colour");
    QTest::addColumn<Matrix>("matrix");
    QTest::addColumn<Transfer>("transfer");
    QTest::addColumn<QString>("said");   // in the line on standard error, or the refusal
    QTest::newRow("untagged SD") << 576 << tags(AVCOL_SPC_UNSPECIFIED) << Matrix::Bt601 << Transfer::Sdr
                                 << "BT.601 (untagged, by its 576 lines) SDR, kept";
    QTest::newRow("untagged HD") << 578 << tags(AVCOL_SPC_UNSPECIFIED) << Matrix::Bt709 << Transfer::Sdr
                                 << "converted to BT.601";
    QTest::newRow("BT.709 on SD") << 480 << tags(AVCOL_SPC_BT709) << Matrix::Bt709 << Transfer::Sdr
                                  << "colours: BT.709 SDR, converted";
    QTest::newRow("SMPTE 170M on HD") << 1080 << tags(AVCOL_SPC_SMPTE170M) << Matrix::Bt601 << Transfer::Sdr
                                      << "kept";
    QTest::newRow("FCC") << 480 << tags(AVCOL_SPC_FCC) << Matrix::Fcc << Transfer::Sdr << "FCC";
    QTest::newRow("SMPTE 240M") << 1035 << tags(AVCOL_SPC_SMPTE240M) << Matrix::Smpte240m << Transfer::Sdr << "240M";
    QTest::newRow("reserved") << 1080 << tags(AVCOL_SPC_RESERVED) << Matrix::Bt709 << Transfer::Sdr << "untagged";
    QTest::newRow("constant luminance") << 480 << tags(AVCOL_SPC_BT2020_CL) << Matrix::Bt601 << Transfer::Sdr
                                        << "untagged";
    InputFacts::Colour rgb = tags(AVCOL_SPC_UNSPECIFIED);
    rgb.rgb = true;
    QTest::newRow("RGB") << 1080 << rgb << Matrix::Bt601 << Transfer::Sdr << "RGB SDR, kept";
    InputFacts::Colour wide = tags(AVCOL_SPC_BT2020_NCL);
    wide.primaries = AVCOL_PRI_BT2020;
    QTest::newRow("BT.2020 SDR") << 2160 << wide << Matrix::Bt2020 << Transfer::Sdr << "in BT.709's gamut";
    QTest::newRow("PQ, matrix untagged") << 2160 << tags(AVCOL_SPC_UNSPECIFIED, AVCOL_TRC_SMPTE2084) << Matrix::Bt2020
                                         << Transfer::Pq << "BT.2020 (untagged, as HDR is) PQ HDR, brought to SDR";
    QTest::newRow("HLG") << 1080 << tags(AVCOL_SPC_BT2020_NCL, AVCOL_TRC_ARIB_STD_B67) << Matrix::Bt2020
                         << Transfer::Hlg << "HLG HDR";
    QTest::newRow("HDR tags on 8 bits") << 1080 << tags(AVCOL_SPC_BT2020_NCL, AVCOL_TRC_SMPTE2084, 8)
                                        << Matrix::Bt2020 << Transfer::Pq << "on 8-bit pictures, read by the tags";
    InputFacts::Colour dolby = tags(AVCOL_SPC_BT2020_NCL);
    dolby.doviProfile = 8;
    for (const auto &[compatibility, transfer, name] :
         {std::tuple{1, Transfer::Pq, "8.1"}, {4, Transfer::Hlg, "8.4"}, {6, Transfer::Pq, "7.6"}}) {
        dolby.doviCompatibility = compatibility;
        QTest::newRow(qPrintable(QString("Dolby Vision %1, base untagged").arg(name)))
            << 2160 << dolby << Matrix::Bt2020 << transfer << "Dolby Vision profile 8 shown by its base";
    }
    dolby.doviProfile = 5;
    dolby.doviCompatibility = 0;
    QTest::newRow("Dolby Vision 5") << 2160 << dolby << Matrix::Bt2020 << Transfer::Sdr << "profile 5 has no";
}

void TestTranscoderCore::coloursAreReadByTagElseBySize()
{
    QFETCH(int, height);
    QFETCH(InputFacts::Colour, colour);
    InputFacts input = facts(height * 16 / 9, height, {25, 1});
    input.colour = colour;
    const ColourConversion conversion(input);
    QTEST(conversion.matrix(), "matrix");
    QTEST(conversion.transfer(), "transfer");
    QFETCH(QString, said);
    const std::string text = conversion.refusal().empty() ? conversion.summary() : conversion.refusal();
    QVERIFY2(QString::fromStdString(text).contains(said), text.c_str());
}

// The greys of a PQ film at 100, 203, 1000 and 4000 cd/m2 as their luma
// codes come out, whatever peak the film tells: what lies at reference
// white stays near SDR's, highlights above it stay apart and in order, and
// nothing passes TV white.
void TestTranscoderCore::hdrHighlightsRollOffInOrder_data()
{
    QTest::addColumn<double>("maxContentLight");
    QTest::addColumn<double>("masteringPeak");
    QTest::addColumn<double>("peak");
    QTest::newRow("told nothing") << 0.0 << 0.0 << 1000.0;
    QTest::newRow("MaxCLL") << 4000.0 << 0.0 << 4000.0;
    QTest::newRow("mastering display") << 0.0 << 10000.0 << 10000.0;
    QTest::newRow("the lower of both") << 4000.0 << 1000.0 << 1000.0;
    QTest::newRow("dim film") << 250.0 << 0.0 << 406.0;
}

void TestTranscoderCore::hdrHighlightsRollOffInOrder()
{
    QFETCH(double, maxContentLight);
    QFETCH(double, masteringPeak);
    InputFacts input = facts(3840, 2160, {24, 1});
    input.colour = tags(AVCOL_SPC_BT2020_NCL, AVCOL_TRC_SMPTE2084);
    input.colour.maxContentLight = maxContentLight;
    input.colour.masteringPeak = masteringPeak;
    const ColourConversion conversion(input);
    QTEST(conversion.peak(), "peak");
    const ColourConversion::ToneCurve curve = conversion.toneCurve();
    const auto code = [&](double candelas) {
        return 16 + 219 * std::pow(curve(candelas / ColourConversion::referenceWhite), 1 / 2.4);
    };
    const double grey100 = code(100), grey203 = code(203), grey1000 = code(1000), grey4000 = code(4000);
    const QString codes = QString::asprintf("%g %g %g %g", grey100, grey203, grey1000, grey4000);
    QVERIFY2(grey100 >= 130 && grey100 <= 215 && grey203 >= 160 && grey203 <= 235, qPrintable(codes));
    QVERIFY2(grey1000 >= grey203 + 8 && grey4000 >= grey1000 && grey4000 <= 235, qPrintable(codes));

    // Captions are laid over pictures already brought to SDR.
    FfmpegCommand command("in.mkv", 50, input);
    command.burnCaptions("/captions.mkv", {{0, 1}});
    const QString graph = valueAfter(command.arguments("/out.avi"), "-filter_complex");
    QVERIFY2(graph.indexOf("lutrgb") >= 0 && graph.indexOf("lutrgb") < graph.indexOf("overlay"), qPrintable(graph));
}

// Measured on grainy footage: at each quantiser the range of thresholds that
// put a keyframe on every cut and nowhere else. At coarse quantisers the
// score is summed over the macroblocks, so a small picture needs a threshold
// nearer zero: at 176x144, -56,000 makes every picture a keyframe.
void TestTranscoderCore::sceneCutThresholdFollowsQuantiserAndSize_data()
{
    QTest::addColumn<int>("quality");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("lowest");
    QTest::addColumn<int>("highest");
    QTest::newRow("quantiser 3 at 720x406") << 75 << 720 << 406 << -6000 << -4000;
    QTest::newRow("quantiser 31 at 720x406") << 0 << 720 << 406 << -64000 << -48000;
    QTest::newRow("quantiser 31 at 176x144") << 0 << 176 << 144 << -20000 << -4000;
}

void TestTranscoderCore::sceneCutThresholdFollowsQuantiserAndSize()
{
    QFETCH(int, quality);
    QFETCH(int, width);
    QFETCH(int, height);
    const std::vector<std::string> arguments =
        FfmpegCommand("in.mp4", quality, facts(width, height, {25, 1})).arguments("/out.avi");
    QFETCH(int, lowest);
    QFETCH(int, highest);
    const int threshold = valueAfter(arguments, "-sc_threshold").toInt();
    QVERIFY2(threshold >= lowest && threshold <= highest, qPrintable(QString::number(threshold)));
}

void TestTranscoderCore::partNamesAreHiddenDistinctAndBounded()
{
    const std::string first = PartFile::name("film.avi");
    QVERIFY(first.rfind(".film.avi.", 0) == 0);
    QVERIFY(first.size() > 5 && first.compare(first.size() - 5, 5, ".part") == 0);
    QVERIFY(PartFile::name("film.avi") != first);
    // A long name is cut, never inside a character.
    const std::string longName = std::string(99, 'a') + "\xc3\xa9\xc3\xa9.avi";
    const std::string part = PartFile::name(longName);
    QCOMPARE(part.substr(0, 101), "." + std::string(99, 'a') + ".");
}

// A folder with parts of every kind of writer; removing the stale ones must
// keep everything else, a link's target included.
void TestTranscoderCore::onlyPartsOfGoneWritersAreRemoved()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const std::string own = PartFile::name("film.avi");
    const std::string tag = own.substr(10, 16);   // this machine and boot
    const std::string otherBoot = tag.substr(0, 8) + (tag.substr(8) == "00000001" ? "00000002" : "00000001");
    const std::string pid = std::to_string(getpid());
    // This process's number and start, as its own parts carry them.
    const std::string writer = own.substr(27, own.rfind('-') - 27);
    const QStringList removed{
        QString::fromStdString(".film.avi." + tag + "-" + pid + "-1-0000abcd.part"),    // reused number
        QString::fromStdString(".film.avi." + otherBoot + "-" + writer + "-0000abcd.part"),   // before a reboot
        QStringLiteral(".old.avi.12345678aaaaaaaa-1-1-0000abcd.part")};               // foreign, long untouched
    const QStringList kept{
        QString::fromStdString(own),
        QStringLiteral(".new.avi.12345678aaaaaaaa-1-1-0000abcd.part"),                // foreign, being written
        QStringLiteral(".holiday.avi.part"), QStringLiteral("film.avi")};
    for (const QString &name : removed + kept) {
        QFile file(folder.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    const QByteArray old = QFile::encodeName(folder.filePath(removed.last()));
    const utimbuf longAgo{0, 0};
    QVERIFY(utime(old.constData(), &longAgo) == 0);
    QTemporaryDir elsewhere;
    const QString precious = elsewhere.filePath(QStringLiteral("precious"));
    QVERIFY(QFile(precious).open(QIODevice::WriteOnly));
    const QString link = QString::fromStdString(".link.avi." + tag + "-" + pid + "-1-0000abcd.part");
    QVERIFY(QFile::link(precious, folder.filePath(link)));

    PartFile::removeStale(folder.path().toStdString());
    QStringList expected = kept + QStringList{link};
    expected.sort();
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                           QDir::Name), expected);
    QVERIFY(QFile::exists(precious));
}

void TestTranscoderCore::playingTimeIsWhatPicturesAndSoundPlay_data()
{
    const double unknown = PlayingTime::unknown;
    QTest::addColumn<double>("container");
    QTest::addColumn<double>("pictureEnd");
    QTest::addColumn<double>("soundEnd");
    QTest::addColumn<bool>("withSubtitles");
    QTest::addColumn<double>("fileBytes");
    QTest::addColumn<bool>("doubtful");
    // Where the playing streams' packets were seen to end, once checked.
    QTest::addColumn<double>("packetsEnd");
    QTest::addColumn<double>("seconds");
    QTest::newRow("container agrees with its streams")
        << 20.011 << 20.0 << 20.009 << true << 4e6 << false << unknown << 20.011;
    QTest::newRow("subtitle open for 49 days, streams timed")
        << 4294972.3 << 20.0 << 20.01 << true << 4e6 << false << unknown << 20.01;
    QTest::newRow("subtitle open for 49 days, streams untimed")
        << 4294972.3 << unknown << unknown << true << 4e6 << true << 20.005 << 20.005;
    QTest::newRow("header claims 136 years, streams timed")
        << 4294967295.0 << 2.0 << 2.02 << false << 5e4 << false << unknown << 2.02;
    QTest::newRow("header claims 136 years, streams untimed")
        << 4294967295.0 << unknown << unknown << false << 5e4 << true << 2.02 << 2.02;
    QTest::newRow("header 2 s longer: within the slack")
        << 12.0 << 10.0 << 10.0 << false << 4e6 << false << unknown << 12.0;
    QTest::newRow("streams longer than the header") << 10.0 << 20.0 << 20.0 << false << 4e6 << false << unknown << 20.0;
    QTest::newRow("packets bear the claim out")
        << 7200.0 << unknown << unknown << true << 1e9 << true << unknown << 7200.0;
    QTest::newRow("packets end within the slack")
        << 7200.0 << unknown << unknown << true << 1e9 << true << 7190.0 << 7200.0;
    QTest::newRow("untimed without subtitles") << 7200.0 << unknown << unknown << false << 1e9 << false << unknown
                                               << 7200.0;
    QTest::newRow("nothing told") << unknown << unknown << unknown << true << 1e9 << false << unknown << unknown;
}

void TestTranscoderCore::playingTimeIsWhatPicturesAndSoundPlay()
{
    QFETCH(double, container);
    QFETCH(double, pictureEnd);
    QFETCH(double, soundEnd);
    QFETCH(bool, withSubtitles);
    QFETCH(double, fileBytes);
    QFETCH(bool, doubtful);
    QFETCH(double, packetsEnd);
    QFETCH(double, seconds);
    PlayingTime time(container);
    time.addStream(true, pictureEnd);
    time.addStream(true, soundEnd);
    if (withSubtitles)
        time.addStream(false, container);
    QCOMPARE(time.isDoubtful(fileBytes), doubtful);
    if (doubtful)
        time.setEndOfPackets(packetsEnd);
    QCOMPARE(time.seconds(), seconds);
}

QTEST_GUILESS_MAIN(TestTranscoderCore)
#include "tst_transcodercore.moc"
