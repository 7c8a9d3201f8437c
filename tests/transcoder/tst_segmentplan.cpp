#include "transcoder/encoding/decoderbuffer.h"
#include "transcoder/encoding/playerenvelope.h"
#include "transcoder/segments/segmentplan.h"

#include <QtTest>

#include <cmath>

namespace {

InputFacts facts(InputFacts::Rate rate, bool variableRate = false, double videoStart = 0)
{
    InputFacts facts;
    facts.width = 1280;
    facts.height = 720;
    facts.frameRate = rate;
    facts.variableRate = variableRate;
    facts.videoStart = videoStart;
    return facts;
}

} // namespace

class TestSegmentPlan : public QObject
{
    Q_OBJECT

private slots:
    void segmentsCoverEveryPictureOnce_data();
    void segmentsCoverEveryPictureOnce();
    void keyframesStayTenSecondsApartAcrossJoins();
    void decodingStartsOnAKeptSourcePicture();
    void decoderBufferCarriedAcrossAJoin();
};

void TestSegmentPlan::segmentsCoverEveryPictureOnce_data()
{
    QTest::addColumn<InputFacts>("input");
    QTest::addColumn<double>("duration");
    QTest::addColumn<double>("segmentSeconds");
    QTest::addColumn<int>("jobs");
    QTest::addColumn<int>("most");
    QTest::addColumn<int>("count");
    // One process where segments cannot help.
    QTest::newRow("one job") << facts({25, 1}) << 600.0 << 120.0 << 1 << 1000 << 1;
    QTest::newRow("as short as a segment") << facts({25, 1}) << 120.0 << 120.0 << 8 << 1000 << 1;
    QTest::newRow("duration unknown") << facts({25, 1}) << 0.0 << 120.0 << 2 << 1000 << 1;
    QTest::newRow("rate unknown") << facts({0, 1}) << 600.0 << 120.0 << 2 << 1000 << 1;
    // Five two-minute segments would leave one process alone with the last:
    // six of 100 s end together, 20 % sooner.
    QTest::newRow("10 min, 2 jobs") << facts({25, 1}) << 600.0 << 120.0 << 2 << 1000 << 6;
    // A sound track a few hundredths longer adds no seventh segment.
    QTest::newRow("10 min and a little, 2 jobs") << facts({25, 1}) << 600.02 << 120.0 << 2 << 1000 << 6;
    // A last piece of one keyframe interval joins the one before it.
    QTest::newRow("a tail of ten seconds, 2 jobs") << facts({25, 1}) << 250.0 << 120.0 << 2 << 1000 << 2;
    QTest::newRow("2 h film, 8 jobs") << facts({25, 1}) << 7200.0 << 120.0 << 8 << 1000 << 72;
    QTest::newRow("2 h NTSC film, 8 jobs") << facts({24000, 1001}) << 7200.0 << 120.0 << 8 << 1000 << 104;
    QTest::newRow("50 to 25, 4 jobs") << facts({50, 1}) << 1000.0 << 120.0 << 4 << 1000 << 12;
    QTest::newRow("short segments") << facts({30, 1}) << 7.0 << 2.0 << 2 << 1000 << 4;
    // However long the film, or its header's claim, its segments stay as
    // few as their files may be: longer ones, still in whole rounds.
    QTest::newRow("136 years claimed") << facts({25, 1}) << 4294967295.0 << 120.0 << 2 << 64 << 64;
    QTest::newRow("34 hours") << facts({25, 1}) << 122400.0 << 120.0 << 2 << 64 << 64;
    QTest::newRow("2 h film within the bound") << facts({25, 1}) << 7200.0 << 120.0 << 2 << 64 << 60;
    QTest::newRow("300 short segments, room for 20") << facts({25, 1}) << 300.0 << 1.0 << 2 << 20 << 20;
    QTest::newRow("room for 20, 3 jobs") << facts({25, 1}) << 300.0 << 1.0 << 3 << 20 << 18;
    QTest::newRow("room for one") << facts({25, 1}) << 600.0 << 120.0 << 2 << 1 << 1;
}

void TestSegmentPlan::segmentsCoverEveryPictureOnce()
{
    QFETCH(InputFacts, input);
    QFETCH(double, duration);
    QFETCH(double, segmentSeconds);
    QFETCH(int, jobs);
    QFETCH(int, most);
    QFETCH(int, count);
    const SegmentPlan plan(input, duration, segmentSeconds, jobs, most);
    const std::vector<SegmentPlan::Segment> &segments = plan.segments();
    QCOMPARE(int(segments.size()), count);
    QCOMPARE(plan.isSegmented(), count > 1);
    QVERIFY(!segments.front().hasStart && !segments.back().hasEnd);
    QCOMPARE(segments.front().seek, 0.0);
    double total = plan.seconds(0);
    for (std::size_t i = 1; i < segments.size(); ++i) {
        total += plan.seconds(i);
        // Adjacent spans meet exactly, half a picture before the picture that opens the next.
        QVERIFY(segments[i - 1].hasEnd && segments[i].hasStart);
        QCOMPARE(segments[i - 1].end, segments[i].start);
        QVERIFY(segments[i].firstPicture > segments[i - 1].firstPicture);
        // Its first picture is in it, and the one before in the segment before.
        const double rate = PlayerEnvelope(input).frameRate().value();
        QVERIFY(segments[i].firstPicture / rate > segments[i].start);
        QVERIFY((segments[i].firstPicture - 1) / rate < segments[i].start);
    }
    QVERIFY(std::abs(total - duration) < 1e-6 * std::max(1.0, duration / 1000));
}

