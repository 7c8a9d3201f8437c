#include "app/mainwindow.h"
#include "conversion/conversionthread.h"
#include "protocol/toolprotocol.h"
#include "modalanswerer.h"
#include "systemstate.h"
#include "testhome.h"
#include "testmedia.h"
#include "toolfolder.h"

#include <QDragEnterEvent>
#include <QFileDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <memory>

using namespace SystemState;
using namespace TestMedia;

// The worker and the bridge against tools that misbehave on purpose.
class TestConversionFaults : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void outputNames_data();
    void outputNames();
    void onlyTheMarkerBeforeAnyNulCounts_data();
    void onlyTheMarkerBeforeAnyNulCounts();
    void pathsReachTheToolUnchanged();
    void missingToolFailsEveryFileInOrder();
    void emptyListEmitsNothing();
    void stubbornToolIsKilledWhenStopped();
    void barFollowsTheToolsProgressLines();
    void destroyingWindowDuringRunStopsTheTool();
    void destroyingWindowWhileAQuestionIsPendingAnswersIt();
    void dropsDuringARunAreRefused();
    void qualitySliderReachesTheTool();
    void barAndButtonsFollowEachCompletedFile();
    void secondRunReportsOnlyItsOwnFailures();

private:
    QString rowColour(const MainWindow &window, int row) const;
    static void startOverAtSummary(ModalAnswerer &answerer, bool *summarised);
    using Completions = QList<QPair<int, bool>>;
    Completions runWorker(ConversionThread &worker, const QStringList &paths);
    // A window that lists the files, through its dialog, and converts them.
    std::unique_ptr<MainWindow> startRun(ModalAnswerer &answerer, const QStringList &names);

    QTemporaryDir root;
    TestHome home;
    QString programDir;
    QString inputs;
    QString output;
};

void TestConversionFaults::initTestCase()
{
    QVERIFY(root.isValid());
    home.enter();
    programDir = root.filePath(QStringLiteral("program"));
    inputs = root.filePath(QStringLiteral("in ## <dir> $x"));
    output = root.filePath(QStringLiteral("out"));
    QVERIFY(QDir().mkpath(programDir) && QDir().mkpath(inputs) && QDir().mkpath(output));
    for (const char *name : {"a.mp4", "b.mp4", "c.mp4", "d.mp4", "bad.mp4", "slow.mp4"})
        QVERIFY(writeFile(inputs + QLatin1Char('/') + QLatin1String(name), "not really a clip"));

    // Probes answer ten seconds; conversions behave as FAKE_TOOL says.
    QVERIFY(ToolFolder(programDir).install(R"(
if [ "$#" -eq 2 ]; then echo '$10$'; exit 0; fi
case "$FAKE_TOOL" in
  nul) printf 'x\000##success##\n' ;;
  upper) echo '##SUCCESS##' ;;
  marker-then-crash) echo 'noise ##success## noise'; kill -SEGV $$ ;;
  args) printf '%s\n' "$@" > "$ARGS_FILE"; echo '##success##' ;;
  wait) while [ ! -e "$RELEASE" ]; do sleep 0.05; done; echo '##success##' ;;
  stubborn) trap 'echo > "$STARTED.asked"' TERM; echo started > "$STARTED"; while :; do sleep 0.05; done ;;
  report) case "$2" in
          *a.mp4) echo '@progress 4'; echo '##success##' ;;
          *b.mp4) printf '@progress 5\n@progress -3\n@progress 5x\n@progress 4294967296\n##progress 9\n'
                  printf ' @progress 8\n@progress 9 \n@progr'; sleep 0.1; printf 'ess 7\n##success##\n' ;;
          *c.mp4) echo '@progress 15'; echo '@progress 2' ;;
          *) echo '##success##' ;;
        esac ;;
  pick) case "$2" in
          *bad*) echo 'cannot read it' ;;
          *slow*) while [ ! -e "$RELEASE" ]; do sleep 0.05; done; echo '##success##' ;;
          *) echo '##success##' ;;
        esac ;;
esac)"));
    QVERIFY(QDir::setCurrent(programDir));
}

