#include "mainwindow.h"

#include "protocol/toolprotocol.h"
#include "ui/tablewidgetwithmime.h"
#include "ui_mainwindow.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QStandardPaths>
#include <QStyle>
#include <QUrl>

#include <algorithm>

namespace {

QString withOneTrailingSlash(QString folder)
{
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    if (!folder.endsWith(QLatin1Char('/')))
        folder.append(QLatin1Char('/'));
    return folder;
}

// The form's fixed sizes suit a small system font. Where the platform's font
// is larger, a widget grows to its text instead of cutting it short.
QSize textNeeds(QWidget *widget)
{
    // The text's extent as laid out for drawing, rounded out to whole pixels.
    const QFontMetrics metrics = widget->fontMetrics();
    auto *button = qobject_cast<QPushButton *>(widget);
    if (button) {
        // A push button's size hint has a style's minimum width, which the
        // form's narrower buttons never had: only the text itself counts.
        const QStyle *style = button->style();
        const int frame = style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
        const int margin = style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
        const QSize text = metrics.boundingRect(QRect(), Qt::TextShowMnemonic, button->text()).size();
        return {text.width() + 2 * (frame + margin), text.height() + 2 * frame};
    }
    auto *label = qobject_cast<QLabel *>(widget);
    if (label && label->wordWrap()) {
        // A wrapped label may break between words, never inside one.
        int widest = label->width();
        const QStringList words = label->text().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (const QString &word : words)
            widest = std::max(widest, metrics.horizontalAdvance(word));
        // A line's space before the break counts too ("Höchste Qualität").
        const int flags = int(label->alignment()) | Qt::TextWordWrap;
        widest = std::max(widest, metrics.boundingRect(QRect(0, 0, widest, 0), flags, label->text()).width());
        return {widest, label->heightForWidth(widest)};
    }
    if (auto *box = qobject_cast<QCheckBox *>(widget)) {
        // The hint's height has room for a focus frame; the text needs less.
        const int indicator = box->style()->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, box);
        const int text = metrics.boundingRect(QRect(), Qt::TextShowMnemonic, box->text()).height();
        return {box->sizeHint().width(), std::max(indicator, text)};
    }
    return widget->sizeHint();
}

void widenToText(QWidget *widget)
{
    const QSize needed = textNeeds(widget);
    if (needed.width() > widget->maximumWidth())
        widget->setFixedWidth(needed.width());
    if (needed.height() > widget->maximumHeight())
        widget->setFixedHeight(needed.height());
}

// The output field shows one line above its scroll bar.
void heightenToLine(QPlainTextEdit *field)
{
    const int needed = field->fontMetrics().lineSpacing() + 2 * int(field->document()->documentMargin())
                       + 2 * field->frameWidth() + field->horizontalScrollBar()->sizeHint().height();
    if (needed > field->maximumHeight())
        field->setFixedHeight(needed);
}

// A stretched last column never shrinks below the width it had before it was
// stretched, with which the columns overflow a table of the form's width.
void letLastColumnShrink(QTableWidget *table)
{
    QHeaderView *header = table->horizontalHeader();
    header->resizeSection(header->count() - 1, header->minimumSectionSize());
}

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui(new Ui_MainWindow)
{
    ui->setupUi(this);
    fitToText();
    letLastColumnShrink(ui->tblFiles);
    showBanner();
    fixSizeToLayout();
    setWindowTitle(tr("Tarvelo"));
    setWindowIcon(QIcon(QStringLiteral(":/resources/banners/ICON_VIDEO.ico")));

    connect(&conversionThread, &ConversionThread::fileCompleted, this, &MainWindow::OnFileCompleted);
    // The desktop's run progress is the bar's.
    connect(ui->prgrsConversion, &QProgressBar::valueChanged, this, [this](int value) {
        emit runProgressed(double(value) / ui->prgrsConversion->maximum());
    });
    connect(&conversionThread, &ConversionThread::fileExists, this, &MainWindow::OnFileExists,
            Qt::BlockingQueuedConnection);
    connect(&conversionThread, &ConversionThread::fileProgress, this, &MainWindow::OnFileProgress);
    connect(&conversionThread, &ConversionThread::fileTracks, this, &MainWindow::OnFileTracks);
    connect(&conversionThread, &ConversionThread::fileFitted, this, &MainWindow::OnFileFitted);
    // A close that had to wait for a run to stop is completed when it has.
    connect(&conversionThread, &QThread::finished, this, [this] {
        if (runPhase == RunPhase::Stopping)
            close();
    });

    ui->sliderQuality->setRange(lowestQuality, highestQuality);
    connect(ui->sliderQuality, &QSlider::valueChanged, this, &MainWindow::describeQuality);
    describeQuality(ui->sliderQuality->value());

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

void MainWindow::showInFront()
{
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void MainWindow::fitToText()
{
    for (QWidget *widget : std::initializer_list<QWidget *>{
             ui->btnAddFile, ui->btnRemoveFile, ui->btnHelp, ui->label_5, ui->btnChangeDir, ui->label_2,
             ui->label_3, ui->chckShutdown, ui->btnConvert})
        widenToText(widget);
    heightenToLine(ui->txtCurrentDir);
}

void MainWindow::showBanner()
{
    // From one and a half device pixels per pixel on, the plain banner would
    // be scaled up and blurred beside sharp text.
    const bool sharp = devicePixelRatio() >= 1.5;
    QPixmap banner(sharp ? QStringLiteral(":/resources/banners/AVI@2x") : QStringLiteral(":/resources/banners/AVI"));
    banner.setDevicePixelRatio(sharp ? 2.0 : 1.0);
    ui->pctBanner->setPixmap(banner);
}

void MainWindow::fixSizeToLayout()
{
    // The banner is wider than the rows by design and widens nothing; a row
    // whose widgets grew to a large font widens the window to fit them.
    const QMargins margins = ui->verticalLayout->contentsMargins();
    int fixedWidth = width();
    for (QLayout *row : std::initializer_list<QLayout *>{ui->horizontalLayout, ui->horizontalLayout_4,
                                                          ui->horizontalLayout_2, ui->horizontalLayout_3})
        fixedWidth = std::max(fixedWidth, row->minimumSize().width() + margins.left() + margins.right());
    setFixedSize(fixedWidth, std::max(height(), ui->verticalLayout->minimumSize().height()));
}

// A screen reader announces the slider's bare number; this says where it lies.
void MainWindow::describeQuality(int value)
{
    QSlider *slider = ui->sliderQuality;
    QString where;
    if (value <= slider->minimum())
        where = tr("%1 of %2, Smallest Size");
    else if (value >= slider->maximum())
        where = tr("%1 of %2, Highest Quality");
    else
        where = tr("%1 of %2, between Smallest Size and Highest Quality");
    slider->setAccessibleDescription(where.arg(value).arg(slider->maximum()));
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
