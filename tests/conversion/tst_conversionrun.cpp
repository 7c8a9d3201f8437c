#include "app/mainwindow.h"
#include "modalanswerer.h"
#include "oddnames.h"
#include "systemstate.h"
#include "testhome.h"
#include "testmedia.h"
#include "toolfolder.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTest>

#include <memory>

using namespace SystemState;
using namespace TestMedia;

// Whole runs through the real window, the real tool and the real ffmpeg.
class TestConversionRun : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void batchConvertsWithProgressWithinEachFile();
    void corruptFileFailsAndTheRunGoesOn();
    void tracksAreWordedInTheToolTip_data();
    void tracksAreWordedInTheToolTip();
    void existingOutputsAreOverwrittenOrIgnored();
    void failedOverwriteKeepsTheOldFile();
    void outputThatIsTheInputIsNeverTouched();
    void unattendedRunSkipsExistingOutputsAndPowersOff();
    void closingDuringRunStopsCleanly();
    void exitEndsTheEventLoopAfterTheWorker();

private:
    void addFiles(const QString &folder, const QStringList &names);
    QString rowColour(int row) const;
    QStringList outputFiles() const;
    template<typename T>
    T *widget(const char *name) const { return window->findChild<T *>(QLatin1String(name)); }

    QTemporaryDir root;
    TestHome home;
    QString media;
    QString output;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<ModalAnswerer> answerer;
    QString summary;
    QStringList summaryColours;
    QStringList summaryTips;
};

void TestConversionRun::initTestCase()
{
    QVERIFY(root.isValid());
    home.enter();
    media = root.filePath(QStringLiteral("media"));
    QVERIFY(QDir().mkpath(media));
    QVERIFY(makeClip(media + QStringLiteral("/a.mp4"), 3));
    QVERIFY(makeClip(media + QStringLiteral("/it's $x ##y.mp4"), 3));
    QVERIFY(makeClip(media + QStringLiteral("/-lead ünï.mp4"), 2));
    // Long enough for its conversion to report whole seconds before it ends.
    QVERIFY(makeClip(media + QStringLiteral("/long.mp4"), 15, QStringLiteral("320x180")));
    // Long enough to be caught in the middle of its conversion on a busy machine.
    QVERIFY(makeClip(media + QStringLiteral("/longer.mp4"), 120, QStringLiteral("320x240")));
    QVERIFY(writeFile(media + QStringLiteral("/bad.mp4"), QByteArray(4096, 'x').prepend("\0\0\0\x18" "ftypmp42")));

    // The application runs the tool by its bare name from the program folder.
    QVERIFY(QDir::setCurrent(QStringLiteral(TARVELO_PROGRAM_DIR)));
    QVERIFY(QFileInfo(QStringLiteral("tarvelo-transcode")).isExecutable());
}

void TestConversionRun::init()
{
    output = root.filePath(QStringLiteral("out-%1").arg(QTest::currentTestFunction()));
    QVERIFY(QDir().mkpath(output));
    summary.clear();
    summaryColours.clear();
    summaryTips.clear();

    window = std::make_unique<MainWindow>();
    window->show();
    widget<QPlainTextEdit>("txtCurrentDir")->setPlainText(output + QLatin1Char('/'));

    answerer = std::make_unique<ModalAnswerer>();
    answerer->onMessageBox = [this](QMessageBox *box) {
        if (box->windowTitle() != QLatin1String("Conversion Completed!"))
            return;
        summary = box->text();
        for (int row = 0; row < widget<QTableWidget>("tblFiles")->rowCount(); ++row) {
            summaryColours << rowColour(row);
            summaryTips << widget<QTableWidget>("tblFiles")->item(row, 1)->toolTip();
        }
        ModalAnswerer::clickButton(box, QStringLiteral("New Conversion"));
    };
}

void TestConversionRun::cleanup()
{
    answerer.reset();
    window.reset();
    QTRY_VERIFY2_WITH_TIMEOUT(processesMentioning(root.path()).isEmpty(),
                              qPrintable(processesMentioning(root.path()).join('\n')), 10000);
}

