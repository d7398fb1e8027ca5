// The hidden part reached the way a viewer reaches it: watch the show to the
// finale, then type the code. From then on the show draws the hidden part
// alone (red background, dark panel, bands; no credits), plays the hidden
// music with the other streams stopped, and from the second pattern cycle on
// writes one line per random pattern to standard output.
#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "audio/music.h"
#include "core/demo_state.h"
#include "driver.h"
#include "render_pixels.h"
#include "scenes/timeline.h"

namespace {

constexpr double fps = 10;  // frame k sets demo_time k until the finale

const Rgb bar_outer = rgb_of(120 / 255.0, 35 / 255.0, 109 / 255.0);
const Rgb bar_inner = rgb_of(150 / 255.0, 35 / 255.0, 109 / 255.0);
const Rgb background = rgb_of(0.9, 0.1, 0.1);
const Rgb panel = rgb_of(0.06, 0.06, 0.06);
const Rgb bottom_band = rgb_of(0.95, 0.15, 0.16);
const Rgb text_band = rgb_of(0.2, 0.3, 0.2);
const Rgb dot = rgb_of(250 / 255.0, 135 / 255.0, 209 / 255.0);
constexpr Region panel_region{0, 0.41, 1, 0.85};

long frame_now = 0;
long hidden_from = -1;  // the first hidden frame

void run_to(long k, bool draw = true) {
    // The frames on the way run fast-forwarded; only frame k is drawn.
    driver_fast_forward(true);
    while (frame_now + 5 < k) driver_run_frame(frame_now += 5);
    driver_fast_forward(!draw);
    if (frame_now < k) driver_run_frame(frame_now = k);
}

int credit_bars(const Picture& p) {
    return count_near(p, whole_picture, bar_inner) + count_near(p, whole_picture, bar_outer);
}

// Pixels of the picture that differ from the scene target's lower left
// 1280 x 720 corner.
int corner_mismatches(const Picture& picture, const Picture& scene) {
    int n = 0;
    const int skip = scene.height - picture.height;
    for (int row = 0; row < picture.height; row++)
        for (int x = 0; x < picture.width; x++) {
            Rgb a = picture.at(x, row), b = scene.at(x, row + skip);
            n += std::abs(a.r - b.r) > 2 || std::abs(a.g - b.g) > 2 || std::abs(a.b - b.b) > 2;
        }
    return n;
}

struct PatternLine {
    int frames, type;
};

// Lines of the form "<frames>  <type>"; anything else fails the test.
std::vector<PatternLine> parse_pattern_lines(const std::string& out) {
    std::vector<PatternLine> lines;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        PatternLine p{};
        int used = 0;
        bool ok = std::sscanf(line.c_str(), "%d  %d%n", &p.frames, &p.type, &used) == 2 &&
                  used == static_cast<int>(line.size()) && line.find("  ") != std::string::npos &&
                  line.find("   ") == std::string::npos && line[0] != ' ';
        EXPECT_TRUE(ok) << "not a pattern line: \"" << line << "\"";
        if (ok) lines.push_back(p);
    }
    return lines;
}

class Hidden : public testing::Test {
  protected:
    static void SetUpTestSuite() { start_show(fps); }
};

