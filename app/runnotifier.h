#ifndef RUNNOTIFIER_H
#define RUNNOTIFIER_H

#include <QDBusConnection>
#include <QObject>

class MainWindow;

// Tells the desktop about a run: its progress on the task bar's entry while
// it goes on, and a notification when it has ended, whose click brings the
// window to the front. Without a session bus it does nothing.
class RunNotifier : public QObject
{
    Q_OBJECT

public:
    explicit RunNotifier(MainWindow *window, const QDBusConnection &bus = QDBusConnection::sessionBus());

private slots:
    void onActionInvoked(uint id, const QString &action);

private:
    void showProgress(double share);
    void notifyFinished(int converted, int failed);
    void updateLauncher(double share, bool visible);

    MainWindow *window;
    QDBusConnection bus;
    uint notification = 0;
    int shownPercent = -1;
};

#endif // RUNNOTIFIER_H
