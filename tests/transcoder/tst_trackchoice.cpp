#include "testmedia.h"

#include "transcoder/tracks/languagecode.h"
#include "transcoder/media/libav.h"
#include "transcoder/media/mediafile.h"
#include "transcoder/tracks/trackdescriptions.h"
#include "transcoder/tracks/readerlanguage.h"
#include "transcoder/tracks/trackchoice.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

// A stream list in short: "a eng d" is audio in English flagged default;
// kinds a (audio), v (video), s (SubRip), x (ASS), p (DVD pictures); flags
// d default, f forced, c commentary, h hearing impaired, i visually impaired;
// "-" for no language; "#40": a subtitle track of 40 cues.
std::vector<StreamDescription> streams(const QString &list)
{
    std::vector<StreamDescription> result;
    for (const QString &entry : list.split(',', Qt::SkipEmptyParts)) {
        const QStringList parts = entry.split(' ', Qt::SkipEmptyParts);
        StreamDescription stream;
        stream.index = int(result.size());
        const QChar kind = parts.value(0).at(0);
        stream.kind = kind == 'a' ? StreamDescription::Kind::Audio
                      : kind == 'v' ? StreamDescription::Kind::Video : StreamDescription::Kind::Subtitle;
        stream.codecId = kind == 's' ? AV_CODEC_ID_SUBRIP : kind == 'x' ? AV_CODEC_ID_ASS
                         : kind == 'p' ? AV_CODEC_ID_DVD_SUBTITLE : kind == 'a' ? AV_CODEC_ID_AAC : AV_CODEC_ID_H264;
        stream.language = parts.value(1) == "-" ? std::string() : parts.value(1).toStdString();
        const QString flags = parts.value(2);
        stream.isDefault = flags.contains('d');
        stream.forced = flags.contains('f');
        stream.commentary = flags.contains('c');
        stream.hearingImpaired = flags.contains('h');
        stream.visualImpaired = flags.contains('i');
        if (parts.last().startsWith('#'))
            stream.cueCount = parts.last().mid(1).toInt();
        result.push_back(stream);
    }
    return result;
}

using TestMedia::writeFile;

} // namespace

class TestTrackChoice : public QObject
{
    Q_OBJECT

private slots:
    void readerLanguage_data();
    void readerLanguage();
    void languagesMatchInEveryForm();
    void choice_data();
    void choice();
    void cuesCountedOnlyWhereTheyDecide();
    void fileTellsFlagsAndCues();
};

void TestTrackChoice::readerLanguage_data()
{
    QTest::addColumn<QByteArrayList>("variables");   // LANGUAGE, LC_ALL, LC_MESSAGES, LANG; null: unset
    QTest::addColumn<QString>("expected");
    QTest::newRow("LANGUAGE's first entry") << QByteArrayList{":fr_CA:de", "de_DE.UTF-8", {}, "en_US"} << "fr";
    QTest::newRow("empty LANGUAGE falls through") << QByteArrayList{"", {}, {}, "de_AT.UTF-8@euro"} << "de";
    QTest::newRow("LANGUAGE before LANG") << QByteArrayList{"de:en", {}, {}, "en_US.UTF-8"} << "de";
    QTest::newRow("LC_ALL before LANG") << QByteArrayList{{}, "pt_BR.UTF-8", "ru_RU", "en_GB"} << "pt";
    QTest::newRow("LC_MESSAGES before LANG") << QByteArrayList{{}, {}, "sv_SE", "en_GB"} << "sv";
    QTest::newRow("C means none") << QByteArrayList{{}, "C", {}, "de_DE"} << "";
    QTest::newRow("C.UTF-8 means none") << QByteArrayList{{}, {}, {}, "C.UTF-8"} << "";
    QTest::newRow("POSIX means none") << QByteArrayList{{}, {}, {}, "POSIX"} << "";
    QTest::newRow("nothing set") << QByteArrayList{{}, {}, {}, {}} << "";
}

void TestTrackChoice::readerLanguage()
{
    QFETCH(QByteArrayList, variables);
    const auto value = [&](int i) { return variables[i].isNull() ? nullptr : variables[i].constData(); };
    QTEST(QString::fromStdString(ReaderLanguage::fromVariables(value(0), value(1), value(2), value(3))), "expected");
}

void TestTrackChoice::languagesMatchInEveryForm()
{
    for (const auto &[a, b] : std::vector<std::pair<std::string, std::string>>{
             {"de", "ger"}, {"de_DE", "deu"}, {"GER", "deu"}, {"fr", "fre"}, {"fra", "fre"}, {"nl", "dut"},
             {"cs", "cze"}, {"zh", "chi"}, {"pt-BR", "por"}, {"xx", "xx"}})
        QVERIFY2(LanguageCode::same(a, b), (a + " " + b).c_str());
    for (const auto &[a, b] : std::vector<std::pair<std::string, std::string>>{
             {"de", "eng"}, {"und", "und"}, {"", ""}, {"en", ""}, {"nl", "nb"}})
        QVERIFY2(!LanguageCode::same(a, b), (a + " " + b).c_str());
    QCOMPARE(LanguageCode::forms("de_CH"), (std::vector<std::string>{"de", "ger", "deu"}));
    QCOMPARE(LanguageCode::forms("en"), (std::vector<std::string>{"en", "eng"}));
}

