#include "app/mainwindow.h"
#include "filelist/videofolder.h"
#include "modalanswerer.h"
#include "oddnames.h"
#include "testhome.h"
#include "testmedia.h"
#include "toolfolder.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLocale>
#include <QMimeData>
#include <QMessageBox>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QSet>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <sys/stat.h>

using Way = ModalAnswerer::Way;

// Adding and removing files through the real window, its real open-files
// dialog and its real message box.
class TestFileListCommands : public QObject
{
    Q_OBJECT

public:
    static void initMain() { TestHome::enterForTheWholeRun(); }

private slots:
    void initTestCase();
    void init();

    void addsTheChosenFiles();
    void refusesNamesAlreadyListed();
    void oddNamesArriveIntact();
    void failedProbeStillAddsTheRow();
    void cancelledDialogChangesNothing();
    void removesTheSelectedRows();
    void dropsAddFilesAndFoldersAsCopies();
    void folderListsVideosByContentFirstInNameOrder();
    void addingManyFilesKeepsTheWindowAnswering();
    void filesHandedWhileAddingAllArrive();
    void sizeTextsIgnoreTheLocale_data();
    void sizeTextsIgnoreTheLocale();

private:
    QString folder(const QString &name) const;
    QString placeClip(const QString &folderName, const QString &name);
    QString placeFile(const QString &folderName, const QString &name, const QByteArray &content = {});
    void add(MainWindow &window);
    void useRealTool();
    void checkRowsMatchLists(const MainWindow &window);

    QTemporaryDir files;
    ToolFolder tools;
    QString clip;
};

void TestFileListCommands::initTestCase()
{
    QVERIFY(files.isValid());
    QVERIFY(tools.isValid());
    clip = files.filePath(QStringLiteral("source.mp4"));
    QVERIFY(TestMedia::makeClip(clip));
}

void TestFileListCommands::init()
{
    QVERIFY(QDir::setCurrent(tools.path()));
}

QString TestFileListCommands::folder(const QString &name) const
{
    QDir(files.path()).mkpath(name);
    return files.filePath(name);
}

QString TestFileListCommands::placeClip(const QString &folderName, const QString &name)
{
    const QString path = folder(folderName) + QLatin1Char('/') + name;
    if (!QFile::exists(path) && !QFile::copy(clip, path))
        return QString();
    return path;
}

QString TestFileListCommands::placeFile(const QString &folderName, const QString &name, const QByteArray &content)
{
    const QString path = folder(folderName) + QLatin1Char('/') + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write(content);
    return path;
}

void TestFileListCommands::add(MainWindow &window)
{
    auto *button = window.findChild<QPushButton *>(QStringLiteral("btnAddFile"));
    QVERIFY(button && button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton);
}

void TestFileListCommands::useRealTool()
{
    const QString folder = TestMedia::realToolFolder();
    if (folder.isEmpty())
        QSKIP("tarvelo-transcode is not built yet");
    QVERIFY(QDir::setCurrent(folder));
}

static QStringList sizeColumn(const QTableWidget *table)
{
    QStringList texts;
    for (int row = 0; row < table->rowCount(); ++row)
        texts.append(table->item(row, 2)->text());
    return texts;
}

void TestFileListCommands::checkRowsMatchLists(const MainWindow &window)
{
    auto *table = window.findChild<QTableWidget *>(QStringLiteral("tblFiles"));
    QCOMPARE(table->rowCount(), window.names().size());
    QCOMPARE(window.paths().size(), window.names().size());
    QCOMPARE(window.durationList().size(), window.names().size());
    for (int row = 0; row < table->rowCount(); ++row) {
        const QString path = window.paths().at(row);
        QCOMPARE(window.names().at(row), path.mid(path.lastIndexOf(QLatin1Char('/')) + 1));
        QCOMPARE(table->item(row, 0)->text(), window.names().at(row));
        QCOMPARE(OddNames::shownText(table->item(row, 0)->toolTip()), path);
        QCOMPARE(table->item(row, 1)->textAlignment(), int(Qt::AlignCenter));
        QCOMPARE(table->item(row, 2)->textAlignment(), int(Qt::AlignCenter));
    }
}

