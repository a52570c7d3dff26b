// File and text helpers shared by the shell and the effect modules: freeing,
// upper-casing and joining texts, loading raw pictures from the data folder
// and turning pictures of palette indices into page pixels.
#pragma once

#include "zentrix.h"

#include <cstdint>

// Holds the result of AddStr and the path built by the loaders; each call
// overwrites it.
extern char szBuffer[256];

// Releases a block of the C heap; null does nothing.
void FreeUp(void *Ptr);
// Upper-cases a zero-terminated text in place.
void UpCase(char *Str);
// Str1 followed by Str2 in szBuffer (cut to 255 characters); returns szBuffer.
char *AddStr(const char *Str1, const char *Str2);

// Reads up to W x H bytes of "Data\FileName" into Target. A missing file
// leaves Target as it was; a short one fills only what it holds.
void LoadFileRaw(const char *FileName, int W, int H, void *Target);
// Reads W x H three-byte pixels of "Data\FileName" and writes W x H 16-bit
// words: (b0 >> 3) << 11 | (b1 / 7) << 5 | b2 >> 3. Bytes a short file lacks
// count as 0; a missing file leaves Target as it was.
void LoadFileRaw24(const char *FileName, int W, int H, uint16_t *Target);

// Page pixel i = Palette[index i] for every pixel of the page.
// Flip: 8-bit indices, 16-bit pixels.
void Flip(const uint8_t *VPage, const uint16_t *Palette, defZENTRIXPAGE *EffectGFXPage);
// FlipW: 16-bit indices, 16-bit pixels.
void FlipW(const int16_t *VPage, const uint16_t *Palette, defZENTRIXPAGE *EffectGFXPage);
// FlipD: 16-bit indices, 32-bit pixels (the page must have 32 bits a pixel).
void FlipD(const int16_t *VPage, const uint32_t *Palette, defZENTRIXPAGE *EffectGFXPage);

// Writes the 32-bit page as the 24-bit bitmap "Saved.bmp" in the working
// directory (Filename is not used). 1 when the whole file was written, else
// 0, and then an existing "Saved.bmp" is left as it was.
long SaveBitmap(defZENTRIXPAGE *EffectPage, const char *Filename);
