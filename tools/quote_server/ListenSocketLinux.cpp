// Linux: SO_REUSEADDR only (not SO_REUSEPORT).
#include "tools/quote_server/ListenSocket.h"

#include <sys/socket.h>

namespace vantora {

void PrepareListenSocket(std::intptr_t socket) {
  int yes = 1;
  ::setsockopt(static_cast<int>(socket), SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
}

}  // namespace vantora
