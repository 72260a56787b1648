#pragma once

#include "framework/graphics/Picture.h"

// The four pictures the card is built with, read from the bundle's Resources
// folder on first use and kept for the run; a picture that cannot be read is nil
// and is tried again on the next call.
fw::PictureRef StampOverlayMask();
// The perforated frame drawn over the stamp photo, with StampOverlayMask as its mask.
fw::PictureRef StampOverlay();
fw::PictureRef unfsImage();
fw::PictureRef DefaultStampImage();

// Forgets the loaded pictures (tests).
void ResetProjectPicturesForTests();
