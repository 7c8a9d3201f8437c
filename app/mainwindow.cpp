#include "mainwindow.h"

#include "ui/tablewidgetwithmime.h"
#include "ui_mainwindow.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QUrl>

namespace {

QString withOneTrailingSlash(QString folder)
{
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    if (!folder.endsWith(QLatin1Char('/')))
        folder.append(QLatin1Char('/'));
    return folder;
}

// The form's fixed widths suit a small system font; where the platform's font
// is wider, the widget grows to its text instead of cutting it short.
void widenToText(QWidget *widget)
{
    const int needed = widget->sizeHint().width();
    if (needed > widget->maximumWidth())
        widget->setFixedWidth(needed);
}

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui(new Ui_MainWindow)
{
    ui->setupUi(this);
    widenToText(ui->label_5);
    widenToText(ui->chckShutdown);
    ui->pctBanner->setPixmap(QPixmap(QStringLiteral(":/resources/banners/AVI")));
    setFixedSize(width(), height());
    setWindowTitle(tr("Tarvelo"));
    setWindowIcon(QIcon(QStringLiteral(":/resources/banners/ICON_VIDEO.ico")));

    connect(&conversionThread, &ConversionThread::fileCompleted, this, &MainWindow::OnFileCompleted);
    connect(&conversionThread, &ConversionThread::fileExists, this, &MainWindow::OnFileExists,
            Qt::BlockingQueuedConnection);
    connect(&conversionThread, &ConversionThread::fileProgress, this, &MainWindow::OnFileProgress);
    // A close that had to wait for a run to stop is completed when it has.
    connect(&conversionThread, &QThread::finished, this, [this] {
        if (stoppingRun)
            close();
    });

    ui->prgrsConversion->setVisible(false);
    setUpDefaultOutputFolder();
}

MainWindow::~MainWindow()
{
    // Whatever ended the event loop, the worker must be gone before the lists
    // it reads through its pointers are destroyed.
    stopConversion();
    delete ui;
}

QString MainWindow::documentsFolder() const
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

void MainWindow::setUpDefaultOutputFolder()
{
    QString docs = documentsFolder();
    // Without a documents folder the output would land at the file-system
    // root, where a desktop user cannot create anything.
    if (docs.isEmpty())
        docs = QDir::homePath();
    const QString path = withOneTrailingSlash(docs) + windowTitle() + QStringLiteral(" Output/");
    const QDir dir(path);
    dir.mkpath(dir.absolutePath());
    ui->txtCurrentDir->setPlainText(withOneTrailingSlash(dir.absolutePath()));
}

void MainWindow::on_btnChangeDir_clicked()
{
    const QString start = ui->txtCurrentDir->toPlainText();
    const QString chosen = QFileDialog::getExistingDirectory(this, QStringLiteral("Output Directory"), start,
                                                             QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty())
        return;
    ui->txtCurrentDir->setPlainText(withOneTrailingSlash(chosen));
}

void MainWindow::on_btnHelp_clicked()
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(QDir::current().absoluteFilePath(QStringLiteral("help.html"))));
}

void MainWindow::on_tblFiles_itemChanged(QTableWidgetItem *)
{
    if (conversionThread.isRunning())
        return;
    ui->btnConvert->setEnabled(ui->tblFiles->rowCount() > 0);
}

void MainWindow::on_tblFiles_itemSelectionChanged()
{
    ui->btnRemoveFile->setEnabled(!ui->tblFiles->selectedItems().isEmpty());
}