void TestConversionRun::addFiles(const QString &folder, const QStringList &names)
{
    answerer->onFileDialog = [=](QFileDialog *dialog) { ModalAnswerer::chooseFiles(dialog, folder, names); };
    widget<QPushButton>("btnAddFile")->click();
    QCOMPARE(window->names(), names);
}

QString TestConversionRun::rowColour(int row) const
{
    auto *table = widget<QTableWidget>("tblFiles");
    const QColor colour = table->item(row, 0)->background().color();
    for (int column = 1; column < 3; ++column) {
        if (table->item(row, column)->background().color() != colour)
            return QStringLiteral("mixed");
    }
    if (colour == QColor(Qt::darkGreen))
        return QStringLiteral("green");
    if (colour == QColor(Qt::red))
        return QStringLiteral("red");
    return colour.name();
}

QStringList TestConversionRun::outputFiles() const
{
    return QDir(output).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

void TestConversionRun::batchConvertsWithProgressWithinEachFile()
{
    const QStringList names{"a.mp4", "it's $x ##y.mp4", "long.mp4"};
    addFiles(media, names);

    auto *bar = widget<QProgressBar>("prgrsConversion");
    QList<int> values;
    QList<int> rowsDoneAtValue;
    connect(bar, &QProgressBar::valueChanged, this, [&](int value) {
        values << value;
        int done = 0;
        auto *table = widget<QTableWidget>("tblFiles");
        while (done < table->rowCount() && table->item(done, 0)->background().style() != Qt::NoBrush)
            ++done;
        rowsDoneAtValue << done;
    });

    widget<QPushButton>("btnConvert")->click();
    QCOMPARE(bar->maximum(), 300);
    QVERIFY(bar->isVisible());
    QVERIFY(!widget<QPushButton>("btnAddFile")->isEnabled());
    QVERIFY(!widget<QPushButton>("btnChangeDir")->isEnabled());
    QVERIFY(!widget<QPushButton>("btnConvert")->isEnabled());

    QTRY_VERIFY_WITH_TIMEOUT(!summary.isEmpty(), 120000);
    QCOMPARE(summary, QStringLiteral("Completed converting the selected files!"));
    QCOMPARE(summaryColours, QStringList({"green", "green", "green"}));
    // Each row tells what its output got, below its path, as the tool told it.
    for (int row = 0; row < 3; ++row) {
        const QString tip = summaryTips.at(row);
        QVERIFY2(tip.startsWith(media) && tip.endsWith("Sound: language not known. Subtitles: none"), qPrintable(tip));
    }

    // The long clip's band was entered from real progress notifications
    // while its row was still uncoloured.
    bool movedWithinLongClip = false;
    for (int i = 0; i < values.size(); ++i)
        movedWithinLongClip |= values[i] > 200 && values[i] < 300 && rowsDoneAtValue[i] == 2;
    QVERIFY2(movedWithinLongClip, qPrintable(QString::number(values.size())));

    QCOMPARE(outputFiles(), QStringList({"a.avi", "it's $x ##y.avi", "long.avi"}));
    for (const QString &file : outputFiles())
        QCOMPARE(describe(output + QLatin1Char('/') + file), QStringLiteral("mpeg4,XVID mp3,U[0][0][0] avi"));

    // "New Conversion" starts over with an empty list.
    QCOMPARE(widget<QTableWidget>("tblFiles")->rowCount(), 0);
    QVERIFY(window->names().isEmpty() && window->paths().isEmpty() && window->durationList().isEmpty());
    QVERIFY(bar->isHidden());
    QVERIFY(widget<QPushButton>("btnAddFile")->isEnabled());
    QVERIFY(widget<QPushButton>("btnChangeDir")->isEnabled());
    QVERIFY(widget<QPushButton>("btnConvert")->isEnabled());
}

void TestConversionRun::corruptFileFailsAndTheRunGoesOn()
{
    addFiles(media, {"a.mp4", "bad.mp4", "-lead ünï.mp4"});
    widget<QPushButton>("btnConvert")->click();

    QTRY_VERIFY_WITH_TIMEOUT(!summary.isEmpty(), 120000);
    QCOMPARE(summary, QStringLiteral("Completed converting the selected files!\n"
                                     "The following files failed to be converted:\nbad.mp4\n"));
    QCOMPARE(summaryColours, QStringList({"green", "red", "green"}));
    QCOMPARE(window->failures(), QStringList{"bad.mp4"});
    QCOMPARE(outputFiles(), QStringList({"-lead ünï.avi", "a.avi"}));
}

void TestConversionRun::tracksAreWordedInTheToolTip_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("words");   // as the tool sends them
    QTest::addColumn<QString>("tracks");
    QTest::addColumn<qint64>("fitted");   // the MB the picture was fitted to, 0: not
    const QString odd = QStringLiteral("it's $x ##y");
    QTest::newRow("burned in") << odd << QStringList{"en", "picture", "de"}
                               << "Sound: English. Subtitles: Deutsch, in the picture" << 0LL;
    QTest::newRow("beside the AVI") << odd << QStringList{"ger", "file", "fr"}
                                    << "Sound: Deutsch. Subtitles: français, it's $x ##y.srt" << 0LL;
    QTest::newRow("nothing known") << odd << QStringList{"-", "file", "und"}
                                   << "Sound: none. Subtitles: it's $x ##y.srt" << 0LL;
    // Shown as rich text, whose line breaks would otherwise be spaces.
    QTest::newRow("markup name") << "<b>x<b> &amp;" << QStringList{"ger", "file", "fr"}
                                 << "Sound: Deutsch. Subtitles: français, <b>x<b> &amp;.srt" << 0LL;
    // The size the tool fitted the file to, grouped as people write it.
    QTest::newRow("fitted") << odd << QStringList{"en", "-", "-"}
                            << "Sound: English. Subtitles: none\nFitted to 4,096 MB" << 4096LL;
}

