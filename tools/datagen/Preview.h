// datagen --preview: a PNG of every picture in a Data/ folder (palettes and
// colour tables as swatches, the warp table as a rendered frame, the light
// lines drawn) and one contact sheet of them all.
#pragma once

#include <string>

// Reads the files from `dataDir`, writes the PNGs into `previewDir`.
// Files that are missing are listed and skipped; false when a PNG can't be
// written or no picture was found.
bool WritePreviews(const std::string &dataDir, const std::string &previewDir);
