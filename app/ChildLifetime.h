// A helper process that must not outlive the window: the simulator behind --simulate ends with
// the window however the window ends (closed, killed, crashed, its display lost). Plain C++, so
// that the Windows part compiles without Qt.
#pragma once

#include <cstdint>

namespace numora {

#ifdef _WIN32
// Puts the started process into a job of this process that ends its members when this process
// ends; false when the system refuses.
bool TieToThisProcess(std::uint32_t processId);
#else
// Called in the child between fork and exec: the child gets SIGTERM when the process that
// forked it ends, and ends at once when that has already happened. Async-signal-safe.
void EndWithParent(std::int64_t parentId);
#endif

}  // namespace numora