// What the worker hands over from the tool, worded below the row's path,
// each on its own line, as a screen reader tells it too.
void TestConversionRun::tracksAreWordedInTheToolTip()
{
    QFETCH(QString, name);
    QFETCH(QStringList, words);
    QFETCH(QString, tracks);
    QFETCH(qint64, fitted);
    const QString path = media + '/' + name + ".mp4";
    QVERIFY(QFile::exists(path) || QFile::copy(media + "/a.mp4", path));
    // A third row, so that no summary ends the run and clears the list.
    addFiles(media, {"a.mp4", name + ".mp4", "long.mp4"});
    QVERIFY(QMetaObject::invokeMethod(window.get(), "OnFileTracks", Q_ARG(int, 1), Q_ARG(QString, words.at(0)),
                                      Q_ARG(QString, words.at(1)), Q_ARG(QString, words.at(2))));
    if (fitted > 0)
        QVERIFY(QMetaObject::invokeMethod(window.get(), "OnFileFitted", Q_ARG(int, 1), Q_ARG(qint64, fitted)));
    QVERIFY(QMetaObject::invokeMethod(window.get(), "OnFileCompleted", Q_ARG(int, 1), Q_ARG(bool, true)));
    QVERIFY(QMetaObject::invokeMethod(window.get(), "OnFileCompleted", Q_ARG(int, 0), Q_ARG(bool, true)));
    auto *table = widget<QTableWidget>("tblFiles");
    for (int column = 0; column < 3; ++column)
        QCOMPARE(OddNames::shownText(table->item(1, column)->toolTip()), path + "\nConverted\n" + tracks);
    QCOMPARE(table->item(1, 0)->data(Qt::AccessibleDescriptionRole).toString(), path + "\nConverted\n" + tracks);
    // A row the tool told nothing of keeps its plain outcome.
    QCOMPARE(table->item(0, 0)->toolTip(), media + "/a.mp4\nConverted");
}

