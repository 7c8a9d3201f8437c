#include "app/mainwindow.h"
#include "ui_mainwindow.h"
#include "modalanswerer.h"
#include "testhome.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>


// Receives the URLs that the help button asks the desktop to open.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls.append(url); }
};

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void windowIsFixedTitledAndDecorated();
    void bannerIsSharpAtTheScreensScale();
    void layoutNamesAndTexts_data();
    void layoutNamesAndTexts();
    void tableHeadersAndBehaviour();
    void mnemonicsAndBuddy();
    void presetObjectNameIsKept();
    void defaultOutputFolderIsCreatedUnderDocuments();
    void browsingGivesOneTrailingSlash_data();
    void browsingGivesOneTrailingSlash();
    void cancelledBrowsingKeepsFolder();
    void helpOpensPageFromProgramFolder();
    void buttonsFollowRowsAndSelection();

private:
    template<typename T>
    static T *widget(QWidget &window, const char *name)
    {
        auto *found = window.findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("no widget %s", name);
        return found;
    }

    TestHome home;
};

void TestMainWindow::initTestCase()
{
    QVERIFY(home.isValid());
    // The documents folder comes from the XDG user dirs of this fake home.
    QVERIFY(home.setDocumentsFolder(QStringLiteral("My Docs")));
    home.enter();
}

void TestMainWindow::windowIsFixedTitledAndDecorated()
{
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QCOMPARE(window.size(), QSize(600, 480));
    QCOMPARE(window.minimumSize(), QSize(600, 480));
    QCOMPARE(window.maximumSize(), QSize(600, 480));
    QCOMPARE(window.windowTitle(), QStringLiteral("Tarvelo"));

    QList<int> iconSizes;
    for (const QSize &size : window.windowIcon().availableSizes())
        iconSizes.append(size.width());
    for (int expected : {256, 128, 64, 32, 16})
        QVERIFY2(iconSizes.contains(expected), qPrintable(QString::number(expected)));

    auto *banner = widget<QLabel>(window, "pctBanner");
    QCOMPARE(banner->pixmap().size(), QSize(580, 100));
    QCOMPARE(banner->size(), QSize(600, 100));

    QVERIFY(widget<QProgressBar>(window, "prgrsConversion")->isHidden());
    QVERIFY(!widget<QProgressBar>(window, "prgrsConversion")->isTextVisible());
}

// The banner never shows more device pixels than its picture holds: from
// 150 % on the plain one would be blown up and blurred beside sharp text.
// Run once more at 150 % (tests/app/CMakeLists.txt).
void TestMainWindow::bannerIsSharpAtTheScreensScale()
{
    MainWindow window;
    const QPixmap banner = widget<QLabel>(window, "pctBanner")->pixmap();
    const qreal shown = banner.width() / banner.devicePixelRatio() * window.devicePixelRatio();
    QVERIFY2(shown <= banner.width(), qPrintable(QStringLiteral("%1 shown from %2").arg(shown).arg(banner.width())));
}

void TestMainWindow::layoutNamesAndTexts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("enabled");

    QTest::newRow("add") << "btnAddFile" << "QPushButton" << "&Add Input File..." << true;
    QTest::newRow("remove") << "btnRemoveFile" << "QPushButton" << "&Remove Selected" << false;
    QTest::newRow("help") << "btnHelp" << "QPushButton" << "&Help" << true;
    QTest::newRow("browse") << "btnChangeDir" << "QPushButton" << "&Browse..." << true;
    QTest::newRow("convert") << "btnConvert" << "QPushButton" << "&Convert File(s)" << false;
    QTest::newRow("shutdown") << "chckShutdown" << "QCheckBox" << "&Shutdown Computer After Finishing Conversion"
                              << true;
    QTest::newRow("folder label") << "label_5" << "QLabel" << "&Output Folder:" << true;
    QTest::newRow("small") << "label_2" << "QLabel" << "Smallest Size" << true;
    QTest::newRow("high") << "label_3" << "QLabel" << "Highest Quality" << true;
    QTest::newRow("table") << "tblFiles" << "TableWidgetWithMime" << QString() << true;
    QTest::newRow("slider") << "sliderQuality" << "QSlider" << QString() << true;
    QTest::newRow("folder") << "txtCurrentDir" << "QPlainTextEdit" << QString() << true;
    QTest::newRow("central") << "centralWidget" << "QWidget" << QString() << true;
}

