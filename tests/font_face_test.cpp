// The shipped seven-segment face at the size the show builds it (64 points at
// 96 dpi, default load flags): every code the show prints has a glyph of its
// own in a 36-pixel cell, the digits fit the credits bars and the countdown
// panel, a "1" shifted 26 pixels lights the right-hand segments of the 8, and
// the generator gives back the shipped file byte for byte.
#include <ft2build.h>
#include <gtest/gtest.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <unistd.h>

#include <vector>

#include "scenes/hidden.h"
#include "text/credits.h"

namespace {

// One rendered glyph in pen coordinates: x right of the pen, y up from the
// baseline. Coverage 0 to 255.
struct Glyph {
    int advance = 0;
    int left = 0, top = 0, width = 0, rows = 0;
    std::vector<std::uint8_t> coverage;
    int at(int x, int y) const {
        int c = x - left, r = top - 1 - y;
        if (c < 0 || c >= width || r < 0 || r >= rows) return 0;
        return coverage[static_cast<size_t>(r * width + c)];
    }
    int lit_pixels(int threshold = 128) const {
        int n = 0;
        for (std::uint8_t v : coverage) n += v >= threshold;
        return n;
    }
};

class Face : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        ASSERT_EQ(FT_Init_FreeType(&library), 0);
        ASSERT_EQ(FT_New_Face(library, "digital-7.ttf", 0, &face), 0);
        ASSERT_EQ(FT_Set_Char_Size(face, 4096, 4096, 96, 96), 0);
    }
    static void TearDownTestSuite() {
        FT_Done_Face(face);
        FT_Done_FreeType(library);
    }
    static Glyph render_index(FT_UInt index) {
        Glyph g;
        EXPECT_EQ(FT_Load_Glyph(face, index, FT_LOAD_DEFAULT), 0);
        g.advance = static_cast<int>(face->glyph->advance.x >> 6);
        EXPECT_EQ(FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL), 0);
        const FT_Bitmap& b = face->glyph->bitmap;
        g.left = face->glyph->bitmap_left;
        g.top = face->glyph->bitmap_top;
        g.width = static_cast<int>(b.width);
        g.rows = static_cast<int>(b.rows);
        for (int r = 0; r < g.rows; r++)
            for (int c = 0; c < g.width; c++) g.coverage.push_back(b.buffer[r * b.pitch + c]);
        return g;
    }
    static Glyph render(unsigned char code) { return render_index(FT_Get_Char_Index(face, code)); }

    static FT_Library library;
    static FT_Face face;
};
FT_Library Face::library = nullptr;
FT_Face Face::face = nullptr;

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST_F(Face, EveryPrintableCodeHasAGlyphOfItsOwnAndTabIsBlank) {
    const Glyph missing = render_index(0);
    ASSERT_GT(missing.lit_pixels(), 0) << "the missing-glyph box should be visible";
    for (int c = 32; c <= 126; c++) {
        SCOPED_TRACE(testing::Message() << "code " << c << " '" << static_cast<char>(c) << "'");
        EXPECT_NE(FT_Get_Char_Index(face, FT_ULong(c)), 0u);
        Glyph g = render(static_cast<unsigned char>(c));
        if (c == ' ') {
            EXPECT_EQ(g.lit_pixels(1), 0);
            continue;
        }
        EXPECT_GT(g.lit_pixels(), 8);
        EXPECT_NE(g.coverage, missing.coverage);
    }
    // Tab (in the hidden part's scroller) is a blank of its own, not the box.
    EXPECT_NE(FT_Get_Char_Index(face, '\t'), 0u);
    EXPECT_EQ(render('\t').lit_pixels(1), 0);
    // Punctuation the texts use must not be confused with each other.
    EXPECT_NE(render('(').coverage, render('[').coverage);
    EXPECT_NE(render(',').coverage, render('.').coverage);
    EXPECT_NE(render(';').coverage, render(':').coverage);
}

