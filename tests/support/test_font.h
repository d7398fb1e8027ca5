// test_font.h: builds the show's glyph font for a GL test.
#pragma once

#include <filesystem>
#include <string>

#include "text/font.h"

// The builder reads "digital-7.ttf" from the working directory, so the font
// (the shipped one, else Debian's DSEG7) is copied into a folder of its own
// and built from there. Needs a current GL context.
inline void build_test_font(const std::string& folder_name) {
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / folder_name;
    fs::create_directories(dir);
    fs::path source = fs::exists("digital-7.ttf")
                          ? fs::path("digital-7.ttf")
                          : fs::path("/usr/share/fonts/truetype/dseg/DSEG7Classic-Italic.ttf");
    fs::copy_file(source, dir / "digital-7.ttf", fs::copy_options::overwrite_existing);
    fs::path back = fs::current_path();
    fs::current_path(dir);
    build_glyph_font();
    fs::current_path(back);
}
