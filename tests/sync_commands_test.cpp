// The command keys: every row of the table against the whole demo state.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/music.h"
#include "core/demo_state.h"
#include "core/random.h"
#include "physics/cloth.h"
#include "sync/commands.h"

namespace {

// Everything a command may write, in one comparable record.
struct State {
    DemoState demo;
    Vec3 a_offset, b_offset;
    float a_spin, a_tilt, b_spin, b_tilt;
    int draws;  // random numbers drawn since the seed
};

constexpr unsigned test_seed = 4242;
const double clock_now = 1234.5678901234567;  // demo_time_d; its float is what commands stamp

int draws_since_seed() {
    const int next = random_next();
    random_seed(test_seed);
    for (int k = 0; k < 16; ++k)
        if (random_next() == next) return k;
    return -1;
}

State capture() {
    State s;
    s.demo = demo;
    s.a_offset = cloth_a.anchor_offset;
    s.b_offset = cloth_b.anchor_offset;
    s.a_spin = cloth_a.anchor_spin;
    s.a_tilt = cloth_a.anchor_tilt;
    s.b_spin = cloth_b.anchor_spin;
    s.b_tilt = cloth_b.anchor_tilt;
    s.draws = draws_since_seed();
    return s;
}

// Names of the fields that differ, to read a failure at a glance.
std::string differences(const State& a, const State& b) {
    std::string out;
    auto note = [&](const char* name, double x, double y) {
        if (!(x == y))
            out += std::string(name) + ": " + std::to_string(x) + " vs " + std::to_string(y) + "\n";
    };
    // Every field of the demo state is four bytes, an int or a float: name
    // the slot and show both readings.
    static_assert(sizeof(DemoState) % 4 == 0);
    for (size_t k = 0; k < sizeof(DemoState) / 4; k++) {
        int32_t x, y;
        std::memcpy(&x, reinterpret_cast<const char*>(&a.demo) + 4 * k, 4);
        std::memcpy(&y, reinterpret_cast<const char*>(&b.demo) + 4 * k, 4);
        if (x == y) continue;
        float fx, fy;
        std::memcpy(&fx, &x, 4);
        std::memcpy(&fy, &y, 4);
        out += "demo state slot " + std::to_string(k) + ": " + std::to_string(x) + " vs " +
               std::to_string(y) + " (as floats " + std::to_string(fx) + " vs " + std::to_string(fy) + ")\n";
    }
    note("A.offset.x", a.a_offset.x, b.a_offset.x);
    note("A.offset.y", a.a_offset.y, b.a_offset.y);
    note("A.offset.z", a.a_offset.z, b.a_offset.z);
    note("B.offset.x", a.b_offset.x, b.b_offset.x);
    note("B.offset.y", a.b_offset.y, b.b_offset.y);
    note("B.offset.z", a.b_offset.z, b.b_offset.z);
    note("A.spin", a.a_spin, b.a_spin);
    note("A.tilt", a.a_tilt, b.a_tilt);
    note("B.spin", a.b_spin, b.b_spin);
    note("B.tilt", a.b_tilt, b.b_tilt);
    note("draws", a.draws, b.draws);
    return out;
}

std::vector<int32_t> pin_flags(const std::vector<Particle>& particles) {
    std::vector<int32_t> flags;
    for (const Particle& p : particles) flags.push_back(p.flags);
    return flags;
}

void press(char key) { run_command(static_cast<unsigned char>(key) - 27); }

class Commands : public testing::Test {
  protected:
    void SetUp() override {
        reset_demo_state();
        for (ClothSheet* s : {&cloth_a, &cloth_b}) {
            s->anchor_offset = Vec3{0, 0, 0};
            s->anchor_spin = 0;
            s->anchor_tilt = 0;
        }
        pin_last_row(cloth_a, false);
        demo_time_d = clock_now;
        demo_time = static_cast<float>(clock_now);
        random_seed(test_seed);
    }
};

const float now = static_cast<float>(clock_now);

// The first random value after the test seed, as the commands see it.
int first_random() {
    random_seed(test_seed);
    const int v = random_next();
    random_seed(test_seed);
    return v;
}

struct Row {
    char key;
    std::function<void(State&)> change;
};

// Every row of the command table from the initial state, literal values.
const std::vector<Row>& table_rows() {
    static const std::vector<Row> rows = {
        {'!', [](State& s) { s.demo.sequence_mode = 4; }},
        {'$', [](State& s) { s.demo.sequence_mode = 3; }},
        {'%', [](State& s) { s.demo.sequence_mode = 2; }},
        {'&', [](State& s) { s.demo.sequence_mode = 1; }},
        {'(', [](State& s) { s.demo.depth_test_on = 0; }},
        {'*', [](State&) {}},
        {'+', [](State& s) { s.demo.cloth_texture = 2, s.a_offset.z = 0.01, s.b_offset.z = 0.01; }},
        {',', [](State& s) { s.demo.pulse_b_size = 0.5f, s.demo.pulse_b_time = now; }},
        {'-', [](State& s) { s.a_offset.z = -0.01, s.b_offset.z = -0.01; }},
        {'.', [](State& s) { s.demo.pulse_b_size = 1.0f, s.demo.pulse_b_time = now; }},
        {'1', [](State& s) { s.demo.pulse_a_size = 0.2f, s.demo.pulse_a_time = now; }},
        {'2', [](State& s) { s.demo.pulse_a_size = 0.4f, s.demo.pulse_a_time = now, s.a_tilt = -0.01f; }},
        {'3', [](State& s) { s.demo.pulse_a_size = 0.6f, s.demo.pulse_a_time = now; }},
        {'7', [](State& s) { s.demo.cloth_a_auto_offset = 1; }},
        {'8', [](State& s) { s.demo.lattice_switch = 1; }},
        {';', [](State& s) { s.demo.field_of_view = 80; }},
        {'=', [](State& s) { s.demo.shade_switch = 1; }},
        {'@', [](State& s) { s.demo.sequence_start = now; }},
        {'A', [](State& s) { s.demo.spin_x = 10; }},
        {'B', [](State& s) { s.demo.spin_x = -10; }},
        {'C', [](State& s) { s.demo.spin_y = 10; }},
        {'D', [](State& s) { s.demo.spin_y = -10; }},
        {'E', [](State& s) { s.demo.spin_z = 10; }},
        {'F', [](State& s) { s.demo.spin_z = -10; }},
        {'G', [](State& s) { s.demo.cloth_b_style = 1; }},
        {'H', [](State&) {}},
        {'I', [](State& s) { s.demo.cloth_b_style = 2; }},
        {'V', [](State& s) { s.demo.sphere_hidden = 1; }},
        {'Y',
         [](State& s) {
             s.demo.trail_index = static_cast<int>(first_random() / 32767.0 * 900.0);
             s.demo.trail_time = now;
             s.draws = 1;
         }},
        {'[',
         [](State& s) {
             s.a_offset.x = -0.02, s.a_spin = 0.1f, s.b_offset.x = -0.015, s.b_spin = -0.15f;
             s.demo.field_of_view = 35;
         }},
        {']', [](State& s) { s.a_offset.x = 0.02, s.b_offset.x = 0.015, s.b_spin = 0.15f; }},
        {'d',
         [](State& s) {
             s.demo.burst_count = 1, s.demo.burst_seed = first_random(), s.demo.burst_time = now, s.draws = 1;
         }},
        {'e',
         [](State& s) {
             s.demo.flare_b_time = now, s.demo.flare_b_value = static_cast<float>(first_random() / 32767.0);
             s.draws = 1;
         }},
        {'f', [](State& s) { s.a_spin = 0.015f, s.a_offset.x = 0.02, s.b_spin = 0.15f; }},
        {'h',
         [](State& s) {
             s.b_tilt = -0.01f, s.b_spin = -0.02f, s.demo.pulse_e_time = now, s.demo.field_of_view = 55;
         }},
        {'n', [](State& s) { s.a_spin = 0.02f, s.a_tilt = 0.04f, s.b_spin = 0.02f, s.b_tilt = 0.02f; }},
        {'p', [](State& s) { s.demo.cloth_draw_flag = 1; }},
        {'r',
         [](State& s) {
             s.demo.flare_a_time = now, s.demo.flare_a_value = static_cast<float>(first_random() / 32767.0);
             s.draws = 1;
         }},
        {'s', [](State& s) { s.demo.pulse_c_time = now, s.demo.pulse_c_size = 0.2f; }},
        {'t', [](State& s) { s.demo.pulse_d_time = now, s.demo.pulse_d_size = 0.2f; }},
        {'u', [](State& s) { s.demo.cloth_b_auto_offset = 1; }},
        {'x', [](State& s) { s.demo.field_of_view = 80; }},
        {'y', [](State& s) { s.a_tilt = -0.01f; }},
        {'z', [](State& s) { s.demo.field_of_view = 65; }},
    };
    return rows;
}

// The documented keys of the command table, as the show has them.
std::string table_keys() {
    std::string keys;
    for (const CommandKey& c : command_keys())
        if (c.words) keys += static_cast<char>(c.key);
    return keys;
}

}  // namespace