void TestConversionRun::existingOutputsAreOverwrittenOrIgnored()
{
    QVERIFY(writeFile(output + QStringLiteral("/a.avi"), "OLD-A"));
    QVERIFY(writeFile(output + QStringLiteral("/it's $x ##y.avi"), "OLD-B"));
    addFiles(media, {"a.mp4", "it's $x ##y.mp4"});

    QStringList questions;
    QList<Qt::TextFormat> formats;
    const auto summaryHandler = answerer->onMessageBox;
    answerer->onMessageBox = [&](QMessageBox *box) {
        if (box->windowTitle() != QLatin1String("File Exists"))
            return summaryHandler(box);
        questions << box->text();
        formats << box->textFormat();
        QCOMPARE(box->icon(), QMessageBox::Question);
        QCOMPARE(box->buttons().size(), 2);
        QCOMPARE(box->defaultButton()->text(), QStringLiteral("Overwrite"));
        QVERIFY(ModalAnswerer::buttonsInOrder(box, {"Overwrite", "Ignore"}));
        QVERIFY(ModalAnswerer::ignoresEscape(box));
        ModalAnswerer::clickButton(box, box->text().contains(QLatin1String("a.avi")) ? QStringLiteral("Overwrite")
                                                                                      : QStringLiteral("Ignore"));
    };
    widget<QPushButton>("btnConvert")->click();

    QTRY_VERIFY_WITH_TIMEOUT(!summary.isEmpty(), 120000);
    QCOMPARE(questions, QStringList({"File: a.avi exists in the output directory!\nWould you like to overwrite it?",
                                     "File: it's $x ##y.avi exists in the output directory!\n"
                                     "Would you like to overwrite it?"}));
    // A name that looks like markup must show as it is.
    QCOMPARE(formats, QList<Qt::TextFormat>({Qt::PlainText, Qt::PlainText}));
    QCOMPARE(summaryColours, QStringList({"green", "red"}));
    QCOMPARE(describe(output + QStringLiteral("/a.avi")), QStringLiteral("mpeg4,XVID mp3,U[0][0][0] avi"));
    QCOMPARE(readFile(output + QStringLiteral("/it's $x ##y.avi")), QByteArray("OLD-B"));
    QCOMPARE(outputFiles(), QStringList({"a.avi", "it's $x ##y.avi"}));
}

void TestConversionRun::failedOverwriteKeepsTheOldFile()
{
    QVERIFY(writeFile(output + QStringLiteral("/bad.avi"), "OLD"));
    addFiles(media, {"bad.mp4"});
    const auto summaryHandler = answerer->onMessageBox;
    answerer->onMessageBox = [&](QMessageBox *box) {
        if (box->windowTitle() == QLatin1String("File Exists"))
            ModalAnswerer::clickButton(box, QStringLiteral("Overwrite"));
        else
            summaryHandler(box);
    };
    widget<QPushButton>("btnConvert")->click();

    QTRY_VERIFY_WITH_TIMEOUT(!summary.isEmpty(), 60000);
    QCOMPARE(summaryColours, QStringList{"red"});
    QCOMPARE(readFile(output + QStringLiteral("/bad.avi")), QByteArray("OLD"));
    QCOMPARE(outputFiles(), QStringList{"bad.avi"});
}

void TestConversionRun::outputThatIsTheInputIsNeverTouched()
{
    // An AVI converted into its own folder would be its own output, here
    // through a link; and party.mp4's output would replace the listed party.avi.
    QVERIFY(QFile::copy(media + QStringLiteral("/a.mp4"), output + QStringLiteral("/same.AVI")));
    QVERIFY(QFile::link(output + QStringLiteral("/same.AVI"), output + QStringLiteral("/same.avi")));
    QVERIFY(QFile::copy(media + QStringLiteral("/a.mp4"), output + QStringLiteral("/party.mp4")));
    QVERIFY(QFile::copy(media + QStringLiteral("/a.mp4"), output + QStringLiteral("/party.avi")));
    const QByteArray before = readFile(output + QStringLiteral("/same.AVI"));
    addFiles(output, {"same.AVI", "party.mp4", "party.avi"});
    widget<QPushButton>("btnConvert")->click();

    QTRY_VERIFY_WITH_TIMEOUT(!summary.isEmpty(), 60000);
    QCOMPARE(answerer->titles, QStringList{"Conversion Completed!"});
    QCOMPARE(summaryColours, QStringList({"red", "red", "red"}));
    QCOMPARE(readFile(output + QStringLiteral("/same.AVI")), before);
    QCOMPARE(readFile(output + QStringLiteral("/party.avi")), before);
    QCOMPARE(outputFiles(), QStringList({"party.avi", "party.mp4", "same.AVI", "same.avi"}));
}

