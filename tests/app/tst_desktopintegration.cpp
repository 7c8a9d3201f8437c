#include "app/mainwindow.h"
#include "app/runnotifier.h"
#include "app/singleinstance.h"
#include "modalanswerer.h"
#include "processrun.h"
#include "testhome.h"
#include "testmedia.h"

#include <QCheckBox>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

// Stands in for the desktop's notification service on a private bus, and
// listens there for the task-bar entry's progress.
class NotificationService : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    QStringList notices;
    QList<QVariantMap> launcher;

public slots:
    Q_SCRIPTABLE uint Notify(const QString &, uint, const QString &, const QString &summary, const QString &body,
                             const QStringList &actions, const QVariantMap &, int)
    {
        notices.append(summary + QLatin1Char('|') + body + QLatin1Char('|') + actions.join(QLatin1Char(',')));
        return 40 + uint(notices.size());
    }
    void launcherUpdated(const QString &entry, const QVariantMap &properties)
    {
        if (entry == QLatin1String("application://org.tarvelo.Tarvelo.desktop"))
            launcher.append(properties);
    }
};

// The desktop's ways into the window: later starts of the real program that
// hand over their files, and what a run tells the desktop.
class TestDesktopIntegration : public QObject
{
    Q_OBJECT

public:
    static void initMain() { TestHome::enterForTheWholeRun(); }

private slots:
    void initTestCase();
    void laterStartsHandTheirFilesOver();
    void staleSocketAndGarbageAreSurvived_data();
    void staleSocketAndGarbageAreSurvived();
    void filesTheBusyWindowDoesNotTakeOpenTheirOwnWindow();
    void handOverArrivingInPartsIsReadWhole();
    void runEndIsAnnouncedOnceAndHandedFilesWait();
    void otherProgramsNotificationsDoNotRaiseTheWindow();

private:
    QString place(const QString &name) const;
    // A private session bus, ended with the process; its address, or nothing.
    static QString startSessionBus(QProcess &daemon);
    static bool offerNotifications(QDBusConnection &desktop, NotificationService &service);
    static void convert(MainWindow &window, const QString &outputFolder, bool powerOff);

    QTemporaryDir files;
    QString programDir;
};

void TestDesktopIntegration::initTestCase()
{
    QVERIFY(files.isValid());
    QVERIFY(TestMedia::makeClip(files.filePath(QStringLiteral("clip.mp4")), 1, QStringLiteral("64x48")));
    programDir = QFileInfo(QStringLiteral(TARVELO_PROGRAM_DIR)).canonicalFilePath();
    QVERIFY(QDir::setCurrent(programDir));
}

QString TestDesktopIntegration::place(const QString &name) const
{
    const QString path = files.filePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!QFile::exists(path))
        QFile::copy(files.filePath(QStringLiteral("clip.mp4")), path);
    return path;
}

void TestDesktopIntegration::laterStartsHandTheirFilesOver()
{
    place(QStringLiteral("-first.mp4"));
    place(QStringLiteral("--"));
    place(QStringLiteral("shelf/b.mp4"));
    place(QStringLiteral("shelf/sub/c.mp4"));
    const QString single = place(QStringLiteral("elsewhere/a.mp4"));

    // The first start's own files, named relative to where it started; after
    // the first "--" even a second one is a file's name.
    QVERIFY(QDir::setCurrent(files.path()));
    SingleInstance first({QStringLiteral("tarvelo"), QStringLiteral("--"), QStringLiteral("-first.mp4"),
                          QStringLiteral("--")});
    QVERIFY(QDir::setCurrent(programDir));
    QVERIFY(!first.handedOver());
    MainWindow window;
    window.show();
    first.serve(&window);
    QTRY_COMPARE(window.names(), QStringList({QStringLiteral("-first.mp4"), QStringLiteral("--")}));
    QCOMPARE(window.paths().first(), files.filePath(QStringLiteral("-first.mp4")));
    QCOMPARE(window.durationList().first(), 1u);

    // Two users never share it: the socket is its owner's alone.
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup
                                            | QFileDevice::ReadOther | QFileDevice::WriteOther;
    QCOMPARE(QFileInfo(SingleInstance::socketPath()).permissions() & others, QFileDevice::Permissions());

    // The real program, started from the folder of the files as a terminal would.
    const ProcessRun second = runProcess(programDir + QStringLiteral("/tarvelo"), {QStringLiteral("shelf"), single},
                                         QProcessEnvironment::systemEnvironment(), files.path(), 20000);
    QVERIFY2(second.succeeded(), second.err.constData());
    QTRY_COMPARE(window.names(), QStringList({"-first.mp4", "--", "b.mp4", "c.mp4", "a.mp4"}));

    // Without files, a start brings the open window to the front.
    window.showMinimized();
    QVERIFY(SingleInstance({QStringLiteral("tarvelo")}).handedOver());
    QTRY_VERIFY(!window.isMinimized());
}