TEST_F(Commands, EveryTableRowChangesExactlyItsFields) {
    for (const Row& row : table_rows()) {
        SetUp();
        State expected = capture();
        row.change(expected);
        random_seed(test_seed);
        press(row.key);
        const State actual = capture();
        EXPECT_EQ(differences(expected, actual), "") << "key " << row.key;
        EXPECT_TRUE(key_has_command(static_cast<unsigned char>(row.key))) << row.key;
    }
    // Every documented key but the two exits has a row above, and the table
    // runs in key-code order without repeats (lookups rely on neither, the
    // README's table reads in that order).
    std::string expected = "\x1b";
    for (const Row& row : table_rows()) expected += row.key;
    std::sort(expected.begin(), expected.end());
    expected.insert(std::upper_bound(expected.begin(), expected.end(), 'q'), 'q');
    EXPECT_EQ(table_keys(), expected);
    for (size_t i = 1; i < command_keys().size(); ++i)
        EXPECT_LT(command_keys()[i - 1].key, command_keys()[i].key);
}

TEST_F(Commands, KeysWithoutCommandChangeNothing) {
    int silent = 0;
    for (int key = 27; key <= 122; ++key) {
        if (key_has_command(key)) continue;
        SetUp();
        const State before = capture();
        random_seed(test_seed);
        run_command(key - 27);
        EXPECT_EQ(differences(before, capture()), "") << "key " << key;
        ++silent;
    }
    // 46 table keys (Escape and "q" included) and 4 unlock keys have commands.
    EXPECT_EQ(silent, 96 - 46 - 4);
    EXPECT_FALSE(key_has_command('/'));  // the key of empty storyboard slots
    EXPECT_FALSE(key_has_command(26));
    EXPECT_FALSE(key_has_command(123));
}

