#pragma once

#include <cstdint>
#include <optional>

#include "platform/PathFile.h"

// Where the executable in the open `file` ends by its own headers: for a PE
// module the end of its last section's raw data, for an ELF module the end
// of the furthest header table, segment or section. An archive appended to a
// self-extractor module starts there. None for anything else.
std::optional<int64_t> ExecutableEnd(const platform::PathFile& file);