// A single run forces a keyframe every whole number of pictures that fits
// in ten seconds; every segment starts on one of them, so joins add none.
void TestSegmentPlan::keyframesStayTenSecondsApartAcrossJoins()
{
    for (const InputFacts::Rate rate : {InputFacts::Rate{25, 1}, InputFacts::Rate{24000, 1001}}) {
        const double perSecond = rate.value();
        const double every = PlayerEnvelope(facts(rate)).keyframeSeconds() * perSecond;
        QVERIFY(std::abs(every - std::round(every)) < 1e-9 && every / perSecond <= 10);
        QCOMPARE(std::llround(every), rate.num == 25 ? 250LL : 239LL);
        // Also where a long film gets longer segments.
        for (const SegmentPlan &plan : {SegmentPlan(facts(rate), 1800, 120, 2, 1000),
                                        SegmentPlan(facts(rate), 122400, 120, 2, 64)}) {
            QVERIFY(plan.isSegmented());
            for (const SegmentPlan::Segment &segment : plan.segments())
                QCOMPARE(segment.firstPicture % std::llround(every), 0LL);
        }
    }
}

// Halving 50 pictures a second keeps the even source pictures: a segment
// that started decoding on an odd one would show every picture 20 ms late.
// Undoing hard pulldown drops one picture in each cycle of five: a segment
// whose cycles started elsewhere would drop film pictures and keep repeats.
void TestSegmentPlan::decodingStartsOnAKeptSourcePicture()
{
    struct Case
    {
        InputFacts input;
        double rate;
        int cycle;
    };
    InputFacts telecined = facts({30000, 1001});
    telecined.fieldSamples = {{150, 149 / 29.97, 60, 150, 0}};
    std::vector<Case> cases;
    for (const double videoStart : {0.0, 0.043}) {
        cases.push_back({facts({50, 1}, false, videoStart), 50, 2});
        cases.push_back({telecined, 30000 / 1001.0, 5});
        cases.back().input.videoStart = videoStart;
    }
    for (const Case &each : cases) {
        const InputFacts &input = each.input;
        const double rate = each.rate;
        const int cycle = each.cycle;
        QCOMPARE(PlayerEnvelope(input).inputCycle(), cycle);
        SegmentPlan plan(input, 600, 120, 2, 1000);
        const auto onAKeptPicture = [&input, rate, cycle](double seek) {
            const double sourcePicture = (seek - input.videoStart) * rate + 0.5;
            return seek == 0
                   || (std::abs(sourcePicture - std::round(sourcePicture)) < 1e-6
                       && std::llround(sourcePicture) % cycle == 0);
        };
        for (std::size_t i = 1; i < plan.segments().size(); ++i) {
            const SegmentPlan::Segment &segment = plan.segments()[i];
            QVERIFY(onAKeptPicture(segment.seek));
            QVERIFY(segment.seek <= segment.start - 1);
            QVERIFY(segment.seek > segment.start - 1 - (cycle + 1) / rate);
        }
        // A seek that finds its keyframe late starts on the first kept
        // picture from there, while the filters still get their past.
        const double start = plan.segments()[5].start;
        const double odd = input.videoStart + (std::floor(480 * rate / cycle) * cycle + 1) / rate;
        QVERIFY(onAKeptPicture(plan.decodingPoint(5, odd)));
        QVERIFY(std::abs(plan.decodingPoint(5, odd) - (odd + (cycle - 1.5) / rate)) < 1e-9);
        QCOMPARE(plan.decodingPoint(5, start - 0.02), -1.0);
        // Else decoding starts ever further back on kept pictures, in the end at the start.
        int moves = 0;
        for (double seek = plan.segments()[5].seek; seek > 0 && moves < 8; ++moves) {
            const double back = plan.fartherBack(5, seek);
            QVERIFY(start - back >= 3 * (start - seek) || back == 0);
            QVERIFY(onAKeptPicture(back));
            seek = back;
        }
        QVERIFY(moves < 8);
    }
    // A slideshow's picture before the join may lie seconds back.
    const SegmentPlan slideshow(facts({1, 2}, true), 600, 120, 2, 1000);
    QVERIFY(slideshow.segments()[1].seek <= slideshow.segments()[1].start - 6);
}

void TestSegmentPlan::decoderBufferCarriedAcrossAJoin()
{
    const InputFacts::Rate rate{25, 1};
    const long long refill = DecoderBuffer::refillBitsPerSecond / 25;
    // Pictures smaller than a picture's refill keep it full.
    DecoderBuffer light(rate);
    for (int i = 0; i < 50; ++i)
        light.take(refill / 2);
    QCOMPARE(light.bits(), DecoderBuffer::sizeBits);
    QVERIFY(!light.underflowed());
    // Heavy pictures drain it, and the next segment starts with what is left.
    DecoderBuffer heavy(rate);
    for (int i = 0; i < 10; ++i)
        heavy.take(refill + 150000);
    QCOMPARE(heavy.bits(), DecoderBuffer::sizeBits - 10 * 150000);
    QVERIFY(!heavy.underflowed());
    // A keyframe that fits a full buffer does not fit what is left.
    const long long keyframe = 600000;
    DecoderBuffer assumed(rate);
    assumed.take(keyframe);
    QVERIFY(!assumed.underflowed());
    DecoderBuffer carried(rate, heavy.bits());
    carried.take(keyframe);
    QVERIFY(carried.underflowed());
    QCOMPARE(carried.bits(), refill);
}

QTEST_GUILESS_MAIN(TestSegmentPlan)
#include "tst_segmentplan.moc"
