// The pure rules of the text code: countdown digits and palette, the unlit
// companion, the credits' clock, band and layout, format_text, the print
// rules, and the font builder's failure message.
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include <gtest/gtest.h>

#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "text/credits.h"
#include "text/font.h"
#include "text/overlays.h"

namespace {

std::string shown(const CountdownDigits& d) {
    std::string s;
    for (int k = 0; k < 5; k++) {
        s += static_cast<char>('0' + d.digits[k]);
        if (k == 1 || k == 3) s += ':';
    }
    return s;
}

}  // namespace

TEST(Countdown, DigitsAcrossTheShow) {
    EXPECT_EQ(shown(countdown_digits(45)), "02:57:4");  // demo_time 0
    EXPECT_EQ(shown(countdown_digits(1818)), "00:00:1");
    EXPECT_EQ(shown(countdown_digits(1818.5f)), "00:00:0");
    EXPECT_EQ(shown(countdown_digits(1819)), "00:00:0");
    EXPECT_EQ(shown(countdown_digits(1819 - 600)), "01:00:0");
    EXPECT_EQ(shown(countdown_digits(1819 - 599)), "00:59:9");
    EXPECT_EQ(shown(countdown_digits(1819 - 6005)), "10:00:5");
}

TEST(Countdown, NegativeFieldsClampAfterTheTenthsAreTaken) {
    // t = -11: s = -1 and d = -1 unclamped; all shown as 0.
    CountdownDigits d = countdown_digits(1830);
    EXPECT_EQ(d.minutes, 0);
    EXPECT_EQ(d.seconds, 0);
    EXPECT_EQ(d.tenths, 0);
    // t = -700: m = -1, s = -10, d = 0 before clamping.
    EXPECT_EQ(shown(countdown_digits(1819 + 700)), "00:00:0");
    EXPECT_EQ(shown(countdown_digits(1e6f)), "00:00:0");
}

TEST(Countdown, PaletteSwitchesStrictlyAbove1300) {
    CountdownPalette green = countdown_palette(1300);
    CountdownPalette magenta = countdown_palette(1300.1f);
    EXPECT_FLOAT_EQ(green.lit.g, 1.0f);
    EXPECT_FLOAT_EQ(green.panel_outer.r, 0.24f);
    EXPECT_FLOAT_EQ(magenta.lit.r, 220 / 255.0f);
    EXPECT_FLOAT_EQ(magenta.panel_inner.r, 150 / 255.0f);
    // The unlit digits keep their grey-green in both.
    EXPECT_FLOAT_EQ(magenta.unlit.g, green.unlit.g);
    EXPECT_FLOAT_EQ(magenta.unlit.b, 0.3f);
}

TEST(UnlitText, SegmentsThatCouldLight) {
    EXPECT_EQ(unlit_text("CAFE"), "E8EE");
    EXPECT_EQ(unlit_text("1:0"), "1:8");
    EXPECT_EQ(unlit_text("cef I!,.-()i"), "EEE I!,.-()i");
    EXPECT_EQ(unlit_text("TANGLE 40XD"), "88888E 8888");
    EXPECT_EQ(unlit_text(""), "");
    // A text beginning with "1" keeps it, so both take the same shift.
    EXPECT_EQ(unlit_text("1002")[0], '1');
}

TEST(CreditsClock, OffsetFromScroll) {
    EXPECT_FLOAT_EQ(credits_offset_for(0), 0);
    EXPECT_FLOAT_EQ(credits_offset_for(-1), 0);
    EXPECT_FLOAT_EQ(credits_offset_for(0.5f), 0.25f / 15);
    EXPECT_FLOAT_EQ(credits_offset_for(3), 0.2f);
    EXPECT_FLOAT_EQ(credits_offset_for(1), 1 / 15.0f);
}

TEST(CreditsClock, OnlyForwardStepsOfTheFinaleCount) {
    credits_scroll = 0;
    credits_last_position = 2.0f;
    advance_credits_scroll(0.0f);  // silent finale: 0 - 2 ignored
    EXPECT_FLOAT_EQ(credits_scroll, 0.0f);
    EXPECT_FLOAT_EQ(credits_last_position, 0.0f);
    advance_credits_scroll(1.0f);
    advance_credits_scroll(3.0f);
    EXPECT_FLOAT_EQ(credits_scroll, 2.25f);
    advance_credits_scroll(0.5f);  // the loop wraps: ignored
    advance_credits_scroll(1.5f);
    EXPECT_FLOAT_EQ(credits_scroll, 3.0f);
    advance_credits_scroll(1.5f);  // a stalled stream changes nothing
    EXPECT_FLOAT_EQ(credits_scroll, 3.0f);
}

