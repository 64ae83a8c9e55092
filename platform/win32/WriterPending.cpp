// Stands in for the confined, journaled writer's Windows form until it
// lands, with what the rest of the Windows program needs of it today. The
// writer's own Windows sources replace this file.
#include <atomic>

#include "platform/ProcessExists.h"
#include "platform/Temporaries.h"
#include "platform/UpdateJournal.h"

namespace platform {

// The one temporary-name scheme, as the writer defines it (Temporaries.h).
std::string TemporaryName(const std::string& target) {
  static std::atomic<unsigned> counter{0};
  return ".~" + target.substr(0, 200) + "." + std::to_string(CurrentProcessId()) + "." +
         std::to_string(counter++);
}

// No Windows run keeps a journal before the writer's Windows form exists, so
// there is nothing a killed one could have left.
void RecoverInterruptedUpdates(const std::string& programFolder) {}

}  // namespace platform
