#include "protocol/durationtext.h"
#include "protocol/subtitlename.h"
#include "protocol/tooloutput.h"

#include <QTest>

// The application's two readers of what the tool prints: a probe's answer
// and a conversion's output; and the subtitles' name both programs derive.
class TestProtocolReaders : public QObject
{
    Q_OBJECT

private slots:
    void readsTheNumberBetweenTheDollars_data();
    void readsTheNumberBetweenTheDollars();
    void anythingElseIsNoDuration_data();
    void anythingElseIsNoDuration();
    void worksWithoutAPlaceForTheSeconds();
    void conversionOutputIsReadAcrossReads_data();
    void conversionOutputIsReadAcrossReads();
    void tracksLine_data();
    void tracksLine();
    void subtitleName_data();
    void subtitleName();
};

void TestProtocolReaders::readsTheNumberBetweenTheDollars_data()
{
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<QString>("text");
    QTest::addColumn<uint>("seconds");

    QTest::newRow("plain pair") << QByteArray("$187$\n") << "0:3:7" << 187u;
    QTest::newRow("text on the same line") << QByteArray("length $187$ seconds") << "0:3:7" << 187u;
    QTest::newRow("text on other lines") << QByteArray("probing\n$187$\ndone\n") << "0:3:7" << 187u;
    QTest::newRow("blanks inside the pair") << QByteArray("$  187\t $") << "0:3:7" << 187u;
    QTest::newRow("bare number") << QByteArray("187\n") << "0:3:7" << 187u;
    QTest::newRow("single dollar") << QByteArray("$187") << "0:3:7" << 187u;
    QTest::newRow("text before a single dollar") << QByteArray("seconds:$ 42\n") << "0:0:42" << 42u;
    QTest::newRow("59 seconds") << QByteArray("$59$") << "0:0:59" << 59u;
    QTest::newRow("one second short of an hour") << QByteArray("$3599$") << "0:59:59" << 3599u;
    QTest::newRow("one hour") << QByteArray("$3600$") << "1:0:0" << 3600u;
    QTest::newRow("zero byte hides what follows")
        << QByteArray("$12\0$34$", 8) << "0:0:12" << 12u;
    QTest::newRow("zero byte cuts the number short") << QByteArray("$1\0" "87$", 6) << "0:0:1" << 1u;
    QTest::newRow("largest storable count") << QByteArray("$4294967295$") << "1193046:28:15" << 4294967295u;
    QTest::newRow("Latin-1 chatter around the pair") << QByteArray("\xe9t\xe9 $61$ \xff") << "0:1:1" << 61u;
}

void TestProtocolReaders::readsTheNumberBetweenTheDollars()
{
    QFETCH(QByteArray, output);
    QFETCH(QString, text);
    QFETCH(uint, seconds);

    uint duration = 0;
    QCOMPARE(DurationText::parse(output, &duration), text);
    QCOMPARE(duration, seconds);
}

void TestProtocolReaders::anythingElseIsNoDuration_data()
{
    QTest::addColumn<QByteArray>("output");

    QTest::newRow("nothing") << QByteArray();
    QTest::newRow("empty pair") << QByteArray("$$\n");
    QTest::newRow("zero") << QByteArray("$0$");
    QTest::newRow("two pairs") << QByteArray("$5$ $7$");
    QTest::newRow("two numbers") << QByteArray("$1 2$");
    QTest::newRow("letters") << QByteArray("$abc$");
    QTest::newRow("number with a unit") << QByteArray("$12s$");
    QTest::newRow("hexadecimal") << QByteArray("$0x10$");
    QTest::newRow("fraction") << QByteArray("$3.5$");
    QTest::newRow("zero byte before the pair") << QByteArray("x\0$187$", 7);
    // A negative count must not be stored as a huge duration, nor a count
    // beyond 32 bits as whatever its low bits happen to say.
    QTest::newRow("negative") << QByteArray("$-5$");
    QTest::newRow("just beyond 32 bits") << QByteArray("$4294967296$");
    QTest::newRow("low bits look fine") << QByteArray("$4294967483$");
    QTest::newRow("beyond 64 bits") << QByteArray("$99999999999999999999$");
}

void TestProtocolReaders::anythingElseIsNoDuration()
{
    QFETCH(QByteArray, output);

    uint duration = 12345;
    const QString text = DurationText::parse(output, &duration);
    QVERIFY2(text.isNull(), qPrintable(text));
    QCOMPARE(duration, 0u);
}

void TestProtocolReaders::worksWithoutAPlaceForTheSeconds()
{
    QCOMPARE(DurationText::parse("$187$", nullptr), QStringLiteral("0:3:7"));
    QVERIFY(DurationText::parse("$-1$", nullptr).isNull());
}

