#ifndef PROGRESSBRIDGE_H
#define PROGRESSBRIDGE_H

#include <QtGlobal>

// The number under which the tool's progress notifications arrive; set once
// at start-up, before any other thread exists.
extern quint32 progressMessageId;

// Installed on the progress channel: turns each progress notification into
// the worker's fileProgress signal, on the GUI thread. Anything else is left
// to others (false).
bool progressMessageFilter(void *message);

#endif // PROGRESSBRIDGE_H