void TestConversionRun::unattendedRunSkipsExistingOutputsAndPowersOff()
{
    // A stand-in for systemctl, first on the path, so the real one never runs.
    const ToolFolder bin(root.filePath(QStringLiteral("bin")));
    const QString called = root.filePath(QStringLiteral("systemctl-called"));
    QVERIFY(bin.installAs(QStringLiteral("systemctl"), "echo \"$@\" > '" + called.toUtf8() + ".part' && mv '"
                                                         + called.toUtf8() + ".part' '" + called.toUtf8() + "'"));
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.path()) + ':' + oldPath);
    QCOMPARE(QStandardPaths::findExecutable(QStringLiteral("systemctl")), bin.path() + QStringLiteral("/systemctl"));

    QVERIFY(writeFile(output + QStringLiteral("/a.avi"), "OLD"));
    addFiles(media, {"a.mp4", "-lead ünï.mp4"});
    widget<QCheckBox>("chckShutdown")->setChecked(true);
    // Nobody is there to answer a box; one that opens anyway is answered
    // here, so that it fails the test below instead of holding the run.
    answerer->onMessageBox = [](QMessageBox *box) {
        if (QPushButton *button = box->defaultButton())
            button->click();
    };
    widget<QPushButton>("btnConvert")->click();

    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(called), 60000);
    qputenv("PATH", oldPath);
    QCOMPARE(readFile(called), QByteArray("poweroff\n"));
    QVERIFY(answerer->titles.isEmpty());
    QCOMPARE(rowColour(0), QStringLiteral("red"));
    QCOMPARE(rowColour(1), QStringLiteral("green"));
    QCOMPARE(readFile(output + QStringLiteral("/a.avi")), QByteArray("OLD"));
    QVERIFY(!widget<QPushButton>("btnAddFile")->isEnabled());
}

void TestConversionRun::closingDuringRunStopsCleanly()
{
    QVERIFY(writeFile(output + QStringLiteral("/longer.avi"), "OLD"));
    addFiles(media, {"longer.mp4", "a.mp4"});
    const auto summaryHandler = answerer->onMessageBox;
    answerer->onMessageBox = [&](QMessageBox *box) {
        if (box->windowTitle() == QLatin1String("File Exists"))
            ModalAnswerer::clickButton(box, QStringLiteral("Overwrite"));
        else
            summaryHandler(box); // too late: the run ended before it was caught
    };
    widget<QPushButton>("btnConvert")->click();
    // Closed while the long clip's conversion is under way.
    QTRY_VERIFY_WITH_TIMEOUT(ffmpegIsReading(media + QStringLiteral("/longer.mp4")), 30000);

    window->close();
    QTRY_VERIFY_WITH_TIMEOUT(!window->isVisible(), 30000);
    QVERIFY(!window->worker().isRunning());
    QCOMPARE(answerer->titles, QStringList{"File Exists"});
    QCOMPARE(readFile(output + QStringLiteral("/longer.avi")), QByteArray("OLD"));
    QCOMPARE(outputFiles(), QStringList{"longer.avi"});
}

void TestConversionRun::exitEndsTheEventLoopAfterTheWorker()
{
    addFiles(media, {"a.mp4"});
    answerer->onMessageBox = [&](QMessageBox *box) {
        QCOMPARE(box->text(), QStringLiteral("Completed converting the selected files!"));
        QCOMPARE(box->icon(), QMessageBox::Information);
        QCOMPARE(box->defaultButton()->text(), QStringLiteral("New Conversion"));
        QVERIFY(ModalAnswerer::buttonsInOrder(box, {"New Conversion", "Exit"}));
        QVERIFY(ModalAnswerer::ignoresEscape(box));
        ModalAnswerer::clickButton(box, QStringLiteral("Exit"));
    };
    // The application's own loop, as start-up runs it.
    QEventLoop loop;
    QTimer::singleShot(120000, &loop, [&] { loop.exit(99); });
    QTimer::singleShot(0, widget<QPushButton>("btnConvert"), &QPushButton::click);
    QCOMPARE(loop.exec(), 0);
    QVERIFY(!window->worker().isRunning());
    QCOMPARE(outputFiles(), QStringList{"a.avi"});
}

QTEST_MAIN(TestConversionRun)
#include "tst_conversionrun.moc"