void TestTrackChoice::choice_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("reader");
    QTest::addColumn<int>("sound");
    QTest::addColumn<QString>("subtitles");   // "s3": text track 3, "p2": pictures, "p2 forced": their forced captions
    const QString film = "v -, a eng, a ger d";
    QTest::newRow("reader's language, 639-1 against 639-2B") << film << "en" << 1 << "";
    QTest::newRow("639-2T tag") << "v -, a eng d, a deu" << "de" << 2 << "";
    QTest::newRow("no match: the default") << film << "fr" << 2 << "";
    QTest::newRow("no reader: the default") << film << "" << 2 << "";
    QTest::newRow("no default: the first") << "v -, a eng, a fre" << "de" << 1 << "";
    QTest::newRow("commentary in the reader's language is passed over")
        << "v -, a ger c, a eng d, a ger" << "de" << 3 << "";
    QTest::newRow("the film's own sound in another language beats a commentary in the reader's")
        << "v -, a ger c, a eng" << "de" << 2 << "";
    QTest::newRow("extras are not the default either") << "v -, a eng hd, a eng id, a fre" << "de" << 3 << "";
    QTest::newRow("only extras: the reader's language") << "v -, a ger c, a eng dh, a fre i" << "de" << 1 << "";
    QTest::newRow("only extras: then the default") << "v -, a ger c, a eng dh, a fre i" << "it" << 2 << "";
    QTest::newRow("no sound: subtitles in the reader's language") << "v -, s eng" << "en" << -1 << "s1";
    QTest::newRow("foreign sound: the reader's language") << "v -, a ger d, s eng, x ger d" << "en" << 1 << "s2";
    QTest::newRow("sound in the reader's language: none") << "v -, a eng, s eng d, x ger d" << "en" << 1 << "";
    QTest::newRow("the default sound in the reader's language: none")
        << "v -, a eng, a ger d, s eng, x ger d" << "de" << 2 << "";
    QTest::newRow("sound matches, subtitles forced in that language")
        << "v -, a eng, s eng, s eng f" << "en" << 1 << "s3";
    QTest::newRow("French reader, German sound: French subtitles")
        << "v -, a eng, a ger d, s eng d, x fre" << "fr" << 2 << "s4";
    QTest::newRow("no subtitles in the reader's language: the default")
        << "v -, a eng, a ger d, s eng, x ger d" << "fr" << 2 << "s4";
    QTest::newRow("or the forced") << "v -, a ger, s eng, x ger f" << "fr" << 1 << "s3";
    QTest::newRow("of those the fullest") << "v -, a ger, s ger f, p ger d" << "fr" << 1 << "p3";
    QTest::newRow("a full track beats hearing-impaired ones, forced lines and commentaries")
        << "v -, a ger, s fre f, s fre c, s fre h, s fre" << "fr" << 1 << "s5";
    QTest::newRow("only extras: subtitles in the reader's language")
        << "v -, a eng, s ger c, s eng dh, s fre i" << "de" << 1 << "s2";
    QTest::newRow("only extras: then the default subtitles")
        << "v -, a eng, s ger c, s eng dh, s fre i" << "it" << 1 << "s3";
    QTest::newRow("no reader: default or forced") << "v -, a ger, s eng, x ger d" << "" << 1 << "s3";
    QTest::newRow("no reader, no flags: none") << "v -, a ger, s eng, x ger" << "" << 1 << "";
    QTest::newRow("no reader: the forced captions in the sound's language")
        << "v -, a ger, p eng f, p ger" << "" << 1 << "p3 forced";
    QTest::newRow("pictures chosen where no text is") << "v -, a ger, p eng, s ger" << "en" << 1 << "p2";
    QTest::newRow("text beats pictures") << "v -, a ger, p eng, s eng" << "en" << 1 << "s3";
    QTest::newRow("pictures in the reader's language beat default text")
        << "v -, a eng, s eng d, p ger" << "de" << 1 << "p3";
    QTest::newRow("full pictures beat forced text") << "v -, a eng, s ger f, p ger" << "de" << 1 << "p3";
    QTest::newRow("sound understood: a forced picture track whole")
        << "v -, a eng, p eng, p eng f" << "en" << 1 << "p3";
    QTest::newRow("sound understood: the forced captions of pictures, never a full text track")
        << "v -, a eng, s eng, p eng" << "en" << 1 << "p3 forced";
    QTest::newRow("sound understood: forced text beats pictures") << "v -, a eng, p eng, s eng f" << "en" << 1 << "s3";
    QTest::newRow("a tenth of the cues counts as forced") << "v -, a eng, s eng #40, s eng #4" << "en" << 1 << "s3";
    QTest::newRow("more than a tenth does not") << "v -, a eng, s eng #40, s eng #5" << "en" << 1 << "";
    QTest::newRow("unknown counts do not") << "v -, a eng, s eng, s eng #4" << "en" << 1 << "";
    QTest::newRow("counted against pictures too")
        << "v -, a eng, p eng #400, s eng #12" << "en" << 1 << "s3";
    QTest::newRow("a few-cue picture track is burned whole")
        << "v -, a eng, p eng #400, p eng #12" << "en" << 1 << "p3";
    QTest::newRow("a few-cue track is not the full one")
        << "v -, a eng, s ger #12, s ger #400" << "de" << 1 << "s3";
}

