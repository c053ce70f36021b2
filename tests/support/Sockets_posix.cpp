#include "support/Sockets.h"

#include <sys/socket.h>

void resetOnClose(qintptr descriptor)
{
    // A linger time of zero makes the close a reset.
    const linger hard {1, 0};
    ::setsockopt(int(descriptor), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
}
