#pragma once

#include <cstdint>

// The Windows attribute word as archives store it. Archives made on Unix
// keep the file's mode in its high 16 bits, marked by 0x8000.
namespace platform {

constexpr uint32_t kAttributeReadOnly = 0x01;
constexpr uint32_t kAttributeDirectory = 0x10;
constexpr uint32_t kAttributeArchive = 0x20;
constexpr uint32_t kAttributeUnixExtension = 0x8000;

constexpr uint32_t kModeTypeMask = 0170000;
constexpr uint32_t kModeRegular = 0100000;
constexpr uint32_t kModeFolder = 0040000;
constexpr uint32_t kModeLink = 0120000;

// Permission bits for a file made from `attr`, never set-user-id,
// set-group-id or sticky; `fallback` (less its write bits for a read-only
// word) when the word carries no Unix bits, or those of a link or device.
uint32_t PermissionsFromAttributes(uint32_t attr, uint32_t fallback);

// Whether the word says the item was a link where it was made.
bool IsLinkAttributes(uint32_t attr);

}  // namespace platform
