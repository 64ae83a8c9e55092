#include "platform/FileAttributes.h"

namespace platform {

uint32_t PermissionsFromAttributes(uint32_t attr, uint32_t fallback) {
  const uint32_t stored = attr >> 16;
  const uint32_t type = stored & kModeTypeMask;
  // A link's 0777 says nothing about the file that stands for it here.
  if ((attr & kAttributeUnixExtension) == 0 ||
      (type != 0 && type != kModeRegular && type != kModeFolder))
    return (attr & kAttributeReadOnly) ? (fallback & 0555) : fallback;
  return stored & 0777;
}

bool IsLinkAttributes(uint32_t attr) {
  return (attr & kAttributeUnixExtension) != 0 && ((attr >> 16) & kModeTypeMask) == kModeLink;
}

}  // namespace platform