void TestFileListCommands::addsTheChosenFiles()
{
    useRealTool();
    const QStringList chosen = {QStringLiteral("CLIP.MP4"), QStringLiteral("holiday.MOV"), QStringLiteral("clip.mp4")};
    for (const QString &name : chosen)
        QVERIFY(!placeClip(QStringLiteral("camera"), name).isEmpty());
    QVERIFY(!placeFile(QStringLiteral("camera"), QStringLiteral("notes.txt"), "no video").isEmpty());

    MainWindow window;
    ModalAnswerer answerer;
    answerer.answer(Way::Pick, folder(QStringLiteral("camera")), {chosen.at(0), chosen.at(1)});
    add(window);

    QVERIFY(!answerer.gaveUp);
    QCOMPARE(answerer.dialogTitle, QStringLiteral("Add File(s)"));
    QCOMPARE(answerer.dialogFilters,
             QStringList({QStringLiteral("All Video Files (*.3g2 *.3gp *.asf *.asx *.avi *.flv *.mov *.mp4 *.mpg "
                                         "*.rv *.rm *.rmvb *.vob *.wmv)"),
                          QStringLiteral("All Files (*.*)")}));
    // Camera files carry upper-case extensions; the video filter must show them.
    QVERIFY(answerer.listedNames.contains(QStringLiteral("CLIP.MP4")));
    QVERIFY(answerer.listedNames.contains(QStringLiteral("holiday.MOV")));
    QVERIFY(!answerer.listedNames.contains(QStringLiteral("notes.txt")));

    QCOMPARE(window.names(), QStringList({chosen.at(0), chosen.at(1)}));
    QCOMPARE(window.paths().first(), folder(QStringLiteral("camera")) + QStringLiteral("/CLIP.MP4"));
    QCOMPARE(window.durationList(), QVector<uint>({3, 3}));
    checkRowsMatchLists(window);
    auto *table = window.findChild<QTableWidget *>(QStringLiteral("tblFiles"));
    QCOMPARE(table->item(1, 1)->text(), QStringLiteral("0:0:3"));
    QVERIFY(window.findChild<QPushButton *>(QStringLiteral("btnConvert"))->isEnabled());
    QVERIFY(answerer.messages.isEmpty());
}

void TestFileListCommands::refusesNamesAlreadyListed()
{
    useRealTool();
    const QString first = placeClip(QStringLiteral("a"), QStringLiteral("clip.mp4"));
    const QStringList second = {placeClip(QStringLiteral("b"), QStringLiteral("CLIP.mp4")),
                                placeClip(QStringLiteral("b"), QStringLiteral("new.mp4")),
                                placeClip(QStringLiteral("c"), QStringLiteral("NEW.mp4")),
                                placeClip(QStringLiteral("c"), QStringLiteral("last.mp4"))};

    MainWindow window;
    ModalAnswerer answerer;
    answerer.answer(Way::Type, folder(QStringLiteral("a")), {QStringLiteral("clip.mp4")});
    add(window);
    // Never in the program's own folder: among the videos, or at home.
    QCOMPARE(answerer.openedIn, QDir::homePath());
    // The same name in another folder and in another case, and two names
    // that only differ in case within one pass.
    answerer.answer(Way::Type, folder(QStringLiteral("b")), second);
    add(window);
    QCOMPARE(answerer.openedIn, folder(QStringLiteral("a")));
    // That pass took files from two folders; the next opens where the last
    // of them came from.
    answerer.answer(Way::Cancel, folder(QStringLiteral("a")));
    add(window);
    QCOMPARE(answerer.openedIn, folder(QStringLiteral("c")));

    QCOMPARE(window.paths(), QStringList({first, second.at(1), second.at(3)}));
    checkRowsMatchLists(window);
    QCOMPARE(answerer.messages.size(), 1);
    QCOMPARE(answerer.messages.first().title, QStringLiteral("Duplicate Files"));
    QCOMPARE(answerer.messages.first().text,
             QStringLiteral("The folowing files already exist in the list and will not be added:\nCLIP.mp4\nNEW.mp4"));
    QCOMPARE(answerer.messages.first().buttons, int(QMessageBox::Ok));
}