// The subtitles are chosen against the sound chosen by the same rules.
void TestTrackChoice::choice()
{
    QFETCH(QString, list);
    QFETCH(QString, reader);
    QFETCH(int, sound);
    const std::vector<StreamDescription> described = streams(list);
    QCOMPARE(TrackChoice::sound(described, reader.toStdString()), sound);
    const TrackChoice::Subtitles chosen = TrackChoice::subtitles(described, reader.toStdString(), sound);
    QString subtitles = chosen.text >= 0 ? QString("s%1").arg(chosen.text)
                        : chosen.picture >= 0 ? QString("p%1").arg(chosen.picture) : QString();
    if (chosen.forcedOnly)
        subtitles += " forced";
    QTEST(subtitles, "subtitles");
}

// Counting reads the whole file, so only where two tracks share a language.
void TestTrackChoice::cuesCountedOnlyWhereTheyDecide()
{
    for (const char *list : {"s eng, a eng, p eng", "s eng f, s eng", "s ger #40, s deu"})
        QVERIFY2(TrackChoice::needsCueCounts(streams(list)), list);
    for (const char *list : {"s eng, a eng, s ger", "s eng #40, s eng #3", "s -, s -", "s eng f, s eng f"})
        QVERIFY2(!TrackChoice::needsCueCounts(streams(list)), list);
}

// What the choice is made from, read from a real file: each track's flags
// and language, and the cues of a track whose container keeps no count.
void TestTrackChoice::fileTellsFlagsAndCues()
{
    if (!TestMedia::available())
        QSKIP("ffmpeg is needed");
    const QTemporaryDir work;
    const QString two = work.filePath("two.srt"), one = work.filePath("one.srt"), film = work.filePath("film.mkv");
    QVERIFY(writeFile(two, "1\n00:00:00,100 --> 00:00:00,200\nA\n\n2\n00:00:00,300 --> 00:00:00,400\nB\n"));
    QVERIFY(writeFile(one, "1\n00:00:00,100 --> 00:00:00,200\nC\n"));
    QVERIFY(TestMedia::make(film, {"-f", "lavfi", "-i", "sine=duration=0.5", "-f", "lavfi", "-i", "sine=duration=0.5",
                                   "-i", two, "-i", one, "-map", "0", "-map", "1", "-map", "2", "-map", "3",
                                   "-c:a", "flac", "-c:s", "srt", "-metadata:s:a:0", "language=eng",
                                   "-metadata:s:a:1", "language=ger", "-metadata:s:s:0", "language=eng",
                                   "-metadata:s:s:1", "language=fre",
                                   "-disposition:a:0", "default+comment", "-disposition:a:1", "visual_impaired",
                                   "-disposition:s:0", "forced", "-disposition:s:1", "hearing_impaired"}));
    LibAv libAv;
    QVERIFY2(libAv.load(), libAv.error().c_str());
    MediaFile file(libAv);
    QVERIFY(file.open(film.toStdString(), MediaFile::openTimeLimit));
    std::vector<StreamDescription> read = describeTracks(file);
    countCues(file, read, std::chrono::seconds(10));
    const auto shown = [](const std::vector<StreamDescription> &list) {
        QStringList text;
        for (const StreamDescription &s : list)
            text << QString("%1 %2 %3%4%5%6%7 #%8").arg(int(s.kind)).arg(QString::fromStdString(s.language))
                        .arg(s.isDefault ? "d" : "").arg(s.forced ? "f" : "").arg(s.commentary ? "c" : "")
                        .arg(s.hearingImpaired ? "h" : "").arg(s.visualImpaired ? "i" : "").arg(s.cueCount);
        return text.join(", ");
    };
    QCOMPARE(shown(read), shown(streams("a eng dc, a ger i, s eng f #2, s fre h #1")));
}

QTEST_GUILESS_MAIN(TestTrackChoice)
#include "tst_trackchoice.moc"
