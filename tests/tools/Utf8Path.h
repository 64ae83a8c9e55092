#pragma once

#include "platform/Utf8Path.h"

namespace testing_tools {

using platform::U8Generic;
using platform::U8Path;
using platform::U8String;

}  // namespace testing_tools
