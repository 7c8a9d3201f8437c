#include "packagebuild.h"
#include "processrun.h"
#include "testhome.h"
#include "testmedia.h"
#include "toolfolder.h"
#include "virtualdisplay.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

namespace {
const QString appId = QStringLiteral("org.tarvelo.Tarvelo");

struct Result
{
    bool finished = false;
    int exitCode = -1;
    QString output;
    QString errors;
};

Result runTool(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment,
               const QString &folder = QString())
{
    const ProcessRun run = runProcess(program, arguments, environment, folder, 300000);
    return {run.finished, run.exitCode, QString::fromUtf8(run.out), QString::fromUtf8(run.err)};
}

// Runs a packaged program by its bare name, found through the given PATH as a
// user's shell would; QProcess itself would look in our own PATH.
Result runPackaged(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment,
                   const QString &folder = QString())
{
    return runTool(QStringLiteral("env"), QStringList{program} + arguments, environment, folder);
}

QString desktopEntryValue(const QString &path, const QString &key)
{
    const QString text = QString::fromUtf8(TestMedia::readFile(path));
    const QRegularExpression line(QStringLiteral("^%1=(.*)$").arg(QRegularExpression::escape(key)),
                                  QRegularExpression::MultilineOption);
    return line.match(text).captured(1).trimmed();
}
} // namespace

// Builds the package once from a copy of the source tree and checks what a
// user gets from it, without installing it into the system.
class PackageTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void fileList_data();
    void fileList();
    void staysUnderUsr();
    void iconSizes();
    void dependencies();
    void lintianClean();
    void manPageFollowsHelp();
    void probeAndConvert();
    void windowClassMatchesDesktopEntry();

private:
    QString root(const QString &path) const { return build.rootFolder() + QLatin1Char('/') + path; }
    QProcessEnvironment packagedEnvironment() const;

    QTemporaryDir work;
    TestHome home;
    PackageBuild build{work.path()};
    QString standInBin;
};

void PackageTest::initTestCase()
{
    QVERIFY(work.isValid());
    // Nothing started from here may power the machine off.
    standInBin = work.filePath(QStringLiteral("bin"));
    QVERIFY(QDir().mkpath(standInBin));
    QVERIFY(ToolFolder::writeScript(standInBin + QStringLiteral("/systemctl"),
                                    "echo \"$*\" >> \"$(dirname \"$0\")/systemctl-called\""));
    qputenv("PATH", standInBin.toLocal8Bit() + ':' + qgetenv("PATH"));

    QVERIFY2(build.copySource(QStringLiteral(TARVELO_SOURCE_DIR)), qPrintable(build.error()));
    QVERIFY2(build.build(), qPrintable(build.error()));
    QVERIFY2(build.unpack(), qPrintable(build.error()));
    // The package carries the version that the build gives the programs.
    QVERIFY2(QFileInfo(build.debPath()).fileName().startsWith(QStringLiteral("tarvelo_" TARVELO_VERSION "_")),
             qPrintable(build.debPath()));
}

QProcessEnvironment PackageTest::packagedEnvironment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PATH"), standInBin + QLatin1Char(':') + root(QStringLiteral("usr/bin"))
                                                   + QStringLiteral(":/usr/bin:/bin"));
    environment.remove(QStringLiteral("LD_LIBRARY_PATH"));
    return environment;
}

void PackageTest::fileList_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("executable");

    QTest::newRow("application") << "usr/lib/tarvelo/tarvelo" << true;
    QTest::newRow("transcoder") << "usr/lib/tarvelo/tarvelo-transcode" << true;
    QTest::newRow("help beside them") << "usr/lib/tarvelo/help.html" << false;
    QTest::newRow("German catalogue") << "usr/lib/tarvelo/translations/tarvelo_de.qm" << false;
    QTest::newRow("bin/tarvelo") << "usr/bin/tarvelo" << true;
    QTest::newRow("bin/tarvelo-transcode") << "usr/bin/tarvelo-transcode" << true;
    QTest::newRow("desktop entry") << "usr/share/applications/" + appId + ".desktop" << false;
    QTest::newRow("metainfo") << "usr/share/metainfo/" + appId + ".metainfo.xml" << false;
    QTest::newRow("tarvelo(1)") << "usr/share/man/man1/tarvelo.1.gz" << false;
    QTest::newRow("tarvelo-transcode(1)") << "usr/share/man/man1/tarvelo-transcode.1.gz" << false;
    QTest::newRow("copyright") << "usr/share/doc/tarvelo/copyright" << false;
}