TEST_F(Commands, TextureStepsStayInRangeAndAnchorsAddInDouble) {
    double z = 0;
    for (int i = 0; i < 40; ++i) {
        press('+');
        z += 0.01;
    }
    EXPECT_EQ(demo.cloth_texture, 38);
    EXPECT_EQ(cloth_a.anchor_offset.z, z);
    EXPECT_EQ(cloth_b.anchor_offset.z, z);
    demo.cloth_texture = 1;
    press('-');
    EXPECT_EQ(demo.cloth_texture, 1);

    // Float fields take the double sum rounded once, not a float sum.
    const float start = 4e-7f;
    ASSERT_NE(static_cast<float>(static_cast<double>(start) + 0.1), start + 0.1f);
    cloth_a.anchor_spin = start;
    press('[');
    EXPECT_EQ(cloth_a.anchor_spin, static_cast<float>(static_cast<double>(start) + 0.1));
}

TEST_F(Commands, TogglesRestoreAndStampsUseTheDoubleClock) {
    const State before = capture();
    for (char key : std::string("(78=Vpu")) {
        random_seed(test_seed);
        press(key);
        press(key);
    }
    EXPECT_EQ(differences(before, capture()), "");

    // Trigger stamps come from the double copy of the clock, rounded once.
    demo_time_d = 100.3;
    demo_time = 7.0f;
    press('1');
    EXPECT_EQ(demo.pulse_a_time, static_cast<float>(100.3));
}

TEST_F(Commands, KeyedSequenceStartsWithTheModeChosenBefore) {
    demo.sequence_mark = 5, demo.sequence_stage1 = demo.sequence_stage2 = demo.sequence_stage3 = 1;
    press('$');
    press('@');  // the at sign alone keeps the mode
    EXPECT_EQ(demo.sequence_mode, 3);
    EXPECT_EQ(demo.sequence_start, now);
    EXPECT_EQ(demo.sequence_mark, 0);
    EXPECT_EQ(demo.sequence_stage1 + demo.sequence_stage2 + demo.sequence_stage3, 0);

    press('&');
    EXPECT_EQ(demo.sequence_start, 1e10f);
    press('@');
    EXPECT_EQ(demo.sequence_mode, 1);
    EXPECT_EQ(demo.sequence_start, now);
}

