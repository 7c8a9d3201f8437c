// The file-list commands of MainWindow: adding files with their playing time
// and size (from the dialog, a drop, the command line or another start),
// removing the selected rows, and the size text.

#include "app/mainwindow.h"
#include "durationprobe.h"
#include "protocol/durationtext.h"
#include "protocol/toolprotocol.h"
#include "ui_mainwindow.h"
#include "videofolder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QSet>
#include <QStandardPaths>
#include <QTextDocument>

#include <algorithm>
#include <utility>

namespace {

QString fileNameOf(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QTableWidgetItem *centredItem(const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignCenter);
    return item;
}

void appendRow(QTableWidget *table, const QString &path, const QString &name,
               const QString &durationText, const QString &sizeText)
{
    const int row = table->rowCount();
    table->insertRow(row);
    auto *nameItem = new QTableWidgetItem(name);
    nameItem->setToolTip(MainWindow::toolTipFor(path));
    // A screen reader reads the cell's text, the name; the path comes with it.
    nameItem->setData(Qt::AccessibleDescriptionRole, path);
    table->setItem(row, 0, nameItem);
    table->setItem(row, 1, centredItem(durationText));
    table->setItem(row, 2, centredItem(sizeText));
}

// Names are compared ignoring letter case, so the key of a name is its case fold.
QSet<QString> nameKeys(const QStringList &names)
{
    QSet<QString> keys;
    keys.reserve(names.size());
    for (const QString &name : names)
        keys.insert(name.toCaseFolded());
    return keys;
}

// How often adding files shows its progress and lets the window answer.
const qint64 progressUpdateMs = 100;

} // namespace

// Left to itself, the dialog would open in the current folder, which is the
// program's own; a user expects to continue where the last file came from,
// or else to start among their videos.
QString MainWindow::addFilesStartFolder() const
{
    if (!inputPaths.isEmpty())
        return QFileInfo(inputPaths.last()).absolutePath();
    const QString videos = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
    return QFileInfo(videos).isDir() ? videos : QDir::homePath();
}

QString MainWindow::estimateDuration(const QString &path, uint *duration) const
{
    const QByteArray output = DurationProbe(QString::fromLatin1(toolProgram)).run(path);
    const QString text = DurationText::parse(output, duration);
    return text.isNull() ? tr("Couldn't estimate duration") : text;
}

QString MainWindow::toolTipFor(const QString &path, const QString &outcome)
{
    const QString plain = outcome.isEmpty() ? path : path + QLatin1Char('\n') + outcome;
    // Tool tips guess their format: one that looks like markup is escaped
    // and marked as rich text, so that it shows exactly as it is, where a
    // line break in the text would otherwise be a mere space.
    if (!Qt::mightBeRichText(plain))
        return plain;
    QStringList lines = plain.split(QLatin1Char('\n'));
    for (QString &line : lines)
        line = line.toHtmlEscaped();
    return QLatin1String("<p style='white-space:pre'>") + lines.join(QLatin1String("<br>")) + QLatin1String("</p>");
}

// The row's colour tells the outcome only to those who can see and tell the
// colours apart; its text says it to everyone else.
void MainWindow::showOutcome(int row, bool converted)
{
    // Set with the background, the text keeps 4.5:1 contrast whatever the
    // palette's own text colour: dark text on dark green would not, nor light text on red.
    const QBrush background(converted ? Qt::darkGreen : Qt::red);
    const QBrush text(converted ? Qt::white : Qt::black);
    const QString outcome = converted ? tr("Converted") : tr("Not converted");
    const QString path = inputPaths.at(row);
    for (int column = 0; column < ui->tblFiles->columnCount(); ++column) {
        QTableWidgetItem *item = ui->tblFiles->item(row, column);
        if (!item)
            continue;
        item->setBackground(background);
        item->setForeground(text);
        item->setToolTip(toolTipFor(path, outcome));
        item->setData(Qt::AccessibleDescriptionRole, column == 0 ? path + QLatin1Char('\n') + outcome : outcome);
    }
}

QString MainWindow::formatFileSize(qint64 size)
{
    const qint64 kilobytes = size / 1024;
    if (kilobytes == 0)
        return QString::number(size) + QStringLiteral(" B");
    if (kilobytes == 1)
        return QString::number(size / 1024.0, 'f', 2) + QStringLiteral(" KB");
    return QString::number(size / 1048576.0, 'f', 2) + QStringLiteral(" MB");
}

