#pragma once

#include <string>

#include "platform/Result.h"
#include "platform/win32/WinApi.h"

namespace platform {

// The system's description of a Windows error code, in UTF-8.
std::string ErrorText(DWORD code);

// GetLastError(), and "`what`: " followed by its description.
Result LastErrorResult(const std::string& what);

// `code`, with its description as the text.
Result ErrorResult(DWORD code);
// GetLastError(), with its description as the text.
Result LastErrorResult();
// Ok when `done`, else LastErrorResult(): for the calls that say how they
// failed only through GetLastError().
Result LastErrorUnless(bool done);

}  // namespace platform