void TestFileListCommands::oddNamesArriveIntact()
{
    useRealTool();
    const QStringList odd = OddNames::all(QStringLiteral(".mp4"));
    for (const QString &name : odd)
        QVERIFY(!placeClip(QStringLiteral("odd"), name).isEmpty());

    MainWindow window;
    ModalAnswerer answerer;
    answerer.answer(Way::Pick, folder(QStringLiteral("odd")), odd);
    add(window);
    QVERIFY(!answerer.gaveUp);
    QCOMPARE(QSet<QString>(window.names().cbegin(), window.names().cend()), QSet<QString>(odd.cbegin(), odd.cend()));
    QCOMPARE(window.durationList(), QVector<uint>(odd.size(), 3));
    checkRowsMatchLists(window);

    // Choosing them all again names every one, each on a line of its own.
    add(window);
    QCOMPARE(window.names().size(), odd.size());
    QCOMPARE(answerer.messages.size(), 1);
    QStringList lines = answerer.messages.first().text.split(QLatin1Char('\n'));
    QCOMPARE(lines.takeFirst(), QStringLiteral("The folowing files already exist in the list and will not be added:"));
    QCOMPARE(QSet<QString>(lines.cbegin(), lines.cend()), QSet<QString>(odd.cbegin(), odd.cend()));
}

void TestFileListCommands::failedProbeStillAddsTheRow()
{
    // The current folder holds no tool at all.
    QFile::remove(tools.toolPath());
    const QString path = placeClip(QStringLiteral("notool"), QStringLiteral("clip.mp4"));
    MainWindow window;
    ModalAnswerer answerer;
    answerer.answer(Way::Type, folder(QStringLiteral("notool")), {QStringLiteral("clip.mp4")});
    add(window);

    QCOMPARE(window.paths(), QStringList({path}));
    QCOMPARE(window.durationList(), QVector<uint>({0}));
    checkRowsMatchLists(window);
    auto *table = window.findChild<QTableWidget *>(QStringLiteral("tblFiles"));
    QCOMPARE(table->item(0, 1)->text(), QStringLiteral("Couldn't estimate duration"));
}

void TestFileListCommands::cancelledDialogChangesNothing()
{
    MainWindow window;
    ModalAnswerer answerer;
    answerer.answer(Way::Cancel, folder(QStringLiteral("a")));
    add(window);

    QVERIFY(window.names().isEmpty());
    QCOMPARE(window.findChild<QTableWidget *>(QStringLiteral("tblFiles"))->rowCount(), 0);
    QVERIFY(!window.findChild<QPushButton *>(QStringLiteral("btnConvert"))->isEnabled());
    QVERIFY(answerer.messages.isEmpty());
}

