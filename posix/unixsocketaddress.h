#ifndef UNIXSOCKETADDRESS_H
#define UNIXSOCKETADDRESS_H

#include <cstddef>
#include <sys/un.h>

// Fills address for the socket at path (length bytes, no NUL among them).
// False when the path, with its terminating NUL, does not fit.
bool fillUnixSocketAddress(sockaddr_un *address, const char *path, std::size_t length);

#endif // UNIXSOCKETADDRESS_H