TEST_F(Face, EveryCharacterOfTheCreditsAndTheScrollerHasAGlyph) {
    std::string seen;
    for (int i = 0; i < credits_line_count; i++) seen += credits_lines[i];
    seen.append(napis, static_cast<size_t>(napis_length));
    for (unsigned char c = 1; c < 128; c++) {
        if (seen.find(static_cast<char>(c)) == std::string::npos) continue;
        EXPECT_NE(FT_Get_Char_Index(face, c), 0u) << "code " << int(c) << " draws the missing-glyph box";
    }
    // The punctuation the texts were written with is all there.
    for (char c : std::string("(),;?:.-")) EXPECT_NE(seen.find(c), std::string::npos) << c;
}

TEST_F(Face, EveryCodeAdvances36AndStaysInsideItsCellAndTheBars) {
    // All 128 codes get a display list, so all of them must keep the pitch.
    for (int c = 0; c < 128; c++) {
        SCOPED_TRACE(testing::Message() << "code " << c);
        Glyph g = render(static_cast<unsigned char>(c));
        EXPECT_EQ(g.advance, 36);
        if (g.width == 0) continue;
        EXPECT_GE(g.left, 0);
        // The title's bar ends 33.5 pixels past its last cell's start.
        EXPECT_LE(g.left + g.width, 33);
        EXPECT_GE(g.top - g.rows, -5);
        // Late in the credits the text stands 49.7 pixels of bar above its
        // baseline (the bars and the text rise at slightly different rates).
        EXPECT_LE(g.top, 50);
    }
}

TEST_F(Face, DigitsAndCapitalsFillTheBodyAndMarksStayNarrow) {
    for (const char* p = "023456789"; *p; p++) {
        SCOPED_TRACE(*p);
        Glyph g = render(static_cast<unsigned char>(*p));
        EXPECT_GE(g.width, 28);
        EXPECT_GE(g.rows, 48);
    }
    // Letters made of inner strokes only (X, T) are a little smaller.
    for (const char* p = "ABCDEFGHJKLMNOPQRSTUVWXYZ"; *p; p++) {
        SCOPED_TRACE(*p);
        Glyph g = render(static_cast<unsigned char>(*p));
        EXPECT_GE(g.width, 22);
        EXPECT_GE(g.rows, 45);
    }
    Glyph eight = render('8');
    EXPECT_GE(eight.rows, 54);
    EXPECT_LE(eight.top, 50);
    // The countdown leaves 16 pixels between a colon and the next digit.
    for (const char* p = ":.,;!'"; *p; p++) {
        SCOPED_TRACE(*p);
        Glyph g = render(static_cast<unsigned char>(*p));
        EXPECT_LE(g.left + g.width, 9);
    }
}

TEST_F(Face, OneAndIShifted26PixelsLightTheRightHalfOfTheEight) {
    const Glyph eight = render('8');
    for (unsigned char code : {'1', 'I'}) {
        SCOPED_TRACE(code);
        const Glyph one = render(code);
        ASSERT_GT(one.lit_pixels(), 100);
        int lit = 0, off_segment = 0, on_left = 0, in_left_half = 0;
        for (int y = one.top - one.rows; y < one.top; y++)
            for (int x = one.left; x < one.left + one.width; x++) {
                if (one.at(x, y) < 128) continue;
                lit++;
                off_segment += eight.at(x + 26, y) < 64;
                on_left += eight.at(x, y) >= 64;
                in_left_half += x + 26 < 18;
            }
        // Unshifted it is the 8's left-hand pair of segments, shifted the
        // right-hand pair, both exactly.
        EXPECT_EQ(on_left, lit);
        EXPECT_EQ(off_segment, 0);
        EXPECT_EQ(in_left_half, 0);
    }
}

TEST(FaceFile, GeneratorWritesTheShippedFontByteForByte) {
    const char* source = std::getenv("TANGLE_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    const std::string out =
        (std::filesystem::temp_directory_path() / ("tangle_font_" + std::to_string(::getpid()) + ".ttf"))
            .string();
    const std::string command =
        std::string("/usr/bin/python3 '") + source + "/tools/assets/make_font.py' '" + out + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const std::string made = read_file(out);
    std::filesystem::remove(out);
    EXPECT_GT(made.size(), 1000u);
    EXPECT_TRUE(made == read_file("digital-7.ttf"))
        << "data/digital-7.ttf differs from the generator's output";
    EXPECT_NE(read_file("digital-7.LICENSE.txt").find("Tangle developers"), std::string::npos);
}

}  // namespace
