#include "app/mainwindow.h"

#include "ui_mainwindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLocale>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTableWidgetItem>

#include "protocol/toolprotocol.h"
#include "protocol/subtitlename.h"

namespace {

// A language by its own name ("Deutsch", "français"), which its readers
// know whatever the window's language; the code where Qt knows none.
QString languageName(const QString &code)
{
    const QLocale locale(code);
    if (locale.language() == QLocale::C || locale.language() == QLocale::AnyLanguage)
        return code;
    // Qt names English after the United States'.
    if (locale.language() == QLocale::English)
        return QLocale::languageToString(QLocale::English);
    return locale.nativeLanguageName();
}

bool isKnown(const QString &language)
{
    return language != QLatin1String(tracksNone) && language != QLatin1String(tracksUnknownLanguage);
}

} // namespace

void MainWindow::on_btnConvert_clicked()
{
    // The worker may still be returning from the previous run's last file.
    if (inputPaths.isEmpty() || conversionThread.isRunning())
        return;

    setRunPhase(RunPhase::Converting);
    failedNames.clear();
    outputTracks.clear();

    ui->prgrsConversion->setMaximum(barStepsPerFile * int(inputPaths.size()));
    ui->prgrsConversion->reset();

    conversionThread.pathList = &inputPaths;
    conversionThread.nameList = &inputNames;
    conversionThread.quality = ui->sliderQuality->value();
    conversionThread.outputFolder = ui->txtCurrentDir->toPlainText();
    conversionThread.clearStopRequest();
    conversionThread.start();
    ui->prgrsConversion->setValue(0);
}

void MainWindow::OnFileProgress(int index, uint completedDuration)
{
    // Reports outside a run, or after its last file, belong to no row.
    if (index < 0 || index >= durations.size())
        return;
    // A file's reports stay within its own band, and the bar never moves
    // back (progressPrefix in protocol/toolprotocol.h says why each layer clamps).
    const uint duration = durations.at(index);
    const uint done = qMin(completedDuration, duration);
    const int share = duration == 0 ? 0 : int(double(done) / duration * barStepsPerFile);
    const int value = index * barStepsPerFile + share;
    if (value > ui->prgrsConversion->value() && value <= ui->prgrsConversion->maximum())
        ui->prgrsConversion->setValue(value);
}

void MainWindow::OnFileExists(QString outputFile)
{
    // Unattended runs, and runs being stopped, never overwrite.
    if (ui->chckShutdown->isChecked() || runPhase == RunPhase::Stopping) {
        conversionThread.overwriteExisting = false;
        return;
    }

    QMessageBox box(QMessageBox::Question, tr("File Exists"),
                    tr("File: %1 exists in the output directory!\nWould you like to overwrite it?").arg(outputFile),
                    QMessageBox::NoButton, this);
    // A file name must never be read as markup: it would name another file.
    box.setTextFormat(Qt::PlainText);
    // Action buttons keep their order on every desktop's button layout, and
    // none of them becomes the escape button: the question must be answered.
    QPushButton *overwrite = box.addButton(tr("Overwrite"), QMessageBox::ActionRole);
    box.addButton(tr("Ignore"), QMessageBox::ActionRole);
    box.setDefaultButton(overwrite);
    box.exec();
    conversionThread.overwriteExisting = box.clickedButton() == overwrite;
}

void MainWindow::OnFileTracks(int index, QString soundLanguage, QString subtitles, QString subtitleLanguage)
{
    if (index < 0 || index >= inputNames.size())
        return;
    QString sound = tr("Sound: none.");
    if (soundLanguage == QLatin1String(tracksUnknownLanguage))
        sound = tr("Sound: language not known.");
    else if (isKnown(soundLanguage))
        sound = tr("Sound: %1.").arg(languageName(soundLanguage));
    const bool languageKnown = isKnown(subtitleLanguage);
    const QString language = languageName(subtitleLanguage);
    QString text = tr("Subtitles: none");
    if (subtitles == QLatin1String(tracksInPicture)) {
        text = languageKnown ? tr("Subtitles: %1, in the picture").arg(language) : tr("Subtitles: in the picture");
    } else if (subtitles == QLatin1String(tracksInFile)) {
        // The tool writes them beside the AVI, under its name.
        const QString file = QString::fromStdString(
            subtitlePathFor(ConversionThread::outputNameFor(inputNames.at(index)).toStdString()));
        text = languageKnown ? tr("Subtitles: %1, %2").arg(language, file) : tr("Subtitles: %1").arg(file);
    }
    outputTracks.insert(index, sound + QLatin1Char(' ') + text);
}

