#include "unixsocketaddress.h"

#include <cstring>
#include <sys/socket.h>

bool fillUnixSocketAddress(sockaddr_un *address, const char *path, std::size_t length)
{
    *address = {};
    address->sun_family = AF_UNIX;
    if (length >= sizeof(address->sun_path))
        return false;
    std::memcpy(address->sun_path, path, length);
    return true;
}