void TestMainWindow::layoutNamesAndTexts()
{
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QString, text);
    QFETCH(bool, enabled);

    MainWindow window;
    auto *found = window.findChild<QWidget *>(name);
    QVERIFY(found);
    QCOMPARE(QString::fromLatin1(found->metaObject()->className()), className);
    QCOMPARE(found->isEnabled(), enabled);
    if (text.isEmpty())
        return;
    if (auto *button = qobject_cast<QAbstractButton *>(found))
        QCOMPARE(button->text(), text);
    else
        QCOMPARE(qobject_cast<QLabel *>(found)->text(), text);
}

void TestMainWindow::tableHeadersAndBehaviour()
{
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *table = widget<QTableWidget>(window, "tblFiles");
    QCOMPARE(table->columnCount(), 3);
    const QStringList headers{QStringLiteral("File Name"), QStringLiteral("Duration"), QStringLiteral("File Size")};
    for (int column = 0; column < 3; ++column) {
        QCOMPARE(table->horizontalHeaderItem(column)->text(), headers.at(column));
        QCOMPARE(table->horizontalHeaderItem(column)->textAlignment(), int(Qt::AlignCenter));
    }
    QCOMPARE(table->columnWidth(0), 200);
    QCOMPARE(table->columnWidth(1), 200);
    // The last column fills what the first two leave of the table's width.
    table->horizontalHeader()->resizeSection(0, 60);
    QCOMPARE(table->columnWidth(2), table->viewport()->width() - 60 - 200);

    for (int row = 0; row < 3; ++row) {
        table->insertRow(row);
        for (int column = 0; column < 3; ++column)
            table->setItem(row, column, new QTableWidgetItem(QString::number(row * 3 + column)));
    }
    auto click = [table](int row, int column, Qt::KeyboardModifiers modifiers) {
        const QRect cell = table->visualRect(table->model()->index(row, column));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, modifiers, cell.center());
    };
    click(0, 1, Qt::NoModifier);
    QCOMPARE(table->selectedItems().size(), 3);
    click(2, 2, Qt::ControlModifier);
    QCOMPARE(table->selectionModel()->selectedRows().size(), 2);
    click(1, 0, Qt::NoModifier);
    click(2, 0, Qt::ShiftModifier);
    QCOMPARE(table->selectionModel()->selectedRows().size(), 2);

    auto *folder = widget<QPlainTextEdit>(window, "txtCurrentDir");
    const QString before = folder->toPlainText();
    folder->setFocus();
    QTest::keyClicks(folder, QStringLiteral("typed"));
    QTest::keyClick(folder, Qt::Key_Backspace);
    QCOMPARE(folder->toPlainText(), before);
    QVERIFY(folder->horizontalScrollBar()->isVisible());
    QVERIFY(!folder->verticalScrollBar()->isVisible());

    auto *slider = widget<QSlider>(window, "sliderQuality");
    QCOMPARE(slider->value(), 50);
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_End);
    QCOMPARE(slider->value(), 99);
    QTest::keyClick(slider, Qt::Key_Home);
    QCOMPARE(slider->value(), 0);
}

// The order Tab follows is the accessibility test's, with real keys.
void TestMainWindow::mnemonicsAndBuddy()
{
    MainWindow window;
    // The folder label's mnemonic presses the button beside it, and the check
    // box answers its own.
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QApplication::setActiveWindow(&window);
    auto *shutdown = widget<QCheckBox>(window, "chckShutdown");
    QTest::keyClick(&window, Qt::Key_S, Qt::AltModifier);
    QTRY_VERIFY(shutdown->isChecked());
    QTest::keyClick(&window, Qt::Key_S, Qt::AltModifier);
    QTRY_VERIFY(!shutdown->isChecked());

    ModalAnswerer answerer;
    QString caption;
    answerer.onFileDialog = [&caption](QFileDialog *dialog) {
        caption = dialog->windowTitle();
        static_cast<QDialog *>(dialog)->reject();
    };
    QTest::keyClick(&window, Qt::Key_O, Qt::AltModifier);
    QTRY_COMPARE(caption, QStringLiteral("Output Directory"));
}