TestConversionFaults::Completions TestConversionFaults::runWorker(ConversionThread &worker, const QStringList &paths)
{
    QStringList names;
    for (const QString &path : paths)
        names << QFileInfo(path).fileName();
    worker.pathList = &paths;
    worker.nameList = &names;
    worker.outputFolder = output + QLatin1Char('/');
    QSignalSpy spy(&worker, &ConversionThread::fileCompleted);
    worker.start();
    worker.wait();
    // Completions are queued to this thread; collect them.
    QCoreApplication::processEvents();
    Completions completions;
    for (const QList<QVariant> &arguments : std::as_const(spy))
        completions.append({arguments.at(0).toInt(), arguments.at(1).toBool()});
    return completions;
}

std::unique_ptr<MainWindow> TestConversionFaults::startRun(ModalAnswerer &answerer, const QStringList &names)
{
    auto window = std::make_unique<MainWindow>();
    window->findChild<QPlainTextEdit *>(QStringLiteral("txtCurrentDir"))->setPlainText(output + QLatin1Char('/'));
    answerer.onFileDialog = [this, names](QFileDialog *dialog) { ModalAnswerer::chooseFiles(dialog, inputs, names); };
    window->findChild<QPushButton *>(QStringLiteral("btnAddFile"))->click();
    window->findChild<QPushButton *>(QStringLiteral("btnConvert"))->click();
    return window;
}

void TestConversionFaults::outputNames_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << "clip.mp4" << "clip.avi";
    QTest::newRow("several dots") << "my.holiday.mov" << "my.holiday.avi";
    QTest::newRow("upper case") << "clip.AVI" << "clip.avi";
    QTest::newRow("trailing dot") << "clip." << "clip.avi";
    QTest::newRow("no dot") << "clip" << "clip.avi";
    QTest::newRow("markers") << "##x<y>.mkv" << "##x<y>.avi";
}

void TestConversionFaults::outputNames()
{
    QFETCH(QString, input);
    QFETCH(QString, expected);
    QCOMPARE(ConversionThread::outputNameFor(input), expected);
}

void TestConversionFaults::onlyTheMarkerBeforeAnyNulCounts_data()
{
    QTest::addColumn<QByteArray>("mode");
    QTest::addColumn<bool>("converted");
    QTest::newRow("after a NUL") << QByteArray("nul") << false;
    QTest::newRow("upper case") << QByteArray("upper") << false;
    QTest::newRow("crash after the marker") << QByteArray("marker-then-crash") << true;
}

void TestConversionFaults::onlyTheMarkerBeforeAnyNulCounts()
{
    QFETCH(QByteArray, mode);
    QFETCH(bool, converted);
    qputenv("FAKE_TOOL", mode);
    ConversionThread worker;
    QCOMPARE(runWorker(worker, {inputs + QStringLiteral("/a.mp4")}), Completions({{0, converted}}));
}

void TestConversionFaults::pathsReachTheToolUnchanged()
{
    const QString argsFile = root.filePath(QStringLiteral("args"));
    qputenv("FAKE_TOOL", "args");
    qputenv("ARGS_FILE", QFile::encodeName(argsFile));
    ConversionThread worker;
    worker.quality = 0;
    const QString input = inputs + QStringLiteral("/a.mp4");
    QCOMPARE(runWorker(worker, {input}), Completions({{0, true}}));

    const QStringList expected{"-i", input, "-vcodec", "mpeg4", "-aq", "0", "-acodec", "libmp3lame",
                               "-aq", "0", "-f", "avi", output + QStringLiteral("/a.avi")};
    QCOMPARE(QString::fromUtf8(readFile(argsFile)).split(QLatin1Char('\n'), Qt::SkipEmptyParts), expected);
}