TEST(CreditsClock, ScrollIsRoundedToFloatEveryFrame) {
    // Far into the finale, at about 60 frames a second: the scroll is a float
    // that takes each frame's step, so its rounding builds up frame by frame
    // exactly as the float sum below does, not as an exact running sum.
    credits_scroll = 0;
    credits_last_position = 2.0f;
    float expected = 0;
    float previous = 2.0f;
    double exact = 0;
    for (int frame = 1; frame <= 20000; frame++) {
        float position = static_cast<float>(frame) / 60.0f;
        advance_credits_scroll(position);
        float step = position - previous;
        previous = position;
        if (step > 0) {
            expected += 0.75f * step;
            exact += 0.75 * static_cast<double>(step);
        }
    }
    EXPECT_EQ(credits_scroll, expected);
    // The two sums really part here, so the check above tells them apart.
    EXPECT_NE(static_cast<float>(exact), expected);
}

TEST(CreditsBand, BaselinesAndInclusiveLimits) {
    const float y = -0.34f - 0.1f;
    EXPECT_NEAR(credits_line_baseline(0, y, 0), 410.2, 1e-3);
    EXPECT_NEAR(credits_line_baseline(1, y, 0), 338.2, 1e-3);
    EXPECT_NEAR(credits_line_baseline(11, y, 0.5f), 338.2 + 360 - 720, 1e-3);
    EXPECT_TRUE(credits_line_in_band(-200.0));
    EXPECT_TRUE(credits_line_in_band(1200.0));
    EXPECT_FALSE(credits_line_in_band(-200.0001));
    EXPECT_FALSE(credits_line_in_band(1200.0001));
    // At scroll 0 line 8, the next with a bar, lies below the screen.
    EXPECT_LT(credits_line_baseline(8, y, 0), 0.0);
    // The last line lies above the band once the offset passes about 40.
    EXPECT_TRUE(credits_line_in_band(credits_line_baseline(389, y, 39.5f)));
    EXPECT_FALSE(credits_line_in_band(credits_line_baseline(389, y, 40.5f)));
}

TEST(CreditsBand, PictureShowsWhileLine14IsInTheBand) {
    const float y = -0.44f;
    EXPECT_FALSE(credits_line_in_band(credits_line_baseline(14, y, 0.552f)));
    EXPECT_TRUE(credits_line_in_band(credits_line_baseline(14, y, 0.553f)));
    EXPECT_TRUE(credits_line_in_band(credits_line_baseline(14, y, 2.496f)));
    EXPECT_FALSE(credits_line_in_band(credits_line_baseline(14, y, 2.498f)));
    EXPECT_NEAR(credits_picture_dy(14, 1.0f), 1.8 - 3.06, 1e-5);
}

TEST(CreditsBand, BarsAndLineOrigins) {
    EXPECT_NEAR(credits_bar_width(36), 1.0125, 1e-6);
    EXPECT_FLOAT_EQ(credits_bar_width(0), 0);
    EXPECT_FLOAT_EQ(credits_line_x(0, -0.05f), 0.1f);
    EXPECT_FLOAT_EQ(credits_line_x(1, -0.05f), -0.05f);
    EXPECT_FLOAT_EQ(credits_line_x(389, -0.05f), -150.0f);
}

// Kind of each credits line from the layout: 'e' empty, 'b' blank, 't' text,
// 's' separator, 'x' the picture; with its width.
struct Expected {
    char kind;
    int width;
};