void TestMainWindow::presetObjectNameIsKept()
{
    QMainWindow named;
    named.setObjectName(QStringLiteral("Preset"));
    Ui_MainWindow first;
    first.setupUi(&named);
    QCOMPARE(named.objectName(), QStringLiteral("Preset"));
    QCOMPARE(named.width(), 600);

    QMainWindow unnamed;
    Ui_MainWindow second;
    second.setupUi(&unnamed);
    QCOMPARE(unnamed.objectName(), QStringLiteral("MainWindow"));
}

void TestMainWindow::defaultOutputFolderIsCreatedUnderDocuments()
{
    const QString expected = home.path() + QStringLiteral("/My Docs/Tarvelo Output/");
    QDir(expected).removeRecursively();

    MainWindow window;
    QCOMPARE(widget<QPlainTextEdit>(window, "txtCurrentDir")->toPlainText(), expected);
    QVERIFY(QFileInfo(expected).isDir());
}

void TestMainWindow::browsingGivesOneTrailingSlash_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("shown");
    QTest::newRow("root") << "/" << "/";
    QTest::newRow("folder") << "PLACEHOLDER/Videos" << "PLACEHOLDER/Videos/";
    QTest::newRow("odd name") << "PLACEHOLDER/it's \\ $x ##" << "PLACEHOLDER/it's \\ $x ##/";
}

void TestMainWindow::browsingGivesOneTrailingSlash()
{
    QFETCH(QString, chosen);
    QFETCH(QString, shown);
    chosen.replace(QLatin1String("PLACEHOLDER"), home.path());
    shown.replace(QLatin1String("PLACEHOLDER"), home.path());
    QVERIFY(QDir().mkpath(chosen));

    MainWindow window;
    window.show();
    QString caption;
    ModalAnswerer answerer;
    answerer.onFileDialog = [&](QFileDialog *dialog) {
        caption = dialog->windowTitle();
        // Typed into the dialog's name field, as a user would.
        auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        QVERIFY(name);
        name->setText(chosen);
        static_cast<QDialog *>(dialog)->accept();
    };
    widget<QPushButton>(window, "btnChangeDir")->click();
    QCOMPARE(caption, QStringLiteral("Output Directory"));
    QCOMPARE(widget<QPlainTextEdit>(window, "txtCurrentDir")->toPlainText(), shown);
}

void TestMainWindow::cancelledBrowsingKeepsFolder()
{
    MainWindow window;
    window.show();
    auto *folder = widget<QPlainTextEdit>(window, "txtCurrentDir");
    const QString before = folder->toPlainText();
    ModalAnswerer answerer;
    answerer.onFileDialog = [](QFileDialog *dialog) { static_cast<QDialog *>(dialog)->reject(); };
    widget<QPushButton>(window, "btnChangeDir")->click();
    QCOMPARE(folder->toPlainText(), before);
}

void TestMainWindow::helpOpensPageFromProgramFolder()
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(QStringLiteral(TARVELO_PROGRAM_DIR)));

    MainWindow window;
    widget<QPushButton>(window, "btnHelp")->click();

    QDir::setCurrent(previous);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QCOMPARE(catcher.urls.size(), 1);
    const QFileInfo page(catcher.urls.first().toLocalFile());
    QCOMPARE(page.canonicalFilePath(), QFileInfo(QStringLiteral(TARVELO_PROGRAM_DIR "/help.html")).canonicalFilePath());
    QVERIFY(page.isFile());
}

void TestMainWindow::buttonsFollowRowsAndSelection()
{
    MainWindow window;
    auto *table = widget<QTableWidget>(window, "tblFiles");
    auto *convert = widget<QPushButton>(window, "btnConvert");
    auto *remove = widget<QPushButton>(window, "btnRemoveFile");

    table->insertRow(0);
    QVERIFY(!convert->isEnabled());
    table->setItem(0, 0, new QTableWidgetItem(QStringLiteral("a.mp4")));
    QVERIFY(convert->isEnabled());
    QVERIFY(!remove->isEnabled());

    table->selectRow(0);
    QVERIFY(remove->isEnabled());
    QCOMPARE(table->selectedItems().size(), 1);
    table->clearSelection();
    QVERIFY(!remove->isEnabled());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