void TestFileListCommands::removesTheSelectedRows()
{
    // A fake tool that answers with the number in the file's name, so that
    // each row's duration is its own; each file's size sits at a unit's edge.
    QVERIFY(tools.install("n=$(basename \"$2\" .mp4)\necho \"\\$$n\\$\""));
    const QList<int> sizes = {0, 1023, 1024, 2048, 1048576};
    QStringList chosen;
    for (int n = 10; n < 15; ++n) {
        chosen.append(QString::number(n) + QStringLiteral(".mp4"));
        QVERIFY(!placeFile(QStringLiteral("numbered"), chosen.last(), QByteArray(sizes.at(n - 10), 'x')).isEmpty());
    }
    MainWindow window;
    ModalAnswerer answerer;
    answerer.answer(Way::Type, folder(QStringLiteral("numbered")), chosen);
    add(window);
    QCOMPARE(window.durationList(), QVector<uint>({10, 11, 12, 13, 14}));

    auto *table = window.findChild<QTableWidget *>(QStringLiteral("tblFiles"));
    QCOMPARE(sizeColumn(table), QStringList({QStringLiteral("0 B"), QStringLiteral("1023 B"),
                                             QStringLiteral("1.00 KB"), QStringLiteral("0.00 MB"),
                                             QStringLiteral("1.00 MB")}));
    auto *remove = window.findChild<QPushButton *>(QStringLiteral("btnRemoveFile"));
    auto *convert = window.findChild<QPushButton *>(QStringLiteral("btnConvert"));
    QItemSelectionModel *selection = table->selectionModel();
    const auto pick = QItemSelectionModel::Select | QItemSelectionModel::Rows;
    selection->select(table->model()->index(1, 0), pick);
    selection->select(table->model()->index(4, 1), pick);
    // Row 3 chosen cell by cell must still go only once.
    for (int column = 0; column < 3; ++column)
        selection->select(table->model()->index(3, column), QItemSelectionModel::Select);
    QVERIFY(remove->isEnabled());
    QTest::mouseClick(remove, Qt::LeftButton);

    QCOMPARE(window.names(), QStringList({chosen.at(0), chosen.at(2)}));
    QCOMPARE(window.durationList(), QVector<uint>({10, 12}));
    checkRowsMatchLists(window);
    QCOMPARE(table->item(1, 1)->text(), QStringLiteral("0:0:12"));
    QCOMPARE(sizeColumn(table), QStringList({QStringLiteral("0 B"), QStringLiteral("1.00 KB")}));
    QVERIFY(convert->isEnabled());

    table->selectAll();
    QTest::mouseClick(remove, Qt::LeftButton);
    QCOMPARE(table->rowCount(), 0);
    QVERIFY(window.names().isEmpty() && window.paths().isEmpty() && window.durationList().isEmpty());
    QVERIFY(!convert->isEnabled());
    QVERIFY(!remove->isEnabled());
}

namespace {

// One step of a drag over the table: the action it was taken as, or
// IgnoreAction when it was refused.
template<typename Event>
Qt::DropAction offer(QWidget *viewport, const QMimeData &data, Qt::DropActions actions,
                     Qt::KeyboardModifiers keys = Qt::NoModifier)
{
    Event event(QPoint(20, 20), actions, &data, Qt::LeftButton, keys);
    QApplication::sendEvent(viewport, &event);
    return event.isAccepted() ? event.dropAction() : Qt::IgnoreAction;
}

} // namespace