void TestConversionFaults::missingToolFailsEveryFileInOrder()
{
    const QString empty = root.filePath(QStringLiteral("empty"));
    QVERIFY(QDir().mkpath(empty));
    QVERIFY(QDir::setCurrent(empty));
    ConversionThread worker;
    const Completions completions = runWorker(worker, {inputs + "/a.mp4", inputs + "/b.mp4", inputs + "/c.mp4"});
    QVERIFY(QDir::setCurrent(programDir));
    QCOMPARE(completions, Completions({{0, false}, {1, false}, {2, false}}));
    QCOMPARE(worker.currentIndex.loadAcquire(), 3);
}

void TestConversionFaults::emptyListEmitsNothing()
{
    ConversionThread worker;
    QVERIFY(runWorker(worker, {}).isEmpty());
    worker.pathList = nullptr;
    worker.start();
    QVERIFY(worker.wait(5000));
}

void TestConversionFaults::stubbornToolIsKilledWhenStopped()
{
    const QString started = root.filePath(QStringLiteral("started"));
    qputenv("FAKE_TOOL", "stubborn");
    qputenv("STARTED", QFile::encodeName(started));
    const QStringList paths{inputs + QStringLiteral("/a.mp4"), inputs + QStringLiteral("/b.mp4")};
    const QStringList names{"a.mp4", "b.mp4"};
    ConversionThread worker(nullptr, 500);
    worker.pathList = &paths;
    worker.nameList = &names;
    worker.outputFolder = output + QLatin1Char('/');
    QSignalSpy spy(&worker, &ConversionThread::fileCompleted);
    worker.start();
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(started), 10000);

    worker.requestStop();
    QVERIFY(worker.wait(30000));
    QCoreApplication::processEvents();
    QCOMPARE(spy.size(), 1); // the stopped file; the next one never started
    QCOMPARE(spy.at(0).at(1).toBool(), false);
    // Asked first, so that a tool that can clean up gets its chance.
    QVERIFY(QFileInfo::exists(started + QStringLiteral(".asked")));
    QFile::remove(started + QStringLiteral(".asked"));
    // The kernel may take a moment to take a killed process off its list.
    QTRY_VERIFY_WITH_TIMEOUT(processesMentioning(inputs).isEmpty(), 5000);
    QFile::remove(started);
}

// Only whole progress lines move the bar, each within its own file's band and
// never back; a file that fails still ends its band.
void TestConversionFaults::barFollowsTheToolsProgressLines()
{
    qputenv("FAKE_TOOL", "report");
    ModalAnswerer answerer;
    bool summarised = false;
    startOverAtSummary(answerer, &summarised);
    MainWindow window;
    auto *bar = window.findChild<QProgressBar *>(QStringLiteral("prgrsConversion"));
    QList<int> values;
    connect(bar, &QProgressBar::valueChanged, this, [&](int value) { values << value; });
    window.findChild<QPlainTextEdit *>(QStringLiteral("txtCurrentDir"))->setPlainText(output + QLatin1Char('/'));
    answerer.onFileDialog = [&](QFileDialog *dialog) {
        ModalAnswerer::chooseFiles(dialog, inputs, {"a.mp4", "b.mp4", "c.mp4", "d.mp4"});
    };
    window.findChild<QPushButton *>(QStringLiteral("btnAddFile"))->click();
    QCOMPARE(window.durationList(), QVector<uint>({10, 10, 10, 10}));
    window.findChild<QPushButton *>(QStringLiteral("btnConvert"))->click();
    QCOMPARE(bar->maximum(), 400);

    QTRY_VERIFY_WITH_TIMEOUT(summarised, 30000);
    values.removeAll(0);
    QCOMPARE(values, QList<int>({40, 100, 150, 170, 200, 300, 400}));
    QCOMPARE(window.failures(), QStringList{"c.mp4"});
    for (const char *name : {"a.avi", "b.avi", "d.avi"})
        QFile::remove(output + QLatin1Char('/') + QLatin1String(name));
}

void TestConversionFaults::destroyingWindowDuringRunStopsTheTool()
{
    qputenv("FAKE_TOOL", "wait");
    qputenv("RELEASE", QFile::encodeName(root.filePath(QStringLiteral("never"))));
    ModalAnswerer answerer;
    auto window = startRun(answerer, {"a.mp4"});
    QTRY_VERIFY_WITH_TIMEOUT(!processesMentioning(inputs).isEmpty(), 10000);

    window.reset();
    QVERIFY(processesMentioning(inputs).isEmpty());
}

