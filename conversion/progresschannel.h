#ifndef PROGRESSCHANNEL_H
#define PROGRESSCHANNEL_H

#include "posix/uniquefd.h"

#include <QtGlobal>
#include <QPointer>
#include <QString>

class QSocketNotifier;

// The receiving end of the transcoder's progress notifications: a Unix
// datagram socket in a folder only this user can enter, announced to every
// child through the environment.
class ProgressChannel
{
public:
    using Filter = bool (*)(void *message);   // message points to a ProgressMessage

    // Notifications taken per turn of the event loop: more than the tool
    // sends between two turns, few enough never to delay the window.
    static constexpr int maximumBatch = 8;

    ProgressChannel();
    ~ProgressChannel();
    ProgressChannel(const ProgressChannel &) = delete;
    ProgressChannel &operator=(const ProgressChannel &) = delete;

    quint32 messageId() const;
    QString socketPath() const;
    bool isValid() const;

    Filter setEventFilter(Filter filter);

private:
    bool bindSocket(const QByteArray &baseFolder);
    void readPending();

    UniqueFd socketFd;
    QByteArray folder;
    QByteArray path;
    Filter eventFilter = nullptr;
    QPointer<QSocketNotifier> notifier;
};

#endif // PROGRESSCHANNEL_H
