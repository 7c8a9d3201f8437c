#include "testmedia.h"

#include "transcoder/media/libav.h"
#include "transcoder/subtitles/subripfile.h"
#include "transcoder/subtitles/subtitleoutput.h"
#include "transcoder/subtitles/subtitletext.h"
#include "transcoder/tracks/languagecode.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

using TestMedia::readFile;
using TestMedia::writeFile;

QStringList files(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden);
}

// A film with English sound, flagged default, and a German SubRip track.
std::vector<StreamDescription> germanTrack()
{
    std::vector<StreamDescription> streams(3);
    const StreamDescription::Kind kinds[] = {StreamDescription::Kind::Video, StreamDescription::Kind::Audio,
                                             StreamDescription::Kind::Subtitle};
    const int codecs[] = {AV_CODEC_ID_H264, AV_CODEC_ID_AAC, AV_CODEC_ID_SUBRIP};
    const char *languages[] = {"", "eng", "ger"};
    for (int i = 0; i < 3; ++i) {
        streams[i].index = i;
        streams[i].kind = kinds[i];
        streams[i].codecId = codecs[i];
        streams[i].language = languages[i];
        streams[i].isDefault = i > 0;
    }
    return streams;
}

} // namespace

class TestSubtitles : public QObject
{
    Q_OBJECT

private slots:
    void codePage_data();
    void codePage();
    void textCleanup_data();
    void textCleanup();
    void subRipFile();
    void sidecar_data();
    void sidecar();
};

void TestSubtitles::codePage_data()
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

void TestSubtitles::codePage()
{
    QFETCH(QString, language);
    QFETCH(QString, text);
    QFETCH(QByteArray, expected);
    const int page = LanguageCode::codePage(language.toStdString());
    QCOMPARE(QByteArray::fromStdString(SubRipFile::encoded(text.toStdString(), page)), expected);
}

void TestSubtitles::textCleanup_data()
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

void TestSubtitles::textCleanup()
{
    QFETCH(QString, event);
    QFETCH(QString, expected);
    QCOMPARE(QString::fromStdString(SubtitleText::fromAssEvent(event.toStdString())), expected);
}

void TestSubtitles::subRipFile()
{
    const std::string text = SubRipFile::text({{3723004, 3724500, "later\nsecond line"},
                                               {979, 2479, "first"},
                                               {5000, 5000, "never shown"},
                                               {6000, 7000, ""}});
    QCOMPARE(QByteArray::fromStdString(text),
             QByteArray("1\r\n00:00:00,979 --> 00:00:02,479\r\nfirst\r\n\r\n"
                        "2\r\n01:02:03,004 --> 01:02:04,500\r\nlater\r\nsecond line\r\n\r\n"));
}

void TestSubtitles::sidecar_data()
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
void TestSubtitles::sidecar()
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
    output.choose(germanTrack()[2]);
    QVERIFY(output.write(false));
    output.publish();
    QCOMPARE(readFile(out + "/film.srt"), copied ? sidecar : QByteArray());
    QCOMPARE(files(in), inputsBefore);
    if (!sameFolder)   // nothing else, no part files
        QCOMPARE(files(out), copied ? QStringList{"film.srt"} : QStringList());
}

QTEST_GUILESS_MAIN(TestSubtitles)
#include "tst_subtitles.moc"