void TestConversionFaults::destroyingWindowWhileAQuestionIsPendingAnswersIt()
{
    qputenv("FAKE_TOOL", "upper");
    QVERIFY(writeFile(output + QStringLiteral("/a.avi"), "OLD"));
    ModalAnswerer answerer;
    auto window = startRun(answerer, {"a.mp4"});

    // No event is processed here: the worker's question waits in the queue
    // when the window goes, as it would if the application quit meanwhile.
    QThread::msleep(100);
    QVERIFY(window->worker().isRunning());
    window.reset();

    QVERIFY(answerer.titles.isEmpty());
    QCOMPARE(readFile(output + QStringLiteral("/a.avi")), QByteArray("OLD"));
    QFile::remove(output + QStringLiteral("/a.avi"));
}

// The worker reads the list while it runs: a file manager's drag is turned
// away at once, as the disabled add button turns the user away.
void TestConversionFaults::dropsDuringARunAreRefused()
{
    qputenv("FAKE_TOOL", "wait");
    qputenv("RELEASE", QFile::encodeName(root.filePath(QStringLiteral("never"))));
    ModalAnswerer answerer;
    auto window = startRun(answerer, {"a.mp4"});
    QVERIFY(window->worker().isRunning());

    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(inputs + QStringLiteral("/b.mp4"))});
    QWidget *viewport = window->findChild<QTableWidget *>(QStringLiteral("tblFiles"))->viewport();
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &enter);
    QVERIFY(!enter.isAccepted());
    QDropEvent drop(QPoint(20, 20), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &drop);
    QVERIFY(!drop.isAccepted());
}

// Answers the summary with "New Conversion", noting that it came.
void TestConversionFaults::startOverAtSummary(ModalAnswerer &answerer, bool *summarised)
{
    answerer.onMessageBox = [summarised](QMessageBox *box) {
        *summarised = true;
        ModalAnswerer::clickButton(box, QStringLiteral("New Conversion"));
    };
}

QString TestConversionFaults::rowColour(const MainWindow &window, int row) const
{
    const QTableWidgetItem *item = window.findChild<QTableWidget *>(QStringLiteral("tblFiles"))->item(row, 0);
    if (!item || item->background().style() == Qt::NoBrush)
        return QString();
    return item->background().color() == QColor(Qt::darkGreen) ? QStringLiteral("green") : QStringLiteral("red");
}

// Moved as a user moves it, with the keyboard; read back from what the tool
// was given.
void TestConversionFaults::qualitySliderReachesTheTool()
{
    const QString argsFile = root.filePath(QStringLiteral("slider-args"));
    qputenv("FAKE_TOOL", "args");
    qputenv("ARGS_FILE", QFile::encodeName(argsFile));
    ModalAnswerer answerer;
    bool summarised = false;
    startOverAtSummary(answerer, &summarised);
    MainWindow window;
    window.show();
    window.findChild<QPlainTextEdit *>(QStringLiteral("txtCurrentDir"))->setPlainText(output + QLatin1Char('/'));
    auto *slider = window.findChild<QSlider *>(QStringLiteral("sliderQuality"));
    QTest::keyClick(slider, Qt::Key_Home);
    for (int step = 0; step < 7; ++step)
        QTest::keyClick(slider, Qt::Key_Right);
    QCOMPARE(slider->value(), 7);

    answerer.onFileDialog = [this](QFileDialog *dialog) { ModalAnswerer::chooseFiles(dialog, inputs, {"a.mp4"}); };
    window.findChild<QPushButton *>(QStringLiteral("btnAddFile"))->click();
    window.findChild<QPushButton *>(QStringLiteral("btnConvert"))->click();
    QTRY_VERIFY_WITH_TIMEOUT(summarised, 30000);

    const QStringList arguments = QString::fromUtf8(readFile(argsFile)).split(QLatin1Char('\n'));
    QCOMPARE(arguments.count(QStringLiteral("-aq")), 2);
    for (int i = 0; i < arguments.size(); ++i) {
        if (arguments.at(i) == QLatin1String("-aq"))
            QCOMPARE(arguments.value(i + 1), QStringLiteral("7"));
    }
    QFile::remove(output + QStringLiteral("/a.avi"));
}

