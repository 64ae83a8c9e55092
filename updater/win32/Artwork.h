#pragma once

#include "ui/win32/Artwork.h"

// The update window's logo, 72 x 73 pixels.
extern const TEmbeddedFile kUpdaterArtwork[1];
