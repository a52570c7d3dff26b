// Plasma: fills a byte map with smooth, tiling midpoint-displacement noise
// and optionally blurs it. The landscape takes its depth and cloud maps from
// it, the swirl fire its displacement maps. The caller owns the map.
#pragma once

// Overwrites the PicWidth x PicHeight map (row-major). Cells the subdivision
// wraps onto before writing them are read as they are, so a caller that
// wants the same statistics every time clears the map first. Then
// Smoothness passes of an in-place four-neighbour blur. A null map or a size
// below 1 does nothing.
void ComputePlasma(unsigned char *HMap, long PicWidth, long PicHeight, long Smoothness);