// While a later file is still converting, a coloured row must neither move
// the bar back to the start of its band nor give Convert back; under the
// summary the bar stands full.
void TestConversionFaults::barAndButtonsFollowEachCompletedFile()
{
    const QString release = root.filePath(QStringLiteral("release-slow"));
    qputenv("FAKE_TOOL", "pick");
    qputenv("RELEASE", QFile::encodeName(release));
    ModalAnswerer answerer;
    int barUnderSummary = -1;
    int barMaximum = -1;
    answerer.onMessageBox = [&](QMessageBox *box) {
        auto *bar = box->parentWidget()->findChild<QProgressBar *>(QStringLiteral("prgrsConversion"));
        barUnderSummary = bar->isHidden() ? -2 : bar->value();
        barMaximum = bar->maximum();
        ModalAnswerer::clickButton(box, QStringLiteral("New Conversion"));
    };
    auto window = startRun(answerer, {"a.mp4", "bad.mp4", "slow.mp4"});
    auto *bar = window->findChild<QProgressBar *>(QStringLiteral("prgrsConversion"));
    auto *convert = window->findChild<QPushButton *>(QStringLiteral("btnConvert"));

    QTRY_VERIFY_WITH_TIMEOUT(!rowColour(*window, 1).isEmpty(), 10000);
    QCOMPARE(rowColour(*window, 0), QStringLiteral("green"));
    QCOMPARE(rowColour(*window, 1), QStringLiteral("red"));
    QVERIFY(rowColour(*window, 2).isEmpty());
    QCOMPARE(bar->value(), 200);
    QVERIFY(!convert->isEnabled());
    QVERIFY(!window->findChild<QPushButton *>(QStringLiteral("btnAddFile"))->isEnabled());

    QVERIFY(writeFile(release, "go"));
    QTRY_VERIFY_WITH_TIMEOUT(barUnderSummary != -1, 30000);
    QCOMPARE(barMaximum, 300);
    QCOMPARE(barUnderSummary, 300);
    QFile::remove(release);
    for (const char *name : {"a.avi", "slow.avi"})
        QFile::remove(output + QLatin1Char('/') + QLatin1String(name));
}

void TestConversionFaults::secondRunReportsOnlyItsOwnFailures()
{
    qputenv("FAKE_TOOL", "pick");
    ModalAnswerer answerer;
    QStringList summaries;
    answerer.onMessageBox = [&](QMessageBox *box) {
        summaries << box->text();
        ModalAnswerer::clickButton(box, QStringLiteral("New Conversion"));
    };
    auto window = startRun(answerer, {"bad.mp4", "a.mp4"});
    QTRY_COMPARE_WITH_TIMEOUT(summaries.size(), 1, 30000);
    QCOMPARE(summaries.at(0), QStringLiteral("Completed converting the selected files!\n"
                                             "The following files failed to be converted:\nbad.mp4\n"));

    // The same window, a new list; the first run's outputs are gone.
    QFile::remove(output + QStringLiteral("/a.avi"));
    answerer.onFileDialog = [this](QFileDialog *dialog) { ModalAnswerer::chooseFiles(dialog, inputs, {"b.mp4"}); };
    window->findChild<QPushButton *>(QStringLiteral("btnAddFile"))->click();
    window->findChild<QPushButton *>(QStringLiteral("btnConvert"))->click();
    QTRY_COMPARE_WITH_TIMEOUT(summaries.size(), 2, 30000);
    QCOMPARE(summaries.at(1), QStringLiteral("Completed converting the selected files!"));
    QVERIFY(window->failures().isEmpty());
    QFile::remove(output + QStringLiteral("/b.avi"));
}

QTEST_MAIN(TestConversionFaults)
#include "tst_conversionfaults.moc"