static Expected expected_line(int i) {
    auto in = [i](int a, int b) { return i >= a && i <= b; };
    if (i == 0) return {'t', 16};
    if (in(1, 7) || in(15, 17)) return {'e', 0};
    if (i == 14) return {'x', 2};
    if (in(8, 13)) return {(i == 10 || i == 13) ? 't' : 'b', 36};
    if (in(18, 23)) return {i == 22 ? 's' : (i == 19 || i == 20) ? 't' : 'b', 36};
    if (in(24, 29)) return {(i == 25 || i == 29) ? 'b' : 't', 37};
    if (in(30, 41)) {
        const char* k = "ttbtbtbttbsb";
        return {k[i - 30], (i == 39 || i == 41) ? 37 : 36};
    }
    if (in(42, 57)) {
        const char* k = "ttbtbtbtbtbtbsts";
        const int w[] = {36, 36, 36, 37, 36, 37, 36, 37, 36, 37, 36, 36, 37, 36, 44, 36};
        return {k[i - 42], w[i - 42]};
    }
    if (in(58, 85)) return {(in(58, 59) || i == 65 || i == 84) ? 'b' : 't', i == 84 ? 37 : 42};
    if (in(86, 140)) {
        int w = i == 94 ? 40 : i == 113 ? 13 : i == 128 ? 30 : in(139, 140) ? 44 : 37;
        bool text = i == 94 || in(99, 111) || i == 113 || in(114, 125) || i == 128 || in(129, 137);
        return {text ? 't' : 'b', w};
    }
    if (in(141, 204)) {
        bool text = in(141, 143) || in(147, 149) || i == 151 || i == 157 || i == 166 || in(170, 171) ||
                    in(175, 188) || in(191, 204);
        return {text ? 't' : 'b', 36};
    }
    const int texts[] = {216, 234, 245, 246, 259, 271, 272, 273, 280, 290, 294,
                         302, 304, 311, 320, 329, 331, 343, 353, 375, 376, 385};
    bool text = false;
    for (int t : texts) text = text || t == i;
    return {text ? 't' : 'b', i == 320 ? 48 : 36};
}

static bool in_long_run(int i) {
    auto in = [i](int a, int b) { return i >= a && i <= b; };
    return in(99, 111) || in(114, 125) || in(129, 137) || in(175, 188) || in(191, 204);
}

TEST(CreditsLines, FollowTheLayoutLineByLine) {
    const std::string separator = std::string(17, ' ') + "-.-" + std::string(16, ' ');
    int counts[256] = {};
    int lower_case_lines = 0;
    for (int i = 0; i < credits_line_count; i++) {
        SCOPED_TRACE(i);
        const std::string line = credits_lines[i];
        Expected e = expected_line(i);
        EXPECT_EQ(static_cast<int>(line.size()), e.width);
        EXPECT_EQ(line.find('%'), std::string::npos);
        bool blank = !line.empty() && line.find_first_not_of(' ') == std::string::npos;
        switch (e.kind) {
            case 'e':
                EXPECT_TRUE(line.empty());
                break;
            case 'b':
                EXPECT_TRUE(blank);
                break;
            case 'x':
                EXPECT_EQ(line, "XD");
                break;
            case 's':
                EXPECT_EQ(line, separator);
                break;
            case 't': {
                ASSERT_FALSE(line.empty());
                EXPECT_FALSE(blank);
                EXPECT_NE(line, "XD");
                size_t left = line.find_first_not_of(' ');
                size_t right = line.size() - 1 - line.find_last_not_of(' ');
                if (in_long_run(i)) {
                    EXPECT_EQ(left, 1u);
                } else if (i != 0) {
                    EXPECT_LE(left > right ? left - right : right - left, 1u) << "centred";
                }
                bool lower = false;
                for (char c : line) lower = lower || std::islower(static_cast<unsigned char>(c));
                lower_case_lines += lower;
                break;
            }
        }
        for (char c : line) EXPECT_TRUE(c >= 32 && c < 127);
        counts[static_cast<unsigned char>(e.kind == 's' ? 't' : e.kind)]++;
    }
    EXPECT_EQ(counts['t'], 149);
    EXPECT_EQ(counts['b'], 230);
    EXPECT_EQ(counts['e'], 10);
    EXPECT_EQ(counts['x'], 1);
    EXPECT_EQ(std::string(credits_lines[0]).find_first_of(' '), 1u);  // spaced letters, no padding
    EXPECT_NE(credits_lines[0][0], ' ');
    EXPECT_NE(credits_lines[0][15], ' ');
    EXPECT_LE(lower_case_lines, 5);
}

