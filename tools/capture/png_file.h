// png_file.h: writing RGB pictures as PNG files (libpng).
#pragma once

#include <string>
#include <vector>

// Writes an 8-bit RGB picture, top row first. False (and a message) on failure.
bool write_png(const std::string& path, int width, int height, const std::vector<unsigned char>& rgb);