void PackageTest::fileList()
{
    QFETCH(QString, path);
    QFETCH(bool, executable);

    // Links are followed inside the unpacked tree: bin/ links must be relative
    // to land in the program folder wherever the package is unpacked.
    const QFileInfo info(root(path));
    QVERIFY2(info.exists(), qPrintable(path + QStringLiteral(" is missing or a dangling link")));
    QVERIFY2(info.canonicalFilePath().startsWith(QDir(build.rootFolder()).canonicalPath()),
             qPrintable(path + QStringLiteral(" points outside the package")));
    QCOMPARE(info.isExecutable(), executable);
    if (path.startsWith(QLatin1String("usr/bin/")))
        QCOMPARE(QFileInfo(info.canonicalFilePath()).path(), QFileInfo(root(QStringLiteral("usr/lib/tarvelo/x"))).path());
}

void PackageTest::staysUnderUsr()
{
    const QStringList contents = build.contents();
    QVERIFY(!contents.isEmpty());
    for (const QString &entry : contents) {
        QVERIFY2(entry == QLatin1String("./") || entry.startsWith(QLatin1String("./usr/")), qPrintable(entry));
        QVERIFY2(!entry.startsWith(QLatin1String("./usr/local")), qPrintable(entry));
    }
}

void PackageTest::iconSizes()
{
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        const QString path = root(QStringLiteral("usr/share/icons/hicolor/%1x%1/apps/tarvelo.png").arg(size));
        const QImage icon(path);
        QVERIFY2(!icon.isNull(), qPrintable(path));
        QCOMPARE(icon.size(), QSize(size, size));
    }
    const QString entry = root(QStringLiteral("usr/share/applications/") + appId + QStringLiteral(".desktop"));
    QCOMPARE(desktopEntryValue(entry, QStringLiteral("Icon")), QStringLiteral("tarvelo"));
}

void PackageTest::dependencies()
{
    const QString depends = build.field(QStringLiteral("Depends"));
    // The libav libraries are opened at run time and so invisible to shlibs.
    for (const char *package : {"ffmpeg", "libqt6gui6", "libqt6widgets6", "libavformat", "libavcodec", "libavutil",
                                "qt6-translations-l10n"})
        QVERIFY2(depends.contains(QLatin1String(package)), qPrintable(QLatin1String(package) + QStringLiteral(" not in: ") + depends));
    QVERIFY2(!depends.contains(QLatin1Char('$')), qPrintable(depends));
}

void PackageTest::lintianClean()
{
    const Result lintian = runTool(QStringLiteral("lintian"), {"--fail-on", "error,warning", build.debPath()},
                                   QProcessEnvironment::systemEnvironment());
    QVERIFY2(lintian.finished, "lintian did not finish");
    QVERIFY2(lintian.exitCode == 0, qPrintable(lintian.output + lintian.errors));
}

