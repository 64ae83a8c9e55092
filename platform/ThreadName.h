#pragma once

#include <string>

namespace platform {

// Names the calling thread as tools (ps, debuggers, /proc) show it; at most
// 15 bytes are kept.
void NameThisThread(const std::string& name);

}  // namespace platform