TEST(CreditsLines, CreditsNameEachToolInParenthesesAndKeepTheirPunctuation) {
    // Lines 26 to 28 each name a part of the work and then, in parentheses,
    // the tools it was made with.
    for (int i = 26; i <= 28; i++) {
        SCOPED_TRACE(i);
        const std::string line = credits_lines[i];
        const size_t open = line.find('('), close = line.find(')');
        ASSERT_NE(open, std::string::npos);
        ASSERT_NE(close, std::string::npos);
        EXPECT_LT(line.find_first_not_of(' '), open);
        EXPECT_GT(close, open + 1);
        EXPECT_EQ(line.find_first_not_of(' ', close + 1), std::string::npos);
    }
    // The commas and the question the texts were written with are there.
    EXPECT_NE(std::string(credits_lines[37]).find(','), std::string::npos);
    EXPECT_NE(std::string(credits_lines[157]).find('?'), std::string::npos);
}

TEST(FormatText, CutsLongOutputInsideTheBuffer) {
    char buffer[text_buffer_size + 8];
    std::memset(buffer, '#', sizeof buffer);
    std::string long_text(1000, 'A');
    auto& bounded = *reinterpret_cast<char(*)[text_buffer_size]>(buffer);
    int wanted = format_text(bounded, "%s", long_text.c_str());
    EXPECT_EQ(wanted, 1000);
    EXPECT_EQ(std::strlen(buffer), text_buffer_size - 1);
    for (size_t k = text_buffer_size; k < sizeof buffer; k++) EXPECT_EQ(buffer[k], '#');
    format_text(bounded, "%d\n", 1552);
    EXPECT_STREQ(buffer, "1552\n");
}

TEST(PrintRules, LinesAndTheOneShift) {
    GlyphFont font;
    font.pixel_height = 64;
    EXPECT_NEAR(print_line_height(font), 101.587, 1e-3);
    EXPECT_EQ(count_text_lines(""), 1);
    EXPECT_EQ(count_text_lines("A\nB"), 2);
    EXPECT_EQ(count_text_lines("A\n"), 2);  // a trailing newline ends in an empty line
    LineOrigin first = print_line_origin(font, 100, 300, "12", true, 0);
    LineOrigin second = print_line_origin(font, 100, 300, "12\n34", true, 1);
    EXPECT_FLOAT_EQ(first.x, 126);
    EXPECT_FLOAT_EQ(second.x, 126);  // the shift holds for every line of the call
    EXPECT_NEAR(second.y, 300 - 101.587, 1e-3);
    EXPECT_FLOAT_EQ(print_line_origin(font, 100, 300, "21", true, 0).x, 100);
    EXPECT_FLOAT_EQ(print_line_origin(font, 100, 300, "1", false, 0).x, 100);
}

TEST(GlyphTexels, PowerOfTwoTextureWithRowsAsTheUploadReadsThem) {
    // An empty glyph (a space) gives one zero texel.
    GlyphTexels empty = make_glyph_texels(nullptr, 0, 0, 0, 4);
    EXPECT_EQ(empty.width, 1);
    EXPECT_EQ(empty.height, 1);
    EXPECT_EQ(empty.bytes, std::vector<unsigned char>(4, 0));

    // 3 x 2 coverage, rows padded to a pitch of 4: a 4 x 2 texture, luminance
    // and alpha both the coverage, the column past the bitmap zero.
    const unsigned char wide[] = {10, 20, 30, 99, 40, 50, 60, 99};
    GlyphTexels w = make_glyph_texels(wide, 3, 2, 4, 4);
    EXPECT_EQ(w.width, 4);
    EXPECT_EQ(w.height, 2);
    const std::vector<unsigned char> wide_texels = {10, 10, 20, 20, 30, 30, 0, 0,
                                                    40, 40, 50, 50, 60, 60, 0, 0};
    EXPECT_EQ(w.bytes, wide_texels);

    // A one-pixel-wide glyph of 3 rows: a 1 x 4 texture whose rows of 2 bytes
    // start on the 4-byte boundaries the upload reads them from, and the
    // buffer holds every row it reads.
    const unsigned char thin[] = {7, 8, 9};
    GlyphTexels t = make_glyph_texels(thin, 1, 3, 1, 4);
    EXPECT_EQ(t.width, 1);
    EXPECT_EQ(t.height, 4);
    ASSERT_EQ(t.bytes.size(), 16u);
    EXPECT_EQ(t.bytes[0], 7);
    EXPECT_EQ(t.bytes[1], 7);
    EXPECT_EQ(t.bytes[4], 8);
    EXPECT_EQ(t.bytes[5], 8);
    EXPECT_EQ(t.bytes[8], 9);
    EXPECT_EQ(t.bytes[9], 9);
    EXPECT_EQ(t.bytes[12], 0);
    // With byte alignment the rows are packed.
    EXPECT_EQ(make_glyph_texels(thin, 1, 3, 1, 1).bytes.size(), 8u);
}

