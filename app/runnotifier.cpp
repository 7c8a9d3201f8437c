#include "runnotifier.h"

#include "desktopid.h"
#include "mainwindow.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

const QString notifications = QStringLiteral("org.freedesktop.Notifications");
const QString notificationsPath = QStringLiteral("/org/freedesktop/Notifications");

} // namespace

RunNotifier::RunNotifier(MainWindow *window, const QDBusConnection &bus)
    : QObject(window)
    , window(window)
    , bus(bus)
{
    if (!bus.isConnected())
        return;
    connect(window, &MainWindow::runProgressed, this, &RunNotifier::showProgress);
    connect(window, &MainWindow::runFinished, this, &RunNotifier::notifyFinished);
    this->bus.connect(notifications, notificationsPath, notifications, QStringLiteral("ActionInvoked"), this,
                      SLOT(onActionInvoked(uint,QString)));
}

void RunNotifier::showProgress(double share)
{
    // Docks redraw on every signal; whole percents are all they can show.
    const int percent = int(share * 100);
    if (percent == shownPercent)
        return;
    shownPercent = percent;
    updateLauncher(share, true);
}

void RunNotifier::updateLauncher(double share, bool visible)
{
    QDBusMessage update = QDBusMessage::createSignal(QStringLiteral("/org/tarvelo/Tarvelo"),
                                                     QStringLiteral("com.canonical.Unity.LauncherEntry"),
                                                     QStringLiteral("Update"));
    update << QStringLiteral("application://%1.desktop").arg(desktopId)
           << QVariantMap{{QStringLiteral("progress"), share}, {QStringLiteral("progress-visible"), visible}};
    bus.send(update);
}

void RunNotifier::notifyFinished(int converted, int failed)
{
    shownPercent = -1;
    updateLauncher(1.0, false);

    QDBusMessage notify = QDBusMessage::createMethodCall(notifications, notificationsPath, notifications,
                                                         QStringLiteral("Notify"));
    notify << window->windowTitle() << uint(0) << QStringLiteral("tarvelo") << tr("Conversion finished")
           << tr("Converted: %1. Not converted: %2.").arg(converted).arg(failed)
           << QStringList{QStringLiteral("default"), tr("Show Tarvelo")}
           << QVariantMap{{QStringLiteral("desktop-entry"), QString(desktopId)}} << -1;
    // Asynchronous: a desktop without a notification service costs nothing.
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(notify), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *call) {
        const QDBusPendingReply<uint> reply = *call;
        if (reply.isValid())
            notification = reply.value();
        call->deleteLater();
    });
}

void RunNotifier::onActionInvoked(uint id, const QString &action)
{
    if (id != 0 && id == notification && action == QLatin1String("default"))
        window->showInFront();
}
