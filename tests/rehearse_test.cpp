// The rehearsal's parts that need no window: its options, the storyboard it
// reloads (kept when the new one is bad, with file and line), cue sheets with
// their tempo, and what the overlay says about time and records.

#include <cmath>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "options.h"
#include "overlay_text.h"
#include "storyboard_source.h"
#include "sync/storyboard.h"

namespace {

std::filesystem::path scratch(const std::string& name) {
    auto dir = std::filesystem::temp_directory_path() / ("tangle-rehearse-test-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    return dir / name;
}

void write_file(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::trunc) << text;
}

bool parses(std::vector<std::string> words, RehearseOptions& options) {
    std::vector<char*> argv{const_cast<char*>("tangle-rehearse")};
    for (std::string& w : words) argv.push_back(w.data());
    std::string error;
    options = RehearseOptions{};
    return parse_rehearse_options(static_cast<int>(argv.size()), argv.data(), options, error);
}

std::string lines_of(const OverlayFacts& facts) {
    std::string all;
    for (const std::string& l : overlay_lines(facts)) all += l + "\n";
    return all;
}

}  // namespace

TEST(RehearseOptions, TakesTheDocumentedOptionsAndRefusesNonsense) {
    RehearseOptions o;
    ASSERT_TRUE(parses(
        {"--data", "d", "--from", "150", "--loop", "120:122.5", "--cues", "s.cues", "--window", "960x540"},
        o));
    EXPECT_EQ(o.data_dir, "d");
    EXPECT_EQ(start_seconds(o), 150);
    EXPECT_TRUE(o.loop);
    EXPECT_EQ(o.loop_end, 122.5);
    EXPECT_EQ(o.cues, "s.cues");
    EXPECT_EQ(o.window_width, 960);
    EXPECT_EQ(o.window_height, 540);
    ASSERT_TRUE(parses({"--loop", "10:12"}, o));
    EXPECT_EQ(start_seconds(o), 10) << "without --from it starts at the loop";

    for (auto bad : std::vector<std::vector<std::string>>{{"--loop", "12:10"},
                                                          {"--loop", "12"},
                                                          {"--from", "-3"},
                                                          {"--from", "5s"},
                                                          {"--from"},
                                                          {"--window", "800"},
                                                          {"--window", "0x600"},
                                                          // Past the finale (stepped toward for ever before),
                                                          // and windows X refuses (an X error before).
                                                          {"--from", "1e9"},
                                                          {"--from", "181.5"},
                                                          {"--loop", "2000:2010"},
                                                          {"--window", "100000x100000"},
                                                          {"--storyboard", "a", "--cues", "b"},
                                                          {"--fps", "30"}})
        EXPECT_FALSE(parses(bad, o)) << bad[0];
}

