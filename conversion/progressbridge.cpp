#include "progressbridge.h"

#include "conversionthread.h"
#include "protocol/toolprotocol.h"

quint32 progressMessageId = 0;

bool progressMessageFilter(void *message)
{
    const auto *native = static_cast<const ProgressMessage *>(message);
    if (native->message != progressMessageId)
        return false;

    // A notification can arrive before the window and its worker exist.
    if (ConversionThread *worker = activeConversionThread)
        emit worker->fileProgress(worker->currentIndex.loadAcquire(), native->wParam);
    return true;
}