// Files and folders dropped from a file manager are added as the dialog's
// are: a folder by the videos in it and below it, in name order.
void TestFileListCommands::dropsAddFilesAndFoldersAsCopies()
{
    useRealTool();
    const QString shelf = folder(QStringLiteral("shelf"));
    for (const char *name : {"b.mp4", "A clip.MKV", "no extension"})
        QVERIFY(!placeClip(QStringLiteral("shelf"), QLatin1String(name)).isEmpty());
    QVERIFY(!placeClip(QStringLiteral("shelf/sub"), QStringLiteral("c.mp4")).isEmpty());
    QVERIFY(!placeFile(QStringLiteral("shelf"), QStringLiteral("notes.txt"), "no video").isEmpty());
    // A link back up and a pipe that would block whoever reads it.
    QVERIFY(QFile::link(shelf, shelf + QStringLiteral("/sub/loop")));
    QCOMPARE(mkfifo(QFile::encodeName(shelf + QStringLiteral("/pipe.mp4")).constData(), 0600), 0);
    const QString single = placeClip(QStringLiteral("loose"), QStringLiteral("single.mp4"));

    MainWindow window;
    window.show();
    ModalAnswerer answerer;
    auto *viewport = window.findChild<QTableWidget *>(QStringLiteral("tblFiles"))->viewport();
    QMimeData text;
    text.setText(single);
    QMimeData files;
    // The pipe also by name: it is not a file to convert either.
    files.setUrls({QUrl::fromLocalFile(single), QUrl::fromLocalFile(shelf),
                   QUrl::fromLocalFile(shelf + QStringLiteral("/pipe.mp4"))});
    // Holding Shift is how a user asks for a move; the platform proposes it.
    const Qt::DropActions both = Qt::CopyAction | Qt::MoveAction;
    QCOMPARE(QDropEvent(QPoint(), both, &files, Qt::LeftButton, Qt::ShiftModifier).proposedAction(), Qt::MoveAction);

    QCOMPARE(offer<QDragEnterEvent>(viewport, text, both), Qt::IgnoreAction);
    QCOMPARE(offer<QDragEnterEvent>(viewport, files, Qt::MoveAction), Qt::IgnoreAction);
    QCOMPARE(offer<QDragEnterEvent>(viewport, files, both, Qt::ShiftModifier), Qt::CopyAction);
    QCOMPARE(offer<QDragMoveEvent>(viewport, files, both, Qt::ShiftModifier), Qt::CopyAction);
    QCOMPARE(offer<QDropEvent>(viewport, files, both, Qt::ShiftModifier), Qt::CopyAction);

    QTRY_COMPARE(window.names(), QStringList({"single.mp4", "A clip.MKV", "b.mp4", "no extension", "c.mp4"}));
    QCOMPARE(window.durationList(), QVector<uint>(5, 3));
    checkRowsMatchLists(window);
    QVERIFY(answerer.messages.isEmpty());
    QVERIFY(QFile::exists(single));

    // Dropped again, every name is refused with the add command's warning.
    QCOMPARE(offer<QDragEnterEvent>(viewport, files, both), Qt::CopyAction);
    QCOMPARE(offer<QDropEvent>(viewport, files, both), Qt::CopyAction);
    QTRY_COMPARE(answerer.messages.size(), 1);
    QCOMPARE(answerer.messages.first().text.count(QLatin1Char('\n')), 5);
    QCOMPARE(window.names().size(), 5);
}