// The worker keeps no more than the line it reads, so a marker or a line
// that a read splits must still be found, and nothing hidden after a NUL.
void TestProtocolReaders::conversionOutputIsReadAcrossReads_data()
{
    QTest::addColumn<QList<QByteArray>>("reads");
    QTest::addColumn<QList<uint>>("values");
    QTest::addColumn<bool>("success");

    const QByteArray flood(100000, 'x');
    QTest::newRow("marker split") << QList<QByteArray>{"noise ##succ", "ess##\n"} << QList<uint>{} << true;
    QTest::newRow("marker split before its last byte") << QList<QByteArray>{"noise ##success#", "#\n"}
                                                       << QList<uint>{} << true;
    QTest::newRow("NUL in an earlier read")
        << QList<QByteArray>{QByteArray("x\0", 2), "##success##\n"} << QList<uint>{} << false;
    QTest::newRow("progress line split") << QList<QByteArray>{"@progress 1\n@progr", "ess 7\n"}
                                         << QList<uint>{1, 7} << false;
    QTest::newRow("largest count, then beyond it")
        << QList<QByteArray>{"@progress 4294967295\n@progress 4294967296\n"} << QList<uint>{4294967295u} << false;
    QTest::newRow("flood without a line end")
        << QList<QByteArray>{flood, flood + "##success##", "\n@progress 3\n@progress 4" + flood + "\n"}
        << QList<uint>{3} << true;
    QTest::newRow("rest of an overlong line in a later read")
        << QList<QByteArray>{flood, "@progress 5\n@progress 6\n"} << QList<uint>{6} << false;
}

void TestProtocolReaders::conversionOutputIsReadAcrossReads()
{
    QFETCH(QList<QByteArray>, reads);
    QFETCH(QList<uint>, values);

    ToolOutput output;
    QList<uint> read;
    for (const QByteArray &bytes : reads)
        read += output.append(bytes);
    QCOMPARE(read, values);
    QTEST(output.hasSuccessMarker(), "success");
}

// Only a well-formed tracks line counts: its words end up in a tool tip.
void TestProtocolReaders::tracksLine_data()
{
    QTest::addColumn<QList<QByteArray>>("reads");
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<qint64>("fittedMegabytes");
    QTest::newRow("split across reads") << QList<QByteArray>{"@progress 2\n@tracks en", "g picture de\n"}
                                        << QStringList{"eng", "picture", "de"} << 0LL;
    QTest::newRow("no sound, a file of unknown language") << QList<QByteArray>{"@tracks - file und\n"}
                                                          << QStringList{"-", "file", "und"} << 0LL;
    QTest::newRow("unknown kind") << QList<QByteArray>{"@tracks en sidecar de\n"} << QStringList{"", "", ""} << 0LL;
    QTest::newRow("a word too many") << QList<QByteArray>{"@tracks en file de x\n"} << QStringList{"", "", ""} << 0LL;
    QTest::newRow("markup in a word") << QList<QByteArray>{"@tracks <b>x file de\n"} << QStringList{"", "", ""} << 0LL;
    QTest::newRow("markup in the last word")
        << QList<QByteArray>{"@tracks en file <b>\n"} << QStringList{"", "", ""} << 0LL;
    QTest::newRow("unfinished line") << QList<QByteArray>{"@tracks en file de"} << QStringList{"", "", ""} << 0LL;
    QTest::newRow("a word too long, then a good line")
        << QList<QByteArray>{"@tracks abcdefghi file de\n@tracks fr - -\n"} << QStringList{"fr", "-", "-"} << 0LL;
    // The fitted size beside it, in the same digits as a progress line.
    QTest::newRow("fitted beside the tracks") << QList<QByteArray>{"@tracks en - -\n@fit", "ted 4096\n"}
                                              << QStringList{"en", "-", "-"} << 4096LL;
    QTest::newRow("fitted to no number") << QList<QByteArray>{"@fitted 4k\n@fitted -1\n"} << QStringList{"", "", ""}
                                         << 0LL;
}

void TestProtocolReaders::tracksLine()
{
    QFETCH(QList<QByteArray>, reads);
    QFETCH(QStringList, words);
    ToolOutput output;
    for (const QByteArray &bytes : reads)
        output.append(bytes);
    const ToolOutput::Tracks &tracks = output.tracks();
    QCOMPARE((QStringList{tracks.soundLanguage, tracks.subtitles, tracks.subtitleLanguage}), words);
    QTEST(output.fittedMegabytes(), "fittedMegabytes");
}

// The tool writes the subtitles under this name and the window tells it.
void TestProtocolReaders::subtitleName_data()
{
    QTest::addColumn<QString>("avi");
    QTest::addColumn<QString>("srt");
    QTest::newRow("a name") << "film.avi" << "film.srt";
    QTest::newRow("dots in the folder and the name") << "/a.b/film.2.avi" << "/a.b/film.2.srt";
    QTest::newRow("no extension, a dotted folder") << "/a.b/film" << "/a.b/film.srt";
    QTest::newRow("a hidden name") << "/a/.avi" << "/a/.avi.srt";
}

void TestProtocolReaders::subtitleName()
{
    QFETCH(QString, avi);
    QTEST(QString::fromStdString(subtitlePathFor(avi.toStdString())), "srt");
}

QTEST_APPLESS_MAIN(TestProtocolReaders)
#include "tst_protocolreaders.moc"
