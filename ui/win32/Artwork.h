#pragma once

#include <cstddef>

struct TEmbeddedFile {
  const unsigned char* Data;
  size_t Size;
};

// The PNG files of ui/artwork in the order of the frame's image collection:
// "1x", "1.5", "2x", "4x" logos and the default icon.
extern const TEmbeddedFile kFrameArtwork[5];