// A line of its own below the tracks: the file is smaller than its quality
// alone would have made it.
void MainWindow::OnFileFitted(int index, qint64 megabytes)
{
    if (index < 0 || index >= inputNames.size())
        return;
    // Grouped as people write sizes, also where no language is set.
    const QLocale locale = QLocale().language() == QLocale::C ? QLocale(QLocale::English) : QLocale();
    const QString text = tr("Fitted to %1 MB").arg(locale.toString(megabytes));
    const QString tracks = outputTracks.value(index);
    outputTracks.insert(index, tracks.isEmpty() ? text : tracks + QLatin1Char('\n') + text);
}

// Below the path and the outcome, in the row's tool tip, and told to a
// screen reader as well.
void MainWindow::showTracks(int row, const QString &tracks)
{
    const QString outcome = tr("Converted") + QLatin1Char('\n') + tracks;
    const QString path = inputPaths.at(row);
    const QString tip = toolTipFor(path, outcome);
    for (int column = 0; column < ui->tblFiles->columnCount(); ++column) {
        if (QTableWidgetItem *item = ui->tblFiles->item(row, column)) {
            item->setToolTip(tip);
            item->setData(Qt::AccessibleDescriptionRole, column == 0 ? path + QLatin1Char('\n') + outcome : outcome);
        }
    }
}

void MainWindow::OnFileCompleted(int index, bool isSuccess)
{
    if (index < 0 || index >= ui->tblFiles->rowCount() || index >= inputNames.size())
        return;

    showOutcome(index, isSuccess);
    if (isSuccess && outputTracks.contains(index))
        showTracks(index, outputTracks.take(index));
    if (!isSuccess)
        failedNames.append(inputNames.at(index));
    ui->prgrsConversion->setValue((index + 1) * barStepsPerFile);

    if (index != inputNames.size() - 1 || runPhase == RunPhase::Stopping)
        return;

    if (ui->chckShutdown->isChecked()) {
        QProcess::startDetached(QStringLiteral("systemctl"), {QStringLiteral("poweroff")});
        return;
    }
    emit runFinished(int(inputNames.size() - failedNames.size()), int(failedNames.size()));
    showSummary();
}

void MainWindow::showSummary()
{
    QString text = tr("Completed converting the selected files!");
    if (!failedNames.isEmpty()) {
        text += tr("\nThe following files failed to be converted:\n");
        for (const QString &name : std::as_const(failedNames))
            text += name + QLatin1Char('\n');
    }

    QMessageBox box(QMessageBox::Information, tr("Conversion Completed!"), text, QMessageBox::NoButton, this);
    box.setTextFormat(Qt::PlainText);
    QPushButton *newConversion = box.addButton(tr("New Conversion"), QMessageBox::ActionRole);
    QPushButton *exitButton = box.addButton(tr("Exit"), QMessageBox::ActionRole);
    box.setDefaultButton(newConversion);
    box.exec();

    // The last report has arrived; the worker is at most returning from run().
    conversionThread.wait();
    // Unanswered, the box was ended with the application (a signal, a logout),
    // whose exit status must stand.
    if (box.clickedButton() == exitButton)
        QCoreApplication::exit(0);
    if (box.clickedButton() != newConversion)
        return;

    setRunPhase(RunPhase::Editing);
    ui->tblFiles->setRowCount(0);
    inputNames.clear();
    inputPaths.clear();
    durations.clear();
    // Files handed over during the run start the new list.
    addQueuedFiles();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!conversionThread.isRunning()) {
        QMainWindow::closeEvent(event);
        return;
    }
    // Closing waits for the run to stop cleanly; the window goes once the
    // worker has returned (see the constructor), without freezing meanwhile.
    event->ignore();
    setRunPhase(RunPhase::Stopping);
    conversionThread.requestStop();
}

void MainWindow::stopConversion()
{
    if (!conversionThread.isRunning())
        return;
    setRunPhase(RunPhase::Stopping);
    conversionThread.requestStop();
    // The worker may be waiting inside its existing-output question, whose
    // answer is delivered through this thread's queue: keep delivering.
    while (!conversionThread.wait(50))
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

// The controls a run locks stay locked while it shows its outcome, and while
// it is being stopped.
void MainWindow::setRunPhase(RunPhase phase)
{
    runPhase = phase;
    if (phase == RunPhase::Stopping)
        return;
    const bool editing = phase == RunPhase::Editing;
    if (!editing)
        ui->tblFiles->clearSelection();
    ui->tblFiles->setSelectionMode(editing ? QAbstractItemView::ExtendedSelection : QAbstractItemView::NoSelection);
    ui->btnAddFile->setEnabled(editing);
    ui->btnChangeDir->setEnabled(editing);
    ui->btnConvert->setEnabled(editing);
    // Drops are refused as the add button is: the cursor says so at once.
    ui->tblFiles->setAcceptDrops(editing);
    ui->prgrsConversion->setVisible(!editing);
}
