// The hidden part's clock, beat and dot patterns.
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/random.h"
#include "scenes/hidden.h"

namespace {

// Standard output of the part, captured in memory.
struct Capture {
    char* data = nullptr;
    size_t size = 0;
    std::FILE* file = open_memstream(&data, &size);
    ~Capture() {
        std::fclose(file);
        std::free(data);
    }
    std::string text() {
        std::fflush(file);
        return std::string(data, size);
    }
};

double unit(int v) { return v / 32767.0; }

// A frame count whose reseed makes the first value 32767 (a random 13).
int frames_for_thirteen() {
    for (int f = 1; f < 5000000; ++f) {
        random_seed(static_cast<unsigned>(f) * 1000u);
        if (random_next() == 32767) return f;
    }
    return -1;
}

// State one frame before a fresh beat at level >= 1.
HiddenState before_random_beat(int level, int frames) {
    HiddenState s;
    s.pattern_level = level;
    s.pattern_type = 4;
    s.dot_count = 1250;
    s.frames = frames;
    s.clock = 7.0f;  // m = 8
    s.last_beat = 4.0f;
    return s;
}

}  // namespace

TEST(HiddenClock, BeatsAtThreeThenEveryFourUnitsAndStandsStillWithoutMusic) {
    HiddenState s;
    // First frame: the stream has not played yet.
    EXPECT_EQ(advance_hidden_clock(s, 0.0f), 0.0f);
    EXPECT_EQ(step_hidden_beat(s, nullptr), 0);

    // Clock 3 is reached after 4 seconds of music (0.75 per second).
    advance_hidden_clock(s, 3.99f);
    EXPECT_EQ(step_hidden_beat(s, nullptr), 0);
    advance_hidden_clock(s, 4.0f);
    EXPECT_FLOAT_EQ(s.clock, 3.0f);
    EXPECT_EQ(step_hidden_beat(s, nullptr), 1);
    EXPECT_EQ(s.pattern_type, 1);
    EXPECT_EQ(s.last_beat, 4.0f);
    // The same beat number does not step again.
    advance_hidden_clock(s, 5.0f);
    EXPECT_EQ(step_hidden_beat(s, nullptr), 0);

    // The next one 4 units (16/3 seconds) later.
    advance_hidden_clock(s, 4.0f + 16.0f / 3.0f - 0.01f);
    EXPECT_EQ(step_hidden_beat(s, nullptr), 0);
    advance_hidden_clock(s, 4.0f + 16.0f / 3.0f + 0.01f);
    EXPECT_EQ(step_hidden_beat(s, nullptr), 1);
    EXPECT_EQ(s.pattern_type, 2);

    // A stopped or rewound (wrapped) stream moves nothing but the frame count.
    const HiddenState held = s;
    EXPECT_LT(advance_hidden_clock(s, 9.0f), 0.0f);
    step_hidden_beat(s, nullptr);
    scroll_hidden_text(s, -0.5f);
    EXPECT_EQ(advance_hidden_clock(s, 9.0f), 0.0f);
    step_hidden_beat(s, nullptr);
    scroll_hidden_text(s, 0.0f);
    EXPECT_EQ(s.clock, held.clock);
    EXPECT_EQ(s.pattern_type, held.pattern_type);
    EXPECT_EQ(s.posx, held.posx);
    EXPECT_EQ(s.pozycja, held.pozycja);
    EXPECT_EQ(s.frames, held.frames + 2);
    // After the wrap the clock goes on from where it stood.
    advance_hidden_clock(s, 10.0f);
    EXPECT_FLOAT_EQ(s.clock, held.clock + 0.75f);
}

TEST(HiddenBeat, FirstCycleIsOrderedSilentAndEndsInLevelOne) {
    Capture out;
    HiddenState s;
    std::vector<HiddenDot> dots;
    std::vector<int> shown;
    int frames_at_level_one = 0;
    // 60 frames a second of hidden music until the first random beat.
    for (int f = 0; f < 60 * 80; ++f) {
        const float dete = advance_hidden_clock(s, static_cast<float>(f / 60.0));
        step_hidden_beat(s, out.file);
        if (s.pattern_level == 0 && (shown.empty() || shown.back() != s.pattern_type))
            shown.push_back(s.pattern_type);
        const int level = s.pattern_level;
        compute_hidden_dots(s, dots);
        scroll_hidden_text(s, dete);
        if (level == 0 && s.pattern_level == 1) {
            frames_at_level_one = s.frames;
            // The beat after type 12 raises the level on the same frame.
            EXPECT_EQ(s.pattern_type, 0);
            EXPECT_FALSE(dots.empty());
            EXPECT_EQ(out.text(), "");
        }
        if (!out.text().empty()) break;
    }
    std::vector<int> expected;
    for (int t = 0; t <= 13; ++t) expected.push_back(t);
    EXPECT_EQ(shown, expected);
    ASSERT_GT(frames_at_level_one, 0);

    // The first line comes with the first beat of level 1.
    random_seed(static_cast<unsigned>(s.frames) * 1000u);
    const int type = static_cast<int>(std::floor(unit(random_next()) * 13.0));
    EXPECT_EQ(out.text(), std::to_string(s.frames) + "  " + std::to_string(type) + "\n");
    EXPECT_EQ(s.pattern_type, type);
    EXPECT_EQ(s.pattern_level, type == 13 ? 2 : 1);
    // 4 units of clock = 16/3 s = 320 frames after the level was raised.
    EXPECT_NEAR(s.frames - frames_at_level_one, 320, 1);
}

