#ifndef UIMAINWINDOW_H
#define UIMAINWINDOW_H

class QCheckBox;
class QHBoxLayout;
class QLabel;
class QMainWindow;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSlider;
class QSpacerItem;
class QVBoxLayout;
class QWidget;
class TableWidgetWithMime;

// The window's layout record, written in the manner of uic's output so that
// the object names (which connect-by-name relies on) are visible in one place.
// It owns nothing: the widgets are children of the window.
class Ui_MainWindow
{
public:
    QWidget *centralWidget = nullptr;
    QVBoxLayout *verticalLayout = nullptr;
    QLabel *pctBanner = nullptr;
    TableWidgetWithMime *tblFiles = nullptr;
    QHBoxLayout *horizontalLayout = nullptr;
    QSpacerItem *horizontalSpacer = nullptr;
    QPushButton *btnAddFile = nullptr;
    QPushButton *btnRemoveFile = nullptr;
    QPushButton *btnHelp = nullptr;
    QSpacerItem *horizontalSpacer_2 = nullptr;
    QHBoxLayout *horizontalLayout_4 = nullptr;
    QLabel *label_5 = nullptr;
    QPlainTextEdit *txtCurrentDir = nullptr;
    QPushButton *btnChangeDir = nullptr;
    QHBoxLayout *horizontalLayout_2 = nullptr;
    QLabel *label_2 = nullptr;
    QSlider *sliderQuality = nullptr;
    QLabel *label_3 = nullptr;
    QHBoxLayout *horizontalLayout_3 = nullptr;
    QCheckBox *chckShutdown = nullptr;
    QSpacerItem *horizontalSpacer_3 = nullptr;
    QPushButton *btnConvert = nullptr;
    QProgressBar *prgrsConversion = nullptr;

    void setupUi(QMainWindow *MainWindow);
    void retranslateUi(QMainWindow *MainWindow);

private:
    void setupBanner();
    void setupTable();
    void setupFileButtons();
    void setupOutputFolderRow();
    void setupQualityRow();
    void setupConvertRow();
    void setupProgressBar();
};

#endif // UIMAINWINDOW_H