TEST(RehearseStoryboard, ABadFileIsReportedByLineAndChangesNothing) {
    const auto path = scratch("keys.dat");
    write_file(path, "1.0 A\n\n  hello there\n3.0 B\n");
    EXPECT_EQ(storyboard_file_problem(path, "keys.dat"),
              "keys.dat:3: can't read a record from \"hello there\"");
    write_file(path, "1.0 A\n2.5");
    EXPECT_EQ(storyboard_file_problem(path, "keys.dat"), "keys.dat:2: a time without a key \"2.5\"");
    write_file(path, "1.0 A\n2.0 ;\n");
    EXPECT_EQ(storyboard_file_problem(path, "keys.dat"), "");

    storyboard_source_init(path.string(), false);
    std::string error;
    ASSERT_TRUE(storyboard_source_load(error)) << error;
    ASSERT_EQ(storyboard_source_records().size(), 2u);
    EXPECT_EQ(storyboard_source_bar_seconds(), 2.0);
    EXPECT_FALSE(storyboard_source_changed());

    // Fired records come back unfired.
    replay_storyboard(5.0f, [](int) {});
    EXPECT_EQ(storyboard_times[0], storyboard_consumed);
    storyboard_source_restore();
    EXPECT_EQ(storyboard_times[0], 1.0f);

    // What has fired by a clock, against what a new storyboard holds up to it.
    replay_storyboard(1.5f, [](int) {});
    const std::vector<StoryRecord> fired = storyboard_source_fired();
    EXPECT_EQ(fired, (std::vector<StoryRecord>{{1.0f, 'A'}}));
    EXPECT_EQ(storyboard_source_due(1.5f), fired);
    EXPECT_EQ(storyboard_source_due(2.0f).size(), 2u) << "due at its time";
    write_file(path, "1.0 A\n1.75 x\n");
    ASSERT_TRUE(storyboard_source_load(error)) << error;
    EXPECT_EQ(storyboard_source_due(1.5f), fired) << "an edit ahead of the clock keeps the past";
    write_file(path, "1.5 y\n1.0 A\n2.0 ;\n");
    ASSERT_TRUE(storyboard_source_load(error)) << error;
    EXPECT_NE(storyboard_source_due(1.5f), fired);
    write_file(path, "1.0 A\n2.0 ;\n");
    ASSERT_TRUE(storyboard_source_load(error)) << error;

    // A bad rewrite is noticed, reported, and leaves the loaded storyboard be.
    write_file(path, "1.0 A\n7.0 q\nnot a record\n");
    EXPECT_TRUE(storyboard_source_changed());
    EXPECT_FALSE(storyboard_source_load(error));
    EXPECT_EQ(error, path.string() + ":3: can't read a record from \"not a record\"");
    EXPECT_FALSE(storyboard_source_changed()) << "reported once, not at every look";
    ASSERT_EQ(storyboard_source_records().size(), 2u);
    EXPECT_EQ(storyboard_keys[1], ';');
}

// A reload keeps the copies of the show whose replay stopped before this
// time: an edit must bound every record that could fire differently.
TEST(RehearseStoryboard, TheFirstChangedRecordBoundsWhatAReloadKeeps) {
    const std::vector<StoryRecord> story{{10, 'A'}, {10, 'B'}, {20, 'd'}, {30, 'e'}};
    EXPECT_EQ(first_changed_record(story, story), INFINITY);
    auto edited = story;
    edited.push_back({50, 'k'});
    EXPECT_EQ(first_changed_record(story, edited), 50) << "a record added ahead";
    edited = story;
    edited[2].key = 'r';
    EXPECT_EQ(first_changed_record(story, edited), 20) << "a key changed";
    edited.erase(edited.begin() + 2);
    EXPECT_EQ(first_changed_record(story, edited), 20) << "a record removed";
    edited = story;
    std::swap(edited[0], edited[1]);
    EXPECT_EQ(first_changed_record(story, edited), 10) << "two records of one frame swapped in the file";
    edited = {{30, 'e'}, {10, 'A'}, {10, 'B'}, {20, 'd'}};
    EXPECT_EQ(first_changed_record(story, edited), 10) << "a later record moved to the top of the file";
}

TEST(RehearseStoryboard, CueSheetsCompileWithTheirTempoAndFailWithTheirLine) {
    const auto path = scratch("show.cues");
    write_file(path, "tempo 100\n2.1 A  # first beat of bar 2\n1.3 d\n");
    storyboard_source_init(path.string(), true);
    std::string error;
    ASSERT_TRUE(storyboard_source_load(error)) << error;
    EXPECT_DOUBLE_EQ(storyboard_source_bar_seconds(), 2.4);
    const std::vector<StoryRecord>& records = storyboard_source_records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].key, 'd');
    EXPECT_FLOAT_EQ(records[0].seconds, 1.2f);
    EXPECT_FLOAT_EQ(records[1].seconds, 2.4f);

    write_file(path, "tempo 100\n2.1 A\n2.9 B\n");
    EXPECT_FALSE(storyboard_source_load(error));
    EXPECT_EQ(error.rfind(path.string() + ":3: position \"2.9\"", 0), 0u) << error;
    EXPECT_EQ(storyboard_source_records().size(), 2u);
}

