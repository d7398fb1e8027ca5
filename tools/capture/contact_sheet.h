// contact_sheet.h: one PNG grid of thumbnails, each labelled with its music time.
#pragma once

#include <string>
#include <vector>

// Adds a 1280 x 720 RGB frame (top row first) taken at `seconds`.
void contact_sheet_add(const std::vector<unsigned char>& rgb, double seconds);
// Lays the thumbnails out and writes the sheet; labels use the font file given.
bool contact_sheet_write(const std::string& path, const std::string& font_path);
// The thumbnails so far as a raw file, and adding those of such a file: how
// pieces captured apart share one sheet.
bool contact_sheet_save(const std::string& path);
bool contact_sheet_load(const std::string& path);