TEST(HiddenBeat, RandomThirteenPrintsThirteenThenShowsTypeZeroOfTheNextLevel) {
    const int f = frames_for_thirteen();
    ASSERT_GT(f, 1);

    Capture out;
    HiddenState s = before_random_beat(1, f - 1);
    std::vector<HiddenDot> dots;
    ASSERT_EQ(step_hidden_beat(s, out.file), 1);
    EXPECT_EQ(out.text(), std::to_string(f) + "  13\n");
    EXPECT_EQ(s.pattern_type, 13);

    compute_hidden_dots(s, dots);
    EXPECT_EQ(s.pattern_level, 2);
    EXPECT_EQ(s.pattern_type, 0);
    EXPECT_EQ(s.dot_count, 1);
    ASSERT_EQ(dots.size(), 1u);  // pass 0 raised the level, pass 1 drew type 0
    EXPECT_GT(dots[0].r, 1.0);   // level 2 colours

    // With a count of 1 left by the pattern before, type 0 waits for the next frame.
    HiddenState t = before_random_beat(1, f - 1);
    t.dot_count = 1;
    step_hidden_beat(t, nullptr);
    compute_hidden_dots(t, dots);
    EXPECT_EQ(t.pattern_level, 2);
    EXPECT_TRUE(dots.empty());
    compute_hidden_dots(t, dots);
    EXPECT_EQ(dots.size(), 1u);
}

TEST(HiddenPatterns, DotCountOfEachTypeIsReadOnEveryPass) {
    const int counts[13] = {1, 2, 3, 3, 1250, 124, -1, 224, 1, 224, -1, 1240, 40};
    std::vector<HiddenDot> dots;
    for (int previous : {1, 1250}) {
        for (int type = 0; type <= 12; ++type) {
            SCOPED_TRACE("type " + std::to_string(type) + " after " + std::to_string(previous));
            HiddenState s;
            s.pattern_level = 3;
            s.clock = 12.5f;
            s.pattern_type = type;
            s.dot_count = previous;
            compute_hidden_dots(s, dots);
            if (type == 6) {
                EXPECT_EQ(s.dot_count, previous);  // keeps the pattern before's count
            } else if (type == 10) {
                // Drawn anew on every pass: the loop ends at the first pass
                // whose count does not exceed the passes made.
                EXPECT_GE(s.dot_count, 215);
                EXPECT_LE(s.dot_count, 265);
                EXPECT_GE(dots.size(), static_cast<size_t>(s.dot_count));
                EXPECT_LE(dots.size(), 265u);
                continue;
            } else {
                EXPECT_EQ(s.dot_count, counts[type]);
            }
            EXPECT_EQ(dots.size(), static_cast<size_t>(s.dot_count));
        }
    }
    // Growing and shrinking counts are seen on the next pass: a count of
    // 1 left over still lets the first pass of type 4 set 1250.
    HiddenState s;
    s.pattern_type = 4;
    s.dot_count = 1;
    compute_hidden_dots(s, dots);
    EXPECT_EQ(dots.size(), 1250u);
    s.pattern_type = 1;
    compute_hidden_dots(s, dots);
    EXPECT_EQ(dots.size(), 2u);
}