// Linear filtering reads a glyph's edge texels with their neighbours; in its
// own texture those wrap round to the opposite edge, and in the atlas they
// must be the same values, or text would change at its edges.
TEST(GlyphAtlas, EveryGlyphAndItsWrappedBorderAsItsOwnTextureRepeats) {
    std::vector<GlyphTexels> glyphs;
    const int sizes[][2] = {{1, 1}, {4, 2}, {2, 4}, {128, 128}, {1000, 8}, {16, 1}};
    unsigned char value = 1;
    for (const auto& size : sizes) {
        std::vector<unsigned char> coverage(static_cast<size_t>(size[0] * size[1]));
        for (unsigned char& v : coverage) v = value++;
        glyphs.push_back(make_glyph_texels(coverage.data(), size[0], size[1], size[0], 4));
    }
    GlyphAtlas atlas = make_glyph_atlas(glyphs);
    EXPECT_EQ(atlas.width & (atlas.width - 1), 0);
    EXPECT_EQ(atlas.height & (atlas.height - 1), 0);
    ASSERT_EQ(atlas.bytes.size(), static_cast<size_t>(2 * atlas.width * atlas.height));
    std::vector<int> owner(static_cast<size_t>(atlas.width * atlas.height), -1);
    for (size_t k = 0; k < glyphs.size(); k++) {
        const GlyphTexels& g = glyphs[k];
        const size_t from_row = g.bytes.size() / static_cast<size_t>(g.height);
        for (int j = -1; j <= g.height; j++)
            for (int i = -1; i <= g.width; i++) {
                const int ax = atlas.x[k] + i, ay = atlas.y[k] + j;
                ASSERT_TRUE(ax >= 0 && ay >= 0 && ax < atlas.width && ay < atlas.height) << "glyph " << k;
                int& cell = owner[static_cast<size_t>(ay * atlas.width + ax)];
                EXPECT_EQ(cell, -1) << "glyph " << k << " overlaps glyph " << cell;
                cell = static_cast<int>(k);
                const int si = (i + g.width) % g.width, sj = (j + g.height) % g.height;
                const size_t to = 2 * static_cast<size_t>(ay * atlas.width + ax);
                EXPECT_EQ(atlas.bytes[to],
                          g.bytes[static_cast<size_t>(sj) * from_row + 2 * static_cast<size_t>(si)])
                    << "glyph " << k << " texel " << i << "," << j;
            }
    }
}

// The fixed message, after a line of ours that names the file.
TEST(FontBuild, MissingFontEndsWithTheExactMessageAndStatus1) {
    auto empty_dir = std::filesystem::temp_directory_path() / "tangle-text-nofont";
    std::filesystem::create_directories(empty_dir);
    EXPECT_EXIT(
        {
            if (chdir(empty_dir.c_str()) != 0) std::_Exit(3);
            try {
                build_glyph_font();
            } catch (const std::exception& failure) {
                std::exit(report_font_failure(failure));
            }
            std::_Exit(2);
        },
        testing::ExitedWithCode(1),
        "^tangle: digital-7.ttf: No such file or directory\n"
        "FT_New_Face failed \\(there is probably a problem with your font file\\)\n$");

    // A FIFO named like the font is refused at once, not waited on.
    auto fifo_dir = std::filesystem::temp_directory_path() / "tangle-text-fifofont";
    std::filesystem::create_directories(fifo_dir);
    std::filesystem::remove(fifo_dir / "digital-7.ttf");
    ASSERT_EQ(mkfifo((fifo_dir / "digital-7.ttf").c_str(), 0600), 0);
    EXPECT_EXIT(
        {
            if (chdir(fifo_dir.c_str()) != 0) std::_Exit(3);
            try {
                build_glyph_font();
            } catch (const std::exception& failure) {
                std::exit(report_font_failure(failure));
            }
            std::_Exit(2);
        },
        testing::ExitedWithCode(1), "^tangle: digital-7.ttf: not a regular file\n");
}