void MainWindow::on_btnAddFile_clicked()
{
    // The worker reads the lists while it runs; they must not move under it.
    if (conversionThread.isRunning())
        return;

    addFiles(QFileDialog::getOpenFileNames(
        this, tr("Add File(s)"), addFilesStartFolder(),
        tr("All Video Files (*.3g2 *.3gp *.asf *.asx *.avi *.flv *.mov *.mp4 *.mpg *.rv *.rm *.rmvb *.vob "
           "*.wmv);;All Files (*.*)")));
}

void MainWindow::on_tblFiles_filesDropped(const QStringList &paths)
{
    addFiles(paths);
}

bool MainWindow::listIsLocked() const
{
    // From the start of a run until "New Conversion" the rows show the run's
    // outcome, and the add button stays off.
    return conversionThread.isRunning() || runPhase != RunPhase::Editing;
}

void MainWindow::addFiles(const QStringList &paths)
{
    if (runPhase == RunPhase::Stopping)
        return;
    // Handed over while a run is shown, they belong to the next one.
    if (listIsLocked()) {
        queuedPaths += paths;
        return;
    }

    // Paths handed over while files are being added wait for them to finish.
    if (addingFiles) {
        pendingPaths += paths;
        return;
    }
    addingFiles = true;
    addListedFiles(paths);
    while (!pendingPaths.isEmpty() && runPhase != RunPhase::Stopping)
        addListedFiles(std::exchange(pendingPaths, {}));
    pendingPaths.clear();
    addingFiles = false;
}

void MainWindow::addListedFiles(const QStringList &paths)
{
    const QStringList files = VideoFolder::expand(paths);
    // Each probe takes a moment; the dialog keeps the window painting and
    // answering between files, and shows up only when adding takes a while.
    QProgressDialog progress(tr("Adding files..."), tr("Cancel"), 0, int(files.size()), this);
    progress.setWindowTitle(tr("Adding files"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);

    QSet<QString> listed = nameKeys(inputNames);
    QString duplicates;
    QElapsedTimer sinceUpdate;
    for (qsizetype i = 0; i < files.size(); ++i) {
        // Painting the dialog and the new rows after every file costs a
        // good part of a quick probe; ten times a second is as lively.
        if (!sinceUpdate.isValid() || sinceUpdate.hasExpired(progressUpdateMs)) {
            progress.setLabelText(tr("Adding file %1 of %2").arg(i + 1).arg(files.size()));
            // Once the dialog shows, this is where the window answers.
            progress.setValue(int(i));
            sinceUpdate.start();
        }
        // Cancelling keeps the files added so far.
        if (progress.wasCanceled() || runPhase == RunPhase::Stopping)
            break;
        const QString &path = files.at(i);
        const QString name = fileNameOf(path);
        const QString key = name.toCaseFolded();
        if (listed.contains(key)) {
            duplicates += QLatin1Char('\n') + name;
            continue;
        }
        listed.insert(key);

        uint seconds = 0;
        const QString durationText = estimateDuration(path, &seconds);
        appendRow(ui->tblFiles, path, name, durationText, formatFileSize(QFileInfo(path).size()));
        inputNames.append(name);
        inputPaths.append(path);
        durations.append(seconds);
    }
    progress.setValue(int(files.size()));

    if (duplicates.isEmpty())
        return;
    // Plain text: a file name must never be taken for markup.
    QMessageBox box(QMessageBox::Warning, tr("Duplicate Files"),
                    tr("The folowing files already exist in the list and will not be added:") + duplicates,
                    QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void MainWindow::addQueuedFiles()
{
    addFiles(std::exchange(queuedPaths, {}));
}

void MainWindow::on_btnRemoveFile_clicked()
{
    if (conversionThread.isRunning())
        return;

    QList<int> rows;
    const QModelIndexList selected = ui->tblFiles->selectionModel()->selectedIndexes();
    for (const QModelIndex &index : selected)
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());

    // Each removal shifts the rows after it up by one.
    for (int k = 0; k < rows.size(); ++k) {
        const int i = rows.at(k) - k;
        inputPaths.removeAt(i);
        inputNames.removeAt(i);
        durations.removeAt(i);
        ui->tblFiles->removeRow(i);
    }

    if (ui->tblFiles->rowCount() == 0)
        ui->btnConvert->setEnabled(false);
}
