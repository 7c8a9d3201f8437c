#ifndef CONVERSIONTHREAD_H
#define CONVERSIONTHREAD_H

#include <QAtomicInt>
#include <QString>
#include <QStringList>
#include <QThread>

class QProcess;

// Converts the window's list one file after another, one tool process per
// file. It owns no list: the window hands it pointers before every run and
// keeps the lists unchanged while the run lasts.
class ConversionThread : public QThread
{
    Q_OBJECT

public:
    // A stopped tool gets stopGraceMs to clean up before it is killed: the
    // tool itself gives ffmpeg a second and waits two more for its end.
    // Tests that need not wait that long give less.
    explicit ConversionThread(QObject *parent = nullptr, int stopGraceMs = 5000);

    const QStringList *pathList = nullptr;
    const QStringList *nameList = nullptr;
    int quality = 50;
    QString outputFolder;
    bool overwriteExisting = false;
    QAtomicInt currentIndex = 0;

    // Asks a run in progress to end: the running tool is told to stop, and no
    // further file is started. Safe to call from any thread.
    void requestStop();
    bool isStopRequested() const;
    void clearStopRequest();

    static QString outputNameFor(const QString &inputName);

signals:
    void fileCompleted(int index, bool isSuccess);
    // Emitted on the worker's thread as the tool reports, with the seconds
    // of file index converted so far.
    void fileProgress(int index, uint completedDuration);
    void fileExists(QString outputFile);
    // Which sound and subtitles the converted file index got, as the tool
    // tells them (tracksPrefix in protocol/toolprotocol.h): language codes,
    // and the subtitles' kind. Emitted before its fileCompleted.
    void fileTracks(int index, QString soundLanguage, QString subtitles, QString subtitleLanguage);
    // The converted file index's picture was fitted to so many MB (of
    // 1,048,576 bytes). Emitted after its fileTracks, before its fileCompleted.
    void fileFitted(int index, qint64 megabytes);

protected:
    void run() override;

private:
    bool convertFile(int index);
    bool isListedInput(const QString &path) const;
    bool runTool(int index, const QStringList &arguments);
    void stopTool(QProcess &process);

    QAtomicInt stopRequested = 0;
    const int stopGraceMs;
};

#endif // CONVERSIONTHREAD_H
