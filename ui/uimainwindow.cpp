#include "uimainwindow.h"

#include "tablewidgetwithmime.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QSpacerItem>
#include <QVBoxLayout>

namespace {

constexpr int maxSize = 16777215; // QWIDGETSIZE_MAX

void setFixed(QWidget *widget, int width, int height)
{
    widget->setMinimumSize(QSize(width, height));
    widget->setMaximumSize(QSize(width, height));
}

QSpacerItem *newExpandingSpacer()
{
    return new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum);
}

// The fixed widths suit a small system font; where the platform's font is
// wider, the widget grows to its text instead of cutting it short.
void widenToText(QWidget *widget)
{
    const int needed = widget->sizeHint().width();
    if (needed > widget->maximumWidth()) {
        widget->setMinimumWidth(needed);
        widget->setMaximumWidth(needed);
    }
}

QHBoxLayout *newRow(const char *name)
{
    auto *row = new QHBoxLayout();
    row->setSpacing(6);
    row->setObjectName(name);
    return row;
}

} // namespace

void Ui_MainWindow::setupUi(QMainWindow *MainWindow)
{
    if (MainWindow->objectName().isEmpty())
        MainWindow->setObjectName("MainWindow");
    MainWindow->resize(600, 480);
    MainWindow->setMinimumSize(QSize(600, 0));
    MainWindow->setMaximumSize(QSize(600, maxSize));

    centralWidget = new QWidget(MainWindow);
    centralWidget->setObjectName("centralWidget");
    verticalLayout = new QVBoxLayout(centralWidget);
    verticalLayout->setSpacing(6);
    verticalLayout->setContentsMargins(11, 11, 11, 11);
    verticalLayout->setObjectName("verticalLayout");

    setupBanner();
    setupTable();
    setupFileButtons();
    setupOutputFolderRow();
    setupQualityRow();
    setupConvertRow();
    setupProgressBar();

    MainWindow->setCentralWidget(centralWidget);
    label_5->setBuddy(btnChangeDir);

    QWidget::setTabOrder(tblFiles, btnRemoveFile);
    QWidget::setTabOrder(btnRemoveFile, btnHelp);
    QWidget::setTabOrder(btnHelp, btnChangeDir);
    QWidget::setTabOrder(btnChangeDir, sliderQuality);
    QWidget::setTabOrder(sliderQuality, chckShutdown);
    QWidget::setTabOrder(chckShutdown, btnConvert);

    retranslateUi(MainWindow);
    QMetaObject::connectSlotsByName(MainWindow);
}

void Ui_MainWindow::setupBanner()
{
    pctBanner = new QLabel(centralWidget);
    pctBanner->setObjectName("pctBanner");
    setFixed(pctBanner, 600, 100);
    verticalLayout->addWidget(pctBanner);
}

void Ui_MainWindow::setupTable()
{
    tblFiles = new TableWidgetWithMime(centralWidget);
    if (tblFiles->columnCount() < 3)
        tblFiles->setColumnCount(3);
    for (int column = 0; column < 3; ++column) {
        auto *header = new QTableWidgetItem();
        header->setTextAlignment(Qt::AlignCenter);
        tblFiles->setHorizontalHeaderItem(column, header);
    }
    tblFiles->setObjectName("tblFiles");
    tblFiles->setAcceptDrops(true);
    tblFiles->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    tblFiles->setAlternatingRowColors(true);
    tblFiles->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tblFiles->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblFiles->horizontalHeader()->setDefaultSectionSize(200);
    tblFiles->horizontalHeader()->setMinimumSectionSize(50);
    tblFiles->horizontalHeader()->setStretchLastSection(true);
    verticalLayout->addWidget(tblFiles);
}

void Ui_MainWindow::setupFileButtons()
{
    horizontalLayout = newRow("horizontalLayout");
    horizontalSpacer = newExpandingSpacer();
    horizontalLayout->addItem(horizontalSpacer);

    btnAddFile = new QPushButton(centralWidget);
    btnAddFile->setObjectName("btnAddFile");
    setFixed(btnAddFile, 131, 23);
    horizontalLayout->addWidget(btnAddFile);

    btnRemoveFile = new QPushButton(centralWidget);
    btnRemoveFile->setObjectName("btnRemoveFile");
    btnRemoveFile->setEnabled(false);
    setFixed(btnRemoveFile, 131, 23);
    horizontalLayout->addWidget(btnRemoveFile);

    btnHelp = new QPushButton(centralWidget);
    btnHelp->setObjectName("btnHelp");
    setFixed(btnHelp, 75, 23);
    horizontalLayout->addWidget(btnHelp);

    horizontalSpacer_2 = newExpandingSpacer();
    horizontalLayout->addItem(horizontalSpacer_2);
    verticalLayout->addLayout(horizontalLayout);
}