void TestDesktopIntegration::staleSocketAndGarbageAreSurvived_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QByteArray endless = SingleInstance::message({QStringLiteral("/x")}).left(8);
    endless += QByteArray::fromHex("ffffffff") + "/x";
    QTest::newRow("not ours") << QByteArrayLiteral("GET / HTTP/1.1\r\n\r\n");
    QTest::newRow("endless length") << endless;
    QTest::newRow("relative paths") << SingleInstance::message({QStringLiteral("clip.mp4"), QStringLiteral("../x")});
}

void TestDesktopIntegration::staleSocketAndGarbageAreSurvived()
{
    QFETCH(QByteArray, bytes);
    // A crashed Tarvelo leaves its socket behind with nobody listening.
    const QByteArray path = QFile::encodeName(SingleInstance::socketPath());
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    QVERIFY(size_t(path.size()) < sizeof(address.sun_path));
    qstrcpy(address.sun_path, path.constData());
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    QCOMPARE(bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);
    close(fd);

    SingleInstance first({QStringLiteral("tarvelo")});
    QVERIFY(!first.handedOver());
    QSignalSpy handed(&first, &SingleInstance::filesHanded);
    QSignalSpy raised(&first, &SingleInstance::raiseRequested);

    QLocalSocket client;
    client.connectToServer(SingleInstance::socketPath());
    QVERIFY(client.waitForConnected(5000));
    client.write(bytes);
    QVERIFY(client.waitForBytesWritten(5000));
    // Dropped, and the connection closed.
    QTRY_COMPARE(client.state(), QLocalSocket::UnconnectedState);
    QCOMPARE(handed.size() + raised.size(), 0);

    // The next start's files still arrive, from the same code a second process runs.
    const QString clip = files.filePath(QStringLiteral("clip.mp4"));
    QVERIFY(SingleInstance({QStringLiteral("tarvelo"), clip}).handedOver());
    QTRY_COMPARE(handed.size(), 1);
    QCOMPARE(handed.first().first().toStringList(), QStringList({clip}));
    QCOMPARE(raised.size(), 0);
}

// The open window's thread is busy elsewhere and reads nothing meanwhile; a
// message longer than the socket's buffer then reaches it in no part.
void TestDesktopIntegration::filesTheBusyWindowDoesNotTakeOpenTheirOwnWindow()
{
    // Some 2 MB of paths, each near the longest a path may be.
    QString deep = files.filePath(QStringLiteral("deep"));
    while (deep.size() < 3700)
        deep += QLatin1Char('/') + QString(240, QLatin1Char('d'));
    QVERIFY(QDir().mkpath(deep));
    QStringList arguments{QStringLiteral("tarvelo")};
    for (int i = 0; i < 500; ++i) {
        arguments.append(deep + QStringLiteral("/clip %1.mp4").arg(i, 3, 10, QLatin1Char('0')));
        QVERIFY(TestMedia::writeFile(arguments.last(), QByteArray()));
    }

    SingleInstance first({QStringLiteral("tarvelo")});
    QVERIFY(!first.handedOver());
    QSignalSpy handed(&first, &SingleInstance::filesHanded);
    SingleInstance second(arguments);
    // The wait for a busy window, a tenth of its usual length: giving up is
    // what counts here, not after how long.
    QVERIFY(!second.handedOver(200));

    // Its own window lists them all; without a tool in reach the probes fail at once.
    QVERIFY(QDir::setCurrent(deep));
    MainWindow own;
    own.show();
    second.serve(&own);
    QTRY_COMPARE_WITH_TIMEOUT(own.names().size(), 500, 20000);
    QVERIFY(QDir::setCurrent(programDir));
    QCOMPARE(own.paths(), arguments.mid(1));
    QCOMPARE(handed.size(), 0);
}