TEST_F(Hidden, CodeTypedAtTheFinaleSwitchesToTheHiddenPart) {
    run_to(1812);
    while (demo.unlock_flag_1 == 0 && frame_now < 1900) driver_run_frame(++frame_now);
    ASSERT_EQ(finale_started, 1);
    ASSERT_EQ(demo.unlock_flag_1, 1) << "the finale raises the first step";
    Picture finale = read_picture();
    ASSERT_GT(credit_bars(finale), 1000) << "the credits' title bar shows before the code";

    // One key a frame, each through the keyboard's own path.
    for (char key : std::string("glow")) {
        driver_queue_press((frame_now + 1) / fps, static_cast<unsigned char>(key));
        driver_run_frame(++frame_now);
    }
    EXPECT_EQ(demo.hidden_part_on, 0) << "the chain is complete only with its last key";
    EXPECT_EQ(demo.unlock_flag_5, 1);

    driver_queue_press((frame_now + 1) / fps, 'g');
    driver_run_frame(++frame_now);  // the first hidden frame
    ASSERT_EQ(demo.hidden_part_on, 1);
    hidden_from = frame_now;
    const double main_at = stream_seconds(main_stream), finale_at = stream_seconds(finale_stream);
    run_to(frame_now + 20);  // two seconds of hidden music
    EXPECT_GT(demo_time, 1799.0f);

    Picture scene = read_scene_target();
    Picture picture = read_picture();
    dump_picture(scene, "hidden-scene");
    dump_picture(picture, "hidden-picture");
    // Red above the panel, the dark panel, the text band and the bottom band.
    constexpr Region top{0, 0.87, 1, 1}, middle{0, 0.41, 1, 0.85}, band{0, 0.31, 1, 0.37},
        bottom{0, 0, 1, 0.29};
    EXPECT_GT(count_near(scene, top, background), count_pixels(scene, top) * 9 / 10);
    EXPECT_GT(count_near(scene, middle, panel), count_pixels(scene, middle) * 9 / 10);
    // Before the first beat the pattern is a single dot.
    EXPECT_GT(count_near(scene, panel_region, dot, 8), 0);
    EXPECT_LT(count_near(scene, panel_region, dot, 8), 100);
    EXPECT_GT(count_near(scene, band, text_band), count_pixels(scene, band) / 3);
    EXPECT_GT(count_near(scene, bottom, bottom_band), count_pixels(scene, bottom) * 9 / 10);
    // The picture shows the scene's lower left corner unscaled, and no credits.
    EXPECT_EQ(corner_mismatches(picture, scene), 0);
    EXPECT_EQ(credit_bars(picture), 0);

    // The hidden music plays; the main and finale music stay stopped.
    EXPECT_NEAR(stream_seconds(hidden_stream), 2.0, 1e-3);
    EXPECT_EQ(stream_seconds(main_stream), main_at);
    EXPECT_EQ(stream_seconds(finale_stream), finale_at);
}

TEST_F(Hidden, PatternLinesFollowTheFirstFullCycle) {
    ASSERT_GE(hidden_from, 0);
    // The first cycle takes 13 beats of the hidden clock (3 units to the
    // first, 4 to each further one; 0.75 units a second), so the first random
    // pattern comes with the beat at 55 units, 73.3 s into the hidden music.
    // Half a second a frame meets every beat (each lasts 1.33 s).
    std::string out;
    long first_line_frame = -1;
    double seconds_at_first_line = 0, seconds_before = 0;
    Picture earlier_text;
    // The scroller's glyphs stand on a baseline just above the text band.
    constexpr Region scroller{0, 0.40, 1, 0.48};
    while (frame_now < hidden_from + 5 * 180) {
        double before = stream_seconds(hidden_stream);
        testing::internal::CaptureStdout();
        long next = frame_now + 5;
        run_to(next,
               next == hidden_from + 5 * 20 || next == hidden_from + 5 * 22 || next == hidden_from + 5 * 44);
        std::string printed = testing::internal::GetCapturedStdout();
        if (!printed.empty() && first_line_frame < 0) {
            first_line_frame = frame_now;
            seconds_at_first_line = stream_seconds(hidden_stream);
            seconds_before = before;
        }
        out += printed;
        if (frame_now == hidden_from + 5 * 20) earlier_text = read_scene_target();
        if (frame_now == hidden_from + 5 * 44) {
            // 22 s in, the fourth beat (clock 15, 20 s) has brought the
            // pattern of 1,250 dots; the fifth (25.3 s) is still to come.
            Picture many = read_scene_target();
            dump_picture(many, "hidden-dots");
            EXPECT_GT(count_near(many, panel_region, dot, 8), 2000);
        }
        if (frame_now == hidden_from + 5 * 22) {
            // One second of hidden music moves the scroller by 500 pixels.
            Picture later_text = read_scene_target();
            dump_picture(later_text, "hidden-text");
            EXPECT_GT(count_changed(earlier_text, later_text, scroller), 1000);
        }
    }
    std::vector<PatternLine> lines = parse_pattern_lines(out);
    ASSERT_FALSE(lines.empty()) << "no pattern line after " << stream_seconds(hidden_stream) << " s";
    // The frame that read the clock at 55 units printed the first line.
    EXPECT_LT(0.75 * seconds_before, 55.0);
    EXPECT_GE(0.75 * seconds_at_first_line, 55.0);
    // It counts the hidden frames drawn, the first (opened by the code's last
    // key) and this one included; past the first, every fifth frame is drawn.
    EXPECT_EQ(lines[0].frames, 1 + (first_line_frame - hidden_from) / 5);
    for (const PatternLine& l : lines) EXPECT_TRUE(l.type >= 0 && l.type <= 13) << l.type;
    // The run goes on past the next beat: one more line, a later frame.
    ASSERT_GE(lines.size(), 2u);
    EXPECT_GT(lines[1].frames, lines[0].frames);
}

}  // namespace
