#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include "conversion/conversionthread.h"

#include <QHash>
#include <QMainWindow>
#include <QStringList>
#include <QVector>

class QTableWidgetItem;
class Ui_MainWindow;

// The application's only window and the owner of all of its state. Its
// members are defined next to the subsystem they belong to: the shell here in
// app/, the file-list commands in filelist/, the conversion run in conversion/.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    QString estimateDuration(const QString &path, uint *duration) const;
    static QString formatFileSize(qint64 size);
    static QString toolTipFor(const QString &path, const QString &outcome = QString());

    // Read-only views of the per-file lists, for the tests.
    const QStringList &paths() const { return inputPaths; }
    const QStringList &names() const { return inputNames; }
    const QVector<uint> &durationList() const { return durations; }
    const QStringList &failures() const { return failedNames; }
    const ConversionThread &worker() const { return conversionThread; }

public slots:
    // Adds files, and the videos inside folders, as the add command does;
    // during a run and while its outcome is shown they wait for the next one.
    void addFiles(const QStringList &paths);
    // Brings the window up from the task bar and in front of the others.
    void showInFront();

signals:
    // The share of the batch done, from 0 to 1, while a run goes on.
    void runProgressed(double share);
    // A run ended with its summary (not stopped, no power-off to follow).
    void runFinished(int converted, int failed);

protected:
    void closeEvent(QCloseEvent *event) override;

private slots:
    void OnFileCompleted(int index, bool isSuccess);
    void OnFileProgress(int index, uint completedDuration);
    void OnFileExists(QString outputFile);
    void OnFileTracks(int index, QString soundLanguage, QString subtitles, QString subtitleLanguage);
    void OnFileFitted(int index, qint64 megabytes);
    void on_btnAddFile_clicked();
    void on_btnRemoveFile_clicked();
    void on_btnChangeDir_clicked();
    void on_btnConvert_clicked();
    void on_tblFiles_itemSelectionChanged();
    void on_tblFiles_itemChanged(QTableWidgetItem *item);
    void on_tblFiles_filesDropped(const QStringList &paths);
    void on_btnHelp_clicked();

private:
    // Where the window is in a run's life: the list is edited, a run goes on
    // or shows its outcome until "New Conversion", or a run is being stopped
    // for the window to close.
    enum class RunPhase { Editing, Converting, Stopping };

    // Each file has a band of the progress bar this wide, whatever its length.
    static constexpr int barStepsPerFile = 100;

    void fitToText();
    void showBanner();
    void fixSizeToLayout();
    void describeQuality(int value);
    QString documentsFolder() const;
    QString addFilesStartFolder() const;
    void setUpDefaultOutputFolder();
    void showSummary();
    void showOutcome(int row, bool converted);
    void showTracks(int row, const QString &tracks);
    void stopConversion();
    void setRunPhase(RunPhase phase);
    bool listIsLocked() const;
    void addQueuedFiles();
    void addListedFiles(const QStringList &paths);

    Ui_MainWindow *ui;
    QStringList inputPaths;
    QStringList inputNames;
    QVector<uint> durations;
    QStringList failedNames;
    // The tracks each converted row's output got, worded, until its outcome is shown.
    QHash<int, QString> outputTracks;
    ConversionThread conversionThread;
    RunPhase runPhase = RunPhase::Editing;
    bool addingFiles = false;
    QStringList pendingPaths; // handed over while files are being added
    QStringList queuedPaths;
};

#endif // MAINWINDOW_H