void PackageTest::manPageFollowsHelp()
{
    const Result help = runPackaged(QStringLiteral("tarvelo-transcode"), {"--help"}, packagedEnvironment());
    QVERIFY(help.finished);
    QCOMPARE(help.exitCode, 0);
    QVERIFY2(help.output.startsWith(QLatin1String("Usage:")), qPrintable(help.output));

    QProcessEnvironment environment = packagedEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    environment.insert(QStringLiteral("MANWIDTH"), QStringLiteral("200"));
    const Result man = runTool(QStringLiteral("man"),
                               {"--no-hyphenation", "--no-justification", "--local-file",
                                root(QStringLiteral("usr/share/man/man1/tarvelo-transcode.1.gz"))},
                               environment);
    QVERIFY(man.finished);
    QCOMPARE(man.exitCode, 0);
    // Line by line, as words: the page reflows the text but must not lose or
    // change any of it.
    const QString page = man.output.simplified();
    const QStringList lines = help.output.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        const QString words = line.simplified();
        if (!words.isEmpty())
            QVERIFY2(page.contains(words), qPrintable(QStringLiteral("the manual page lacks: ") + words));
    }

    const Result windowPage = runTool(QStringLiteral("man"),
                                      {"--local-file", root(QStringLiteral("usr/share/man/man1/tarvelo.1.gz"))},
                                      environment);
    QCOMPARE(windowPage.exitCode, 0);
    // The page names the folder the package really installs into.
    QVERIFY2(windowPage.output.contains(QLatin1String("/usr/lib/tarvelo/")), qPrintable(windowPage.output));
}

void PackageTest::probeAndConvert()
{
    // A folder far from the build tree, with a name a shell would trip over.
    const QString folder = work.filePath(QStringLiteral("clips $HOME 'x'"));
    QVERIFY(QDir().mkpath(folder));
    const QString clip = folder + QStringLiteral("/-clip ##1.mp4");
    QVERIFY(TestMedia::makeClip(clip, 3));

    const Result probe = runPackaged(QStringLiteral("tarvelo-transcode"), {"-i", clip}, packagedEnvironment(), folder);
    QVERIFY(probe.finished);
    QCOMPARE(probe.output.trimmed(), QStringLiteral("$3$"));
    QCOMPARE(probe.exitCode, 0);

    const QString output = folder + QStringLiteral("/-clip ##1.avi");
    const Result convert = runPackaged(QStringLiteral("tarvelo-transcode"),
                                   {"-i", clip, "-vcodec", "mpeg4", "-aq", "50", "-acodec", "libmp3lame", "-aq", "50",
                                    "-f", "avi", output},
                                   packagedEnvironment(), folder);
    QVERIFY(convert.finished);
    QVERIFY2(convert.output.contains(QLatin1String("##success##")), qPrintable(convert.output + convert.errors));
    QCOMPARE(convert.exitCode, 0);
    QCOMPARE(TestMedia::describe(output), QStringLiteral("mpeg4,XVID mp3,U[0][0][0] avi"));
}

void PackageTest::windowClassMatchesDesktopEntry()
{
    VirtualDisplay display;
    QVERIFY2(display.start(), "Xvfb could not start");

    QProcessEnvironment environment = packagedEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display.name());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    home.applyTo(environment);
    QProcess application;
    application.setProcessEnvironment(environment);
    application.start(QStringLiteral("env"), {QStringLiteral("tarvelo")});
    QVERIFY(application.waitForStarted(10000));

    // The window's line in the tree: 0x200006 "Tarvelo": ("tarvelo" "tarvelo")  600x480+0+0 ...
    const QRegularExpression windowLine(QStringLiteral("0x[0-9a-f]+ \"Tarvelo\": \\(\"([^\"]*)\" \"([^\"]*)\"\\)"));
    QRegularExpressionMatch window;
    QElapsedTimer waited;
    waited.start();
    while (!window.hasMatch() && waited.elapsed() < 30000 && application.state() == QProcess::Running) {
        QThread::msleep(200);
        const Result tree = runTool(QStringLiteral("xwininfo"), {"-root", "-tree", "-display", display.name()}, environment);
        window = windowLine.match(tree.output);
    }
    application.kill();
    application.waitForFinished(10000);
    QVERIFY2(window.hasMatch(), qPrintable(QString::fromUtf8(application.readAllStandardError())));

    const QString entry = root(QStringLiteral("usr/share/applications/") + appId + QStringLiteral(".desktop"));
    const QString wmClass = desktopEntryValue(entry, QStringLiteral("StartupWMClass"));
    QVERIFY(!wmClass.isEmpty());
    QCOMPARE(window.captured(2), wmClass);
}

QTEST_GUILESS_MAIN(PackageTest)
#include "tst_package.moc"