void Ui_MainWindow::setupOutputFolderRow()
{
    horizontalLayout_4 = newRow("horizontalLayout_4");

    label_5 = new QLabel(centralWidget);
    label_5->setObjectName("label_5");
    label_5->setMinimumSize(QSize(75, 0));
    label_5->setMaximumSize(QSize(75, 16));
    horizontalLayout_4->addWidget(label_5);

    txtCurrentDir = new QPlainTextEdit(centralWidget);
    txtCurrentDir->setObjectName("txtCurrentDir");
    txtCurrentDir->setMinimumSize(QSize(0, 40));
    txtCurrentDir->setMaximumSize(QSize(maxSize, 40));
    txtCurrentDir->setMidLineWidth(0);
    txtCurrentDir->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    txtCurrentDir->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtCurrentDir->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtCurrentDir->setReadOnly(true);
    horizontalLayout_4->addWidget(txtCurrentDir);

    btnChangeDir = new QPushButton(centralWidget);
    btnChangeDir->setObjectName("btnChangeDir");
    setFixed(btnChangeDir, 75, 23);
    horizontalLayout_4->addWidget(btnChangeDir);

    verticalLayout->addLayout(horizontalLayout_4);
}

void Ui_MainWindow::setupQualityRow()
{
    horizontalLayout_2 = newRow("horizontalLayout_2");

    label_2 = new QLabel(centralWidget);
    label_2->setObjectName("label_2");
    setFixed(label_2, 75, 31);
    label_2->setAlignment(Qt::AlignLeading | Qt::AlignLeft | Qt::AlignVCenter);
    label_2->setWordWrap(true);
    horizontalLayout_2->addWidget(label_2);

    sliderQuality = new QSlider(centralWidget);
    sliderQuality->setObjectName("sliderQuality");
    sliderQuality->setValue(50);
    sliderQuality->setOrientation(Qt::Horizontal);
    sliderQuality->setTickPosition(QSlider::NoTicks);
    horizontalLayout_2->addWidget(sliderQuality);

    label_3 = new QLabel(centralWidget);
    label_3->setObjectName("label_3");
    setFixed(label_3, 75, 31);
    label_3->setAlignment(Qt::AlignRight | Qt::AlignTrailing | Qt::AlignVCenter);
    label_3->setWordWrap(true);
    horizontalLayout_2->addWidget(label_3);

    verticalLayout->addLayout(horizontalLayout_2);
}

void Ui_MainWindow::setupConvertRow()
{
    horizontalLayout_3 = newRow("horizontalLayout_3");

    chckShutdown = new QCheckBox(centralWidget);
    chckShutdown->setObjectName("chckShutdown");
    setFixed(chckShutdown, 250, 17);
    horizontalLayout_3->addWidget(chckShutdown);

    horizontalSpacer_3 = newExpandingSpacer();
    horizontalLayout_3->addItem(horizontalSpacer_3);

    btnConvert = new QPushButton(centralWidget);
    btnConvert->setObjectName("btnConvert");
    btnConvert->setEnabled(false);
    setFixed(btnConvert, 131, 23);
    horizontalLayout_3->addWidget(btnConvert);

    verticalLayout->addLayout(horizontalLayout_3);
}

void Ui_MainWindow::setupProgressBar()
{
    prgrsConversion = new QProgressBar(centralWidget);
    prgrsConversion->setObjectName("prgrsConversion");
    prgrsConversion->setMinimumSize(QSize(0, 10));
    prgrsConversion->setMaximumSize(QSize(maxSize, 10));
    prgrsConversion->setTextVisible(false);
    verticalLayout->addWidget(prgrsConversion);
}

void Ui_MainWindow::retranslateUi(QMainWindow *MainWindow)
{
    MainWindow->setWindowTitle(QCoreApplication::translate("MainWindow", "MainWindow"));
    pctBanner->setText(QString());
    tblFiles->horizontalHeaderItem(0)->setText(QCoreApplication::translate("MainWindow", "File Name"));
    tblFiles->horizontalHeaderItem(1)->setText(QCoreApplication::translate("MainWindow", "Duration"));
    tblFiles->horizontalHeaderItem(2)->setText(QCoreApplication::translate("MainWindow", "File Size"));
    btnAddFile->setText(QCoreApplication::translate("MainWindow", "&Add Input File..."));
    btnRemoveFile->setText(QCoreApplication::translate("MainWindow", "&Remove Selected"));
    btnHelp->setText(QCoreApplication::translate("MainWindow", "&Help"));
    label_5->setText(QCoreApplication::translate("MainWindow", "&Output Folder:"));
    txtCurrentDir->setPlainText(QCoreApplication::translate("MainWindow", "C:\\Output_Dir\\"));
    btnChangeDir->setText(QCoreApplication::translate("MainWindow", "&Browse..."));
    label_2->setText(QCoreApplication::translate("MainWindow", "Smallest Size"));
    label_3->setText(QCoreApplication::translate("MainWindow", "Highest Quality"));
    chckShutdown->setText(QCoreApplication::translate("MainWindow", "&Shutdown Computer After Finishing Conversion"));
    btnConvert->setText(QCoreApplication::translate("MainWindow", "&Convert File(s)"));

    widenToText(label_5);
    widenToText(chckShutdown);
}