TEST_F(Commands, PinningTheLastRowOfTheFirstSheet) {
    ASSERT_GT(cloth_a.rows, 1);
    const std::vector<int32_t> loose = pin_flags(cloth_a.particles);
    const std::vector<int32_t> loose_rest = pin_flags(cloth_a.rest_state);
    const std::vector<int32_t> other = pin_flags(cloth_b.particles);

    // "x" on a loose row changes no flag but still resets anchors and view.
    cloth_a.anchor_offset = Vec3{1, 2, 3};
    cloth_b.anchor_offset = Vec3{4, 5, 6};
    press('x');
    EXPECT_EQ(pin_flags(cloth_a.particles), loose);
    EXPECT_EQ(cloth_a.anchor_offset.x + cloth_a.anchor_offset.y + cloth_a.anchor_offset.z, 0);
    EXPECT_EQ(cloth_b.anchor_offset.x + cloth_b.anchor_offset.y + cloth_b.anchor_offset.z, 0);
    EXPECT_EQ(demo.field_of_view, 80);

    press('z');
    EXPECT_EQ(demo.field_of_view, 65);
    const size_t tips = static_cast<size_t>(cloth_a.rows - 1) * cloth_a.columns;
    for (size_t i = 0; i < cloth_a.particles.size(); ++i) {
        const int32_t want = i >= tips ? (loose[i] | particle_pin_bit) : loose[i];
        ASSERT_EQ(cloth_a.particles[i].flags, want) << i;
        ASSERT_EQ(cloth_a.rest_state[i].flags,
                  i >= tips ? (loose_rest[i] | particle_pin_bit) : loose_rest[i]);
    }
    EXPECT_EQ(pin_flags(cloth_b.particles), other);
    press('x');
    EXPECT_EQ(pin_flags(cloth_a.particles), loose);
    EXPECT_EQ(pin_flags(cloth_a.rest_state), loose_rest);
}

namespace {

// The unlock keys aren't written down anywhere; find them by what they do.
struct UnlockKeys {
    int step[6] = {};  // step[2] .. step[5]
};

UnlockKeys find_unlock_keys() {
    UnlockKeys keys;
    for (int key = 27; key <= 122; ++key) {
        if (!key_has_command(key) || find_command_key(key)->words) continue;
        reset_demo_state();
        run_command(key - 27);
        if (demo.cloth_texture == 2)
            keys.step[4] = key;
        else if (demo.cloth_b_style == 0)
            keys.step[5] = key;
        else if (demo.pulse_b_size == 0.2f)
            keys.step[3] = key;
        else
            keys.step[2] = key;
    }
    return keys;
}

int flags() {
    return demo.unlock_flag_1 + demo.unlock_flag_2 * 10 + demo.unlock_flag_3 * 100 +
           demo.unlock_flag_4 * 1000 + demo.unlock_flag_5 * 10000;
}

}  // namespace

TEST_F(Commands, UnlockChainOnlyInOrderAndCompletedByStepTwo) {
    const UnlockKeys k = find_unlock_keys();
    for (int n = 2; n <= 5; ++n) ASSERT_NE(k.step[n], 0) << "no key for step " << n;
    SetUp();
    auto step = [&](int n) { run_command(k.step[n] - 27); };

    // Before the timeline raises the first flag nothing moves, yet the
    // ordinary actions run every time.
    for (int n = 2; n <= 5; ++n) step(n);
    EXPECT_EQ(flags(), 0);
    EXPECT_EQ(demo.cloth_texture, 2);
    EXPECT_EQ(demo.cloth_b_style, 0);

    demo.unlock_flag_1 = 1;
    step(3), step(5), step(4);  // out of turn
    EXPECT_EQ(flags(), 1);
    step(2), step(2);  // repeats are harmless
    EXPECT_EQ(flags(), 11);
    step(4);  // skips step 3
    EXPECT_EQ(flags(), 11);
    step(3), step(4), press('A'), step(5);  // other commands don't disturb it
    EXPECT_EQ(flags(), 11111);
    EXPECT_EQ(demo.hidden_part_on, 0);  // step 5 doesn't complete it
    step(3), step(4), step(5);
    EXPECT_EQ(demo.hidden_part_on, 0);
    step(2);
    EXPECT_EQ(demo.hidden_part_on, 1);
    EXPECT_EQ(demo.field_of_view, 88);
    step(2), press(';');
    EXPECT_EQ(demo.hidden_part_on, 1);
    EXPECT_EQ(flags(), 11111);
}

TEST(CommandsExit, EscapeAndQEndWithStatusZeroThroughTheNormalExit) {
    // atexit handlers must run: the capture tool finishes its files there.
    auto say_bye = [] { std::fputs("atexit ran\n", stderr); };
    static void (*bye)() = +say_bye;
    EXPECT_EXIT(
        {
            std::atexit(bye);
            run_command(0);
            std::exit(3);
        },
        testing::ExitedWithCode(0), "atexit ran");
    EXPECT_EXIT(
        {
            std::atexit(bye);
            press('q');
            std::exit(3);
        },
        testing::ExitedWithCode(0), "atexit ran");
}
