#include "support/Sockets.h"

#include <winsock2.h>

void resetOnClose(qintptr descriptor)
{
    // A linger time of zero makes the close a reset.
    const linger hard {1, 0};
    ::setsockopt(SOCKET(descriptor), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char *>(&hard), sizeof hard);
}