void TestDesktopIntegration::handOverArrivingInPartsIsReadWhole()
{
    SingleInstance first({QStringLiteral("tarvelo")});
    QVERIFY(!first.handedOver());
    QSignalSpy handed(&first, &SingleInstance::filesHanded);
    QStringList paths;
    for (int i = 0; i < 200; ++i)
        paths.append(files.filePath(QStringLiteral("part %1.mp4").arg(i)));
    const QByteArray message = SingleInstance::message(paths);

    QLocalSocket client;
    client.connectToServer(SingleInstance::socketPath());
    QVERIFY(client.waitForConnected(5000));
    // Cut inside the header, inside a path, and just before the end. Each
    // part waits in the window's socket once written, and the window, on
    // this thread, takes it at its next turn of the event loop.
    qsizetype at = 0;
    for (const qsizetype cut : {qsizetype(6), message.size() / 2, message.size() - 1, message.size()}) {
        client.write(message.mid(at, cut - at));
        QVERIFY(client.waitForBytesWritten(5000));
        at = cut;
        QTest::qWait(10);
    }
    QTRY_COMPARE(handed.size(), 1);
    QCOMPARE(handed.first().first().toStringList(), paths);
}

// The desktop's notification service, as the test's stand-in answers it.
bool TestDesktopIntegration::offerNotifications(QDBusConnection &desktop, NotificationService &service)
{
    return desktop.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &service,
                                  QDBusConnection::ExportScriptableSlots)
           && desktop.registerService(QStringLiteral("org.freedesktop.Notifications"));
}

QString TestDesktopIntegration::startSessionBus(QProcess &daemon)
{
    daemon.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                 QStringLiteral("--print-address")});
    if (!daemon.waitForStarted() || !daemon.waitForReadyRead(10000))
        return QString();
    return QString::fromUtf8(daemon.readLine().trimmed());
}

void TestDesktopIntegration::convert(MainWindow &window, const QString &outputFolder, bool powerOff)
{
    QDir().mkpath(outputFolder);
    window.findChild<QPlainTextEdit *>(QStringLiteral("txtCurrentDir"))->setPlainText(outputFolder + QLatin1Char('/'));
    window.findChild<QCheckBox *>(QStringLiteral("chckShutdown"))->setChecked(powerOff);
    window.findChild<QPushButton *>(QStringLiteral("btnConvert"))->click();
}

