// Windows: SO_REUSEADDR there would let another socket take over a bound
// port; SO_EXCLUSIVEADDRUSE keeps the port to this server alone.
#include "tools/quote_server/ListenSocket.h"

#include <winsock2.h>

namespace vantora {

void PrepareListenSocket(std::intptr_t socket) {
  BOOL yes = TRUE;
  ::setsockopt(static_cast<SOCKET>(socket), SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&yes),
               sizeof yes);
}

}  // namespace vantora