TEST(HiddenPatterns, RandomValuesAreDrawnInTheirFixedOrder) {
    std::vector<HiddenDot> dots;
    HiddenState s;
    s.pattern_level = 1;
    s.clock = 5.25f;
    const double c = s.clock;
    const double level = 1.0;

    // Type 0: r1, a, then y, x, blue, green, red, height, width.
    s.pattern_type = 0;
    compute_hidden_dots(s, dots);
    ASSERT_EQ(dots.size(), 1u);
    random_seed(1001);
    double r[9];
    for (double& v : r) v = unit(random_next());
    const HiddenDot& d = dots[0];
    EXPECT_FLOAT_EQ(d.y, static_cast<float>(std::fabs(std::sin((r[2] + 3) * c * 3.3) * 0.2) + 0.4));
    EXPECT_FLOAT_EQ(d.x, static_cast<float>(std::sin(4 * c) * r[3] * 0.2 * level + 0.5));
    EXPECT_DOUBLE_EQ(d.b, 209.0 / 255.0 + 20.002 * level * r[4]);
    EXPECT_DOUBLE_EQ(d.g, 135.0 / 255.0 + 20.002 * level * r[5]);
    EXPECT_DOUBLE_EQ(d.r, 250.0 / 255.0 + 20.002 * level * r[6]);
    EXPECT_FLOAT_EQ(d.h, static_cast<float>(0.005 + 0.002 * level * r[7]));
    EXPECT_FLOAT_EQ(d.w, static_cast<float>(0.002 + 0.002 * level * r[8]));

    // Type 8: height before width.
    s.pattern_type = 8;
    compute_hidden_dots(s, dots);
    ASSERT_EQ(dots.size(), 1u);
    EXPECT_FLOAT_EQ(dots[0].h, static_cast<float>(0.005 + 0.006 * level * r[3]));
    EXPECT_FLOAT_EQ(dots[0].w, static_cast<float>(0.006 + 0.006 * level * r[4]));

    // Type 11: blue, then green, then red, after the spread and the phase.
    s.pattern_type = 11;
    compute_hidden_dots(s, dots);
    ASSERT_EQ(dots.size(), 1240u);
    EXPECT_DOUBLE_EQ(dots[0].b, r[4] * 239.0 / 255.0);
    EXPECT_DOUBLE_EQ(dots[0].g, r[5] * 165.0 / 255.0);
    EXPECT_DOUBLE_EQ(dots[0].r, r[6]);
    const double spread = r[2] * 0.9;
    EXPECT_FLOAT_EQ(dots[0].x, static_cast<float>(std::sin(r[3] * 5.24 * c) * spread + 0.25));

    // Type 3 discards one value: its height uses the second.
    s.pattern_type = 3;
    compute_hidden_dots(s, dots);
    EXPECT_FLOAT_EQ(dots[0].y, static_cast<float>(std::fabs(std::sin((r[3] + 3) * c * 3.3) * 0.2) + 0.4));
    EXPECT_FLOAT_EQ(dots[1].x, 0.53f);
    EXPECT_FLOAT_EQ(dots[2].x, 0.47f);

    // Reseeded per level: the same clock gives the same dots on every frame.
    s.pattern_type = 7;
    compute_hidden_dots(s, dots);
    std::vector<HiddenDot> again;
    random_next();
    compute_hidden_dots(s, again);
    ASSERT_EQ(dots.size(), again.size());
    for (size_t i = 0; i < dots.size(); ++i) {
        EXPECT_EQ(dots[i].x, again[i].x);
        EXPECT_EQ(dots[i].y, again[i].y);
    }
}

TEST(HiddenPatterns, TypeZeroTurnsWhiteFromLevelOneOn) {
    std::vector<HiddenDot> dots;
    HiddenState s;
    s.clock = 20.0f;
    compute_hidden_dots(s, dots);
    ASSERT_EQ(dots.size(), 1u);
    EXPECT_DOUBLE_EQ(dots[0].r, 250.0 / 255.0);
    EXPECT_DOUBLE_EQ(dots[0].g, 135.0 / 255.0);
    EXPECT_DOUBLE_EQ(dots[0].b, 209.0 / 255.0);
    EXPECT_FLOAT_EQ(dots[0].w, 0.002f);
    EXPECT_FLOAT_EQ(dots[0].x, 0.5f);

    for (int level = 1; level <= 40; ++level) {
        SCOPED_TRACE(level);
        s.pattern_level = level;
        compute_hidden_dots(s, dots);
        ASSERT_EQ(dots.size(), 1u);
        // GL clamps each component to 1.
        EXPECT_GE(dots[0].r, 1.0);
        EXPECT_GE(dots[0].g, 1.0);
        EXPECT_GE(dots[0].b, 1.0);
        EXPECT_EQ(dots[0].a, 1.0);
    }
}

TEST(HiddenPatterns, PlainDotsUseTheSinglePrecisionPink) {
    std::vector<HiddenDot> dots;
    HiddenState s;
    s.pattern_type = 4;
    s.clock = 1.0f;
    compute_hidden_dots(s, dots);
    ASSERT_EQ(dots.size(), 1250u);
    EXPECT_EQ(dots[0].r, static_cast<double>(0.98039216f));
    EXPECT_EQ(dots[0].g, static_cast<double>(0.5294118f));
    EXPECT_EQ(dots[0].b, static_cast<double>(0.81960785f));
    EXPECT_FLOAT_EQ(dots[10].y, static_cast<float>(std::cos(6.24 + 2.0) * 0.2 + 0.5));
    EXPECT_FLOAT_EQ(dots[10].x, static_cast<float>(std::sin(5.24 + 2.5) * 0.2 + 0.5));
    EXPECT_FLOAT_EQ(dots[10].w, 0.0045f);

    s.pattern_type = 12;
    compute_hidden_dots(s, dots);
    ASSERT_EQ(dots.size(), 40u);
    EXPECT_EQ(dots[0].g, static_cast<double>(0.64705884f));
    EXPECT_EQ(dots[0].b, static_cast<double>(0.9372549f));
}

TEST(HiddenBeat, ReseedStaysDefinedAfterHoursOfFrames) {
    // frames x 1000 passes the int range after about ten hours at 60 frames a second.
    Capture out;
    HiddenState s = before_random_beat(1, 2999999);
    ASSERT_EQ(step_hidden_beat(s, out.file), 1);
    random_seed(3000000u * 1000u);
    const int type = static_cast<int>(std::floor(unit(random_next()) * 13.0));
    EXPECT_EQ(out.text(), "3000000  " + std::to_string(type) + "\n");
}
