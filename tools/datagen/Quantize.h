// Reduces a 32-bit picture to 256 colours for the PCX files: median cut on
// a 6-bit-per-channel histogram, refined by a few k-means rounds. Integer
// arithmetic and a total order on colours, so the result is the same
// everywhere.
#pragma once

#include "PcxWriter.h"

// With `keyColour` set, pixels exactly equal to it get index 0 and that
// entry holds it; no other pixel is given index 0 (the colour stays
// transparent for masked blits, however close another colour is; black
// keyed this way stays exactly black in additive sprites).
IndexedPicture Quantize(const Picture &picture, bool keyColour = false, uint32_t key = 0xFF00FF);
