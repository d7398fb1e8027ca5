// The hidden part's scroller and its text.
#include <algorithm>
#include <cctype>
#include <cstring>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scenes/hidden.h"

TEST(HiddenScroll, MovesFiveHundredPixelsPerSecondAndOneCharacterPer62) {
    HiddenState s;
    scroll_hidden_text(s, 0.0625f);
    EXPECT_EQ(s.posx, -31.25f);
    EXPECT_EQ(s.pozycja, 0);
    scroll_hidden_text(s, 0.0625f);  // -62.5: one character on, the rest dropped
    EXPECT_EQ(s.posx, 0.0f);
    EXPECT_EQ(s.pozycja, 1);
    // Exactly -62 counts too; one character per frame at most.
    s.posx = -62.0f;
    scroll_hidden_text(s, 0.0f);
    EXPECT_EQ(s.pozycja, 2);
    scroll_hidden_text(s, 2.0f);
    EXPECT_EQ(s.pozycja, 3);
    EXPECT_EQ(s.posx, 0.0f);
    // No music, no motion.
    s.posx = -10.0f;
    scroll_hidden_text(s, -1.0f);
    EXPECT_EQ(s.posx, -10.0f);
    EXPECT_EQ(s.pozycja, 3);

    // In 60-frame steps of a second: 500 pixels a second minus the dropped rest.
    HiddenState t;
    for (int f = 0; f < 600; ++f) scroll_hidden_text(t, 1.0f / 60.0f);
    EXPECT_EQ(t.pozycja, 75);  // 8 frames (66.7 px) per character
}

TEST(HiddenScroll, GlyphsSitInTheirCellsAndNarrowOnesAreNudged) {
    HiddenState s;
    std::vector<HiddenGlyph> glyphs;
    // Find a window holding an "I" and a ":".
    const std::string text(napis, napis_length);
    const size_t colon = text.find(':');
    ASSERT_NE(colon, std::string::npos);
    s.pozycja = static_cast<int>(colon) - 10;
    s.posx = -12.5f;
    layout_hidden_text(s, glyphs);
    ASSERT_EQ(glyphs.size(), static_cast<size_t>(rozmiar));
    int nudged = 0;
    for (int k = 0; k < rozmiar; ++k) {
        const char ch = napis[s.pozycja + k];
        EXPECT_EQ(glyphs[k].ch, ch);
        const bool narrow = ch == 'I' || ch == ':';
        nudged += narrow;
        EXPECT_EQ(glyphs[k].x, -12.5f - 20.0f + 62.0f * k + (narrow ? 10.0f : 0.0f)) << k;
    }
    EXPECT_GE(nudged, 1);
    EXPECT_EQ(glyphs[10].ch, ':');
    EXPECT_EQ(glyphs[10].x, -12.5f - 20.0f + 620.0f + 10.0f);
}

TEST(HiddenScroll, FinalAtSignRestartsTheTextAndTheWindowStaysInside) {
    std::vector<HiddenGlyph> glyphs;
    HiddenState s;
    s.pozycja = 8809;
    layout_hidden_text(s, glyphs);
    EXPECT_EQ(s.pozycja, 8809);
    ASSERT_EQ(glyphs.size(), 50u);
    EXPECT_NE(glyphs.back().ch, '@');

    // The next character brings the "@" in: this frame still draws all 50,
    // the next starts over.
    s.posx = -62.0f;
    scroll_hidden_text(s, 0.0f);
    EXPECT_EQ(s.pozycja, 8810);
    layout_hidden_text(s, glyphs);
    ASSERT_EQ(glyphs.size(), 50u);
    EXPECT_EQ(glyphs.back().ch, '@');
    EXPECT_EQ(s.pozycja, 0);
    layout_hidden_text(s, glyphs);
    EXPECT_EQ(glyphs[0].ch, napis[0]);

    // Whatever the position, the window never reaches past the end.
    for (int p : {8811, 8850, 8859, 8860, 9000, -3}) {
        SCOPED_TRACE(p);
        s.pozycja = p;
        layout_hidden_text(s, glyphs);
        EXPECT_EQ(s.pozycja, 0);
        EXPECT_LE(glyphs.size(), 50u);
        for (const HiddenGlyph& g : glyphs) EXPECT_NE(g.ch, '\0');
    }
    s.pozycja = 8855;
    layout_hidden_text(s, glyphs);
    EXPECT_EQ(glyphs.size(), 5u);
    EXPECT_EQ(glyphs.back().ch, '@');
}

TEST(HiddenText, HasTheScrollersStructure) {
    ASSERT_EQ(napis_length, 8860);
    EXPECT_EQ(std::strlen(napis), 8860u);
    const std::string text(napis, napis_length);
    EXPECT_EQ(text.find_first_not_of(' '), 35u);
    EXPECT_EQ(text.back(), '@');
    EXPECT_EQ(std::count(text.begin(), text.end(), '@'), 1);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\t'), 7);
    EXPECT_NE(text.find('I'), std::string::npos);
    EXPECT_NE(text.find(':'), std::string::npos);
    EXPECT_EQ(text.find('%'), std::string::npos);
    for (char ch : text) {
        const unsigned char u = static_cast<unsigned char>(ch);
        EXPECT_TRUE(ch == '\t' || (u >= 32 && u < 127)) << int(u);
        EXPECT_FALSE(std::islower(u)) << ch;
    }
    // The words have scrolled off before the "@" comes into the window.
    EXPECT_EQ(text.find_last_not_of(' ', napis_length - 2) < static_cast<size_t>(napis_length - rozmiar),
              true);
}
