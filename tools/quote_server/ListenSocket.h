// The options of the quote server's listening socket, which differ by
// platform: a restarted server may take its port again at once, and no
// second server may share a port that is taken.
#pragma once

#include <cstdint>

namespace vantora {

// `socket` is the platform's socket (a descriptor, or a SOCKET on Windows).
void PrepareListenSocket(std::intptr_t socket);

}  // namespace vantora