void TestFileListCommands::folderListsVideosByContentFirstInNameOrder()
{
    QTemporaryDir folder;
    const QString dir = folder.path();
    QVERIFY(QProcess::execute(QStringLiteral("ffmpeg"),
                              {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-nostdin"),
                               QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                               QStringLiteral("testsrc=duration=0.2:size=32x32:rate=5"), QStringLiteral("-f"),
                               QStringLiteral("matroska"), dir + QStringLiteral("/Film")})
            == 0);
    QVERIFY(QFile::copy(QStringLiteral("/bin/true"), dir + QStringLiteral("/program.avi")));
    // Matroska by content, named as sound.
    QVERIFY(QProcess::execute(QStringLiteral("ffmpeg"),
                              {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-nostdin"),
                               QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                               QStringLiteral("sine=duration=0.2"), dir + QStringLiteral("/song.mka")})
            == 0);
    QFile asf(dir + QStringLiteral("/b clip.asf"));
    QVERIFY(asf.open(QIODevice::WriteOnly));
    asf.write(QByteArray::fromHex("3026b2758e66cf11a6d900aa0062ce6c") + QByteArray(64, '\0'));
    asf.close();
    for (const char *name : {"a clip.mp4", "C clip.vob", "notes.txt"}) {
        QFile file(dir + QLatin1Char('/') + QLatin1String(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

    // The C locale orders by byte, capitals first, unless case is ignored.
    const QLocale before;
    QLocale::setDefault(QLocale::c());
    const QStringList paths = VideoFolder::expand({dir});
    QLocale::setDefault(before);
    QStringList names;
    for (const QString &path : paths)
        names.append(QFileInfo(path).fileName());
    const QStringList expected{QStringLiteral("a clip.mp4"), QStringLiteral("b clip.asf"),
                               QStringLiteral("C clip.vob"), QStringLiteral("Film")};
    QVERIFY2(names == expected, qPrintable(names.join(QLatin1String(", "))));
}

void TestFileListCommands::addingManyFilesKeepsTheWindowAnswering()
{
    // A tool that answers within a moment, as for a small local clip: the
    // point is the event loop between files. The 300 files then take longer
    // than the dialog's minimum duration, so it surely shows.
    QVERIFY(tools.install("sleep 0.01; echo '$1$'"));
    QTemporaryDir folder;
    QStringList paths;
    for (int i = 0; i < 300; ++i) {
        paths.append(folder.path() + QStringLiteral("/clip %1.mp4").arg(i, 3, 10, QLatin1Char('0')));
        QFile file(paths.last());
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    MainWindow window;
    window.show();
    int ticks = 0;
    qsizetype rowsAtCancel = -1;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &window, [&] {
        if (++ticks < 3)
            return;
        auto *progress = window.findChild<QProgressDialog *>();
        if (progress && rowsAtCancel < 0) {
            rowsAtCancel = window.names().size();
            progress->cancel();
        }
    });
    tick.start(50);
    window.addFiles(paths);
    QVERIFY2(ticks >= 3, "the event loop never ran while adding");
    QVERIFY(rowsAtCancel > 0);
    QVERIFY(window.names().size() < paths.size());
    QVERIFY(window.names().size() >= rowsAtCancel);
    checkRowsMatchLists(window);
}

// Files handed over while others are being added (a drop, another start)
// wait their turn, however often that happens.
void TestFileListCommands::filesHandedWhileAddingAllArrive()
{
    // The tool keeps the first file of each of the first two batches a
    // while: from it the dialog expects the batch to outlast its minimum
    // duration and shows at once, and the window answers while it is added.
    QVERIFY(tools.install("case \"$2\" in *slow*) sleep 0.15;; esac; echo '$1$'"));
    QTemporaryDir folder;
    const int batchSize = 10;
    QList<QStringList> batches(3);
    for (int i = 0; i < 2 * batchSize + 1; ++i) {
        const bool slow = i % batchSize == 0 && i < 2 * batchSize;
        batches[i / batchSize].append(folder.path()
                                      + QStringLiteral("/clip %1%2.mp4").arg(i, 2, 10, QLatin1Char('0'))
                                                                        .arg(slow ? " slow" : ""));
        QFile file(batches[i / batchSize].last());
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    MainWindow window;
    window.show();
    // Each batch is handed over while the one before it is being added.
    qsizetype handed = 1;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &window, [&] {
        if (handed < batches.size() && window.names().size() > (handed - 1) * batchSize)
            window.addFiles(batches.at(handed++));
    });
    tick.start(20);
    window.addFiles(batches.first());
    QCOMPARE(handed, batches.size());
    QCOMPARE(window.names().size(), 2 * batchSize + 1);
    checkRowsMatchLists(window);
}

void TestFileListCommands::sizeTextsIgnoreTheLocale_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << qint64(0) << "0 B";
    QTest::newRow("last byte count") << qint64(1023) << "1023 B";
    QTest::newRow("first kilobyte") << qint64(1024) << "1.00 KB";
    QTest::newRow("kilobyte and a half") << qint64(1536) << "1.50 KB";
    QTest::newRow("last kilobyte count") << qint64(2047) << "2.00 KB";
    QTest::newRow("first megabyte count") << qint64(2048) << "0.00 MB";
    QTest::newRow("rounds up to a hundredth") << qint64(10486) << "0.01 MB";
    QTest::newRow("one megabyte") << qint64(1048576) << "1.00 MB";
    QTest::newRow("no larger unit") << qint64(5368709120) << "5120.00 MB";
}

void TestFileListCommands::sizeTextsIgnoreTheLocale()
{
    QFETCH(qint64, size);
    QFETCH(QString, text);
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString shown = MainWindow::formatFileSize(size);
    QLocale::setDefault(previous);
    QCOMPARE(shown, text);
}

QTEST_MAIN(TestFileListCommands)
#include "tst_filelistcommands.moc"
