// Writes 8-bit RGB PNG files (zlib-compressed, no filtering beyond "none"
// per row). Used for frame dumps, previews and image decoding tools.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Pixels are 0x00RRGGBB words, `stride` words a row. Returns false (and
// leaves no partial file) when the file can't be written.
bool WritePngXrgb(const std::string &path, const uint32_t *pixels, int width, int height, int stride);

// Pixels are RGB byte triples, width * 3 bytes a row.
bool WritePngRgb(const std::string &path, const uint8_t *rgb, int width, int height);

// Writes `bytes` to `path` through a temporary file renamed over it (no
// partial file is left), or in place when `path` is a device. False on any
// write error.
bool WriteFileAtomically(const std::string &path, const std::vector<uint8_t> &bytes);

// Encodes to memory (for tests and pipes).
std::vector<uint8_t> EncodePngRgb(const uint8_t *rgb, int width, int height);