void TestDesktopIntegration::runEndIsAnnouncedOnceAndHandedFilesWait()
{
    QProcess daemon;
    const QString address = startSessionBus(daemon);
    if (address.isEmpty())
        QSKIP("dbus-daemon is not installed");

    QDBusConnection desktop = QDBusConnection::connectToBus(address, QStringLiteral("desktop"));
    NotificationService service;
    QVERIFY(offerNotifications(desktop, service));
    QVERIFY(desktop.connect(QString(), QStringLiteral("/org/tarvelo/Tarvelo"),
                            QStringLiteral("com.canonical.Unity.LauncherEntry"), QStringLiteral("Update"), &service,
                            SLOT(launcherUpdated(QString,QVariantMap))));
    const QDBusConnection bus = QDBusConnection::connectToBus(address, QStringLiteral("application"));

    const QString good = files.filePath(QStringLiteral("clip.mp4"));
    const QString bad = files.filePath(QStringLiteral("bad.mp4"));
    QVERIFY(TestMedia::writeFile(bad, "not a video"));
    const QString later = place(QStringLiteral("later.mp4"));

    // A run that ends with the power going off tells nothing: nobody is there.
    {
        MainWindow window;
        RunNotifier notifier(&window, bus);
        window.addFiles({good});
        convert(window, files.filePath(QStringLiteral("out-poweroff")), true);
        QTRY_VERIFY(window.worker().isFinished());
        QTRY_VERIFY(!service.launcher.isEmpty());
    }

    MainWindow window;
    window.show();
    RunNotifier notifier(&window, bus);
    ModalAnswerer answerer;
    QStringList listedAtSummary;
    answerer.onMessageBox = [&](QMessageBox *box) {
        // Files handed over while the outcome is shown wait for the next run.
        window.addFiles({later});
        listedAtSummary = window.names();
        ModalAnswerer::clickButton(box, QStringLiteral("New Conversion"));
    };
    window.addFiles({good, bad});
    convert(window, files.filePath(QStringLiteral("out")), false);

    QTRY_COMPARE(service.notices, QStringList({"Conversion finished|Converted: 1. Not converted: 1.|default,Show Tarvelo"}));
    QTRY_COMPARE(window.names(), QStringList({QStringLiteral("later.mp4")}));
    QCOMPARE(listedAtSummary, QStringList({QStringLiteral("clip.mp4"), QStringLiteral("bad.mp4")}));
    QCOMPARE(answerer.titles, QStringList({QStringLiteral("Conversion Completed!")}));

    QTRY_COMPARE(service.launcher.last().value(QStringLiteral("progress-visible")), QVariant(false));
    QList<double> shown;
    for (const QVariantMap &update : std::as_const(service.launcher)) {
        if (update.value(QStringLiteral("progress-visible")).toBool())
            shown.append(update.value(QStringLiteral("progress")).toDouble());
    }
    QVERIFY(shown.contains(0.0) && shown.contains(0.5));
    QVERIFY(std::is_sorted(shown.cbegin() + shown.lastIndexOf(0.0), shown.cend()));

    // Clicking the notice brings the window back.
    window.showMinimized();
    QDBusMessage click = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/Notifications"),
                                                    QStringLiteral("org.freedesktop.Notifications"),
                                                    QStringLiteral("ActionInvoked"));
    click << 41u << QStringLiteral("default");
    QVERIFY(desktop.send(click));
    QTRY_VERIFY(!window.isMinimized());

    daemon.terminate();
    daemon.waitForFinished();
}

// Every program's notices share the desktop's service, and so do the
// signals of their clicks.
void TestDesktopIntegration::otherProgramsNotificationsDoNotRaiseTheWindow()
{
    QProcess daemon;
    const QString address = startSessionBus(daemon);
    if (address.isEmpty())
        QSKIP("dbus-daemon is not installed");
    QDBusConnection desktop = QDBusConnection::connectToBus(address, QStringLiteral("desktop2"));
    NotificationService service;
    QVERIFY(offerNotifications(desktop, service));

    MainWindow window;
    window.show();
    RunNotifier notifier(&window, QDBusConnection::connectToBus(address, QStringLiteral("application2")));
    // A run's end as the window announces it; the test above makes a real run.
    emit window.runFinished(1, 0);
    QTRY_COMPARE(service.notices.size(), 1);
    window.showMinimized();
    auto click = [&desktop](uint id) {
        QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/Notifications"),
                                                         QStringLiteral("org.freedesktop.Notifications"),
                                                         QStringLiteral("ActionInvoked"));
        signal << id << QStringLiteral("default");
        return desktop.send(signal);
    };
    for (const uint other : {0u, 7u, 42u})
        QVERIFY(click(other));
    // The desktop answers a ping after the clicks it sent before, so their
    // deliveries are queued here by the time the answer is.
    const QDBusMessage ping = QDBusMessage::createMethodCall(desktop.baseService(), QStringLiteral("/"),
                                                             QStringLiteral("org.freedesktop.DBus.Peer"),
                                                             QStringLiteral("Ping"));
    QCOMPARE(QDBusConnection(QStringLiteral("application2")).call(ping).type(), QDBusMessage::ReplyMessage);
    QCoreApplication::sendPostedEvents();
    QVERIFY(window.isMinimized());
    // Tarvelo's own notice, the service's first: its click still raises the window.
    QVERIFY(click(41u));
    QTRY_VERIFY(!window.isMinimized());

    daemon.terminate();
    daemon.waitForFinished();
}

QTEST_MAIN(TestDesktopIntegration)
#include "tst_desktopintegration.moc"