TEST(RehearseOverlay, TimeBarsAndTheRecordsAroundNow) {
    EXPECT_EQ(clock_text(125.456), "02:05.46");
    EXPECT_EQ(clock_text(0), "00:00.00");
    for (auto [t, bar, beat] : std::vector<std::tuple<double, int, int>>{
             {0, 1, 1}, {0.49, 1, 1}, {0.5, 1, 2}, {2.0, 2, 1}, {3.5, 2, 4}, {121.0, 61, 3}}) {
        BarBeat b = bar_and_beat(t, 2.0);
        EXPECT_EQ(b.bar, bar) << t;
        EXPECT_EQ(b.beat, beat) << t;
    }

    const std::vector<StoryRecord> records{{1, 'A'}, {2, 'B'}, {2, 27}, {3, 'C'}, {4, 'q'}};
    OverlayFacts facts{};
    facts.seconds = 2;
    facts.record_clock = 2;
    facts.bar_seconds = 2;
    facts.section = "intro";
    facts.records = &records;
    facts.home = 1.5;
    // A record at the clock has fired.
    std::string text = lines_of(facts);
    EXPECT_NE(text.find("00:02.00  bar 2 beat 1  intro\n"), std::string::npos) << text;
    EXPECT_NE(text.find("last 2.00 <Esc> end the show   next 3.00 'C'   4.00 'q'\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("from 1.50 s"), std::string::npos) << text;
    facts.record_clock = 0.5;
    facts.loop = true;
    facts.loop_start = 120, facts.loop_end = 122;
    facts.error = "keys.dat:3: can't read a record from \"x\"";
    text = lines_of(facts);
    EXPECT_NE(text.find("last -   next 1.00 'A'   2.00 'B'   2.00 <Esc>\n"), std::string::npos) << text;
    EXPECT_NE(text.find("loop 120.00 - 122.00 s"), std::string::npos) << text;
    EXPECT_NE(text.find("keys.dat:3:"), std::string::npos) << text;

    // Trouble is wrapped to the window, and a long list of findings is cut.
    const std::vector<std::string> findings(6,
                                            "keys.dat:9: the show reads 170.000 s with key \"x\" and takes "
                                            "the rest of the line, \"0\", as another record");
    facts.findings = &findings;
    facts.columns = 40;
    const std::vector<std::string> lines = overlay_lines(facts);
    ASSERT_GT(lines.size(), overlay_status_lines + 5);
    for (size_t i = overlay_status_lines; i < lines.size(); ++i) EXPECT_LE(lines[i].size(), 40u) << lines[i];
    EXPECT_EQ(lines.back(), "... 2 more on standard error");
}

TEST(RehearseStoryboard, EveryLoadNamesWhatTheCheckerFinds) {
    // The loader's trap: "170.0x0" reads as 170 s with key "x", then "0" as
    // the time of a record whose key comes from the next line.
    const auto path = scratch("findings.dat");
    write_file(path, "1.0 A\n170.0x0\n2.0 B\n");
    storyboard_source_init(path.string(), false);
    std::string error;
    ASSERT_TRUE(storyboard_source_load(error)) << error;
    ASSERT_FALSE(storyboard_source_findings().empty());
    EXPECT_EQ(storyboard_source_findings()[0].rfind(path.string() + ":2: ", 0), 0u)
        << storyboard_source_findings()[0];
    write_file(path, "1.0 A\n2.0 B\n");
    ASSERT_TRUE(storyboard_source_load(error)) << error;
    EXPECT_TRUE(storyboard_source_findings().empty()) << storyboard_source_findings()[0];
    EXPECT_EQ(storyboard_source_records().size(), 2u) << "the checker's own load is put right";
}
