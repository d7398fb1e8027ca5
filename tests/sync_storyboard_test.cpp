// Storyboard loading, replay and recording.
#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include <gtest/gtest.h>

#include <random>
#include <string>

#include <sys/resource.h>
#include <sys/stat.h>

#include <vector>

#include "sync/storyboard.h"
#include "sync_files.h"

namespace {

// The commands a replay asked for, as key characters, in order.
std::string fired;
void note_fire(int index) { fired += static_cast<char>(index + 27); }

StoryboardLoad load_text(const std::string& text) {
    return load_storyboard(write_scratch("keys.dat", text).c_str());
}

std::string replay_at(float seconds) {
    fired.clear();
    replay_storyboard(seconds, note_fire);
    return fired;
}

bool is_empty_slot(int i) {
    return storyboard_times[i] == storyboard_empty_time && storyboard_keys[i] == storyboard_empty_key;
}

bool is_zero_slot(int i) { return storyboard_times[i] == 0.0f && storyboard_keys[i] == 0; }

}  // namespace

TEST(StoryboardLoad, EmptyOrMissingFileGivesAnEmptyStoryboard) {
    StoryboardLoad empty = load_text("");
    EXPECT_TRUE(empty.opened);
    EXPECT_TRUE(empty.filled);
    EXPECT_EQ(empty.slots_read, 0);
    EXPECT_TRUE(is_empty_slot(0));
    EXPECT_TRUE(is_empty_slot(storyboard_capacity - 1));
    EXPECT_EQ(replay_at(1e6f), "");

    StoryboardLoad missing = load_storyboard(scratch_path("no-such-keys.dat").c_str());
    EXPECT_FALSE(missing.opened);
    EXPECT_TRUE(is_empty_slot(0));
    EXPECT_TRUE(is_empty_slot(storyboard_capacity - 1));
    EXPECT_EQ(replay_at(1e6f), "");
}

// What the author would otherwise never learn: why nothing fires. One line
// each, naming the file; a FIFO named like the storyboard is not waited on.
TEST(StoryboardLoad, WhatTheShowCantUseIsSaidOnceAndNothingBlocks) {
    auto report_for = [](const std::string& path) {
        testing::internal::CaptureStderr();
        report_storyboard_load(path.c_str(), load_storyboard(path.c_str()));
        return testing::internal::GetCapturedStderr();
    };
    const std::string fifo = scratch_path("fifo-keys.dat");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string missing = scratch_path("no-such-keys.dat");
    const std::string binary = write_scratch("binary-keys.dat", std::string("1 A\n2 B\n\x7f\x00\xff", 9));
    const std::string marked = write_scratch("bom-keys.dat",
                                             "\xEF\xBB\xBF"
                                             "1 A\n");
    const struct {
        std::string path, says, fires;
    } cases[] = {
        {missing, missing + ": No such file or directory; the show runs without a storyboard", ""},
        {scratch_dir(), scratch_dir() + ": not a regular file, not read; the show runs without a storyboard",
         ""},
        {fifo, fifo + ": not a regular file", ""},
        {binary,
         binary + ": line 3 is no \"seconds key\" record; the show reads no further and fires only "
                  "the 2 records before it",
         "AB"},
        {marked,
         marked + ": line 1 is no \"seconds key\" record (the file starts with a UTF-8 byte order mark; save "
                  "it without one)",
         ""},
    };
    for (const auto& c : cases) {
        std::string err = report_for(c.path);
        EXPECT_EQ(err.rfind("tangle: " + c.says, 0), 0u) << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_EQ(replay_at(1e6f), c.fires) << c.path;
    }
    EXPECT_EQ(report_for(write_scratch("good-keys.dat", "1 A\n")), "");
}

TEST(StoryboardLoad, RecordsFollowTheFormatWithFreeWhiteSpace) {
    StoryboardLoad r = load_text("0.5 A\n  1e1\tB\n-3 C\n+2.25\n\nD\n7F\n");
    EXPECT_EQ(r.slots_read, 5);
    EXPECT_TRUE(r.filled);
    const float times[] = {0.5f, 10.0f, -3.0f, 2.25f, 7.0f};
    const char keys[] = "ABCDF";
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(storyboard_times[i], times[i]) << i;
        EXPECT_EQ(storyboard_keys[i], keys[i]) << i;
    }
    EXPECT_TRUE(is_empty_slot(5));
}

TEST(StoryboardLoad, MalformedRecordStopsReadingWithoutFill) {
    StoryboardLoad r = load_text("1 A\nbad line\n2 B\n");
    EXPECT_EQ(r.stopped_at, 1);
    EXPECT_FALSE(r.filled);
    EXPECT_EQ(storyboard_times[0], 1.0f);
    EXPECT_TRUE(is_zero_slot(1));
    EXPECT_TRUE(is_zero_slot(2));
    EXPECT_TRUE(is_zero_slot(storyboard_capacity - 1));

    // The zeroed slots are due at once and consumed without a command.
    EXPECT_EQ(replay_at(0.0f), "");
    EXPECT_EQ(storyboard_times[1], storyboard_consumed);
    EXPECT_EQ(storyboard_times[storyboard_capacity - 1], storyboard_consumed);
    EXPECT_EQ(replay_at(1.0f), "A");
    EXPECT_EQ(replay_at(5.0f), "");
}

TEST(StoryboardLoad, AFailedReadThatConsumedTextLetsReadingGoOn) {
    // The C library takes the lone "-" and fails; the next read starts after it.
    StoryboardLoad r = load_text("- 5 a\n");
    EXPECT_EQ(r.stopped_at, -1);
    EXPECT_TRUE(r.filled);
    EXPECT_TRUE(is_zero_slot(0));
    EXPECT_EQ(storyboard_times[1], 5.0f);
    EXPECT_EQ(storyboard_keys[1], 'a');
    EXPECT_TRUE(is_empty_slot(2));
}

TEST(StoryboardLoad, KeyMissingAtEndOfFileAndWhiteSpaceKeyShift) {
    load_text("1 A\n2.5");
    EXPECT_EQ(storyboard_times[1], 2.5f);
    EXPECT_EQ(storyboard_keys[1], 0);
    EXPECT_TRUE(is_empty_slot(2));
    EXPECT_EQ(replay_at(3.0f), "A");  // key 0 is consumed without a command
    EXPECT_EQ(storyboard_times[1], storyboard_consumed);

    // A recorded Tab can't be read back: the next line's first character
    // becomes its key and the rest of that line the next record.
    load_text("1 A\n2 \t\n34 B\n");
    EXPECT_EQ(storyboard_times[1], 2.0f);
    EXPECT_EQ(storyboard_keys[1], '3');
    EXPECT_EQ(storyboard_times[2], 4.0f);
    EXPECT_EQ(storyboard_keys[2], 'B');
    EXPECT_TRUE(is_empty_slot(3));
}

TEST(StoryboardLoad, CapacityLimitsTheRecordsRead) {
    std::string text;
    text.reserve(static_cast<size_t>(storyboard_capacity + 10) * 4);
    for (int i = 0; i < storyboard_capacity + 10; ++i) text += (i % 10 == 0) ? "1 A\n" : "2 B\n";
    StoryboardLoad r = load_text(text);
    EXPECT_EQ(r.slots_read, storyboard_capacity);
    EXPECT_FALSE(r.filled);
    EXPECT_EQ(storyboard_times[storyboard_capacity - 1], 2.0f);
    EXPECT_EQ(storyboard_keys[storyboard_capacity - 1], 'B');
}

TEST(StoryboardReplay, FiresWhenDueInFileOrderOnce) {
    load_text("9 A\n5 B\n3 C\n3 D\n-4 E\n");
    EXPECT_EQ(replay_at(0.0f), "E");  // a negative time fires on the first frame
    EXPECT_EQ(replay_at(2.9f), "");
    EXPECT_EQ(replay_at(3.0f), "CD");  // equal times, file order; exactly t fires
    EXPECT_EQ(replay_at(4.99f), "");
    EXPECT_EQ(replay_at(10.0f), "AB");  // A stands first in the file
    EXPECT_EQ(replay_at(20.0f), "");
    for (int i = 0; i < 5; ++i) EXPECT_EQ(storyboard_times[i], storyboard_consumed);
    EXPECT_TRUE(is_empty_slot(5));
}

TEST(StoryboardReplay, MarkersAndKeysWithoutCommand) {
    load_text("1 A\n-2 B\n2 {\n3 \x7f\n-1 C\n0.5 D\n");
    EXPECT_EQ(replay_at(100.0f), "A");
    EXPECT_EQ(storyboard_times[2], storyboard_consumed);  // "{" consumed without effect
    EXPECT_EQ(storyboard_times[3], storyboard_consumed);
    EXPECT_EQ(storyboard_times[4], storyboard_end);
    EXPECT_EQ(storyboard_times[5], 0.5f);  // behind the end marker: never looked at
    EXPECT_EQ(replay_at(1e10f), "");
}

TEST(StoryboardReplay, RecordedEscapeOrQEndsTheShow) {
    EXPECT_EXIT(
        {
            load_text("0.5 A\n1 \x1b\n2 B\n");
            replay_storyboard(1.5f);
            std::exit(3);
        },
        testing::ExitedWithCode(0), "");
    EXPECT_EXIT(
        {
            load_text("1 q\n");
            replay_storyboard(0.5f);
            replay_storyboard(1.0f);
            std::exit(3);
        },
        testing::ExitedWithCode(0), "");
}

namespace {

// Firing log of one run: every command and a frame separator.
std::string run_frames(const std::vector<float>& frames, void (*replay)(float, void (*)(int))) {
    std::string log;
    for (float t : frames) {
        fired.clear();
        replay(t, note_fire);
        log += fired;
        log += '|';
    }
    return log;
}

float saved_times[storyboard_capacity];
char saved_keys[storyboard_capacity];
float fast_times[storyboard_capacity];

std::string random_storyboard(std::mt19937& rng) {
    std::uniform_int_distribution<int> pick(0, 99);
    const int records = std::uniform_int_distribution<int>(0, 60)(rng);
    std::string text;
    char line[64];
    for (int i = 0; i < records; ++i) {
        const int kind = pick(rng);
        double time = std::uniform_int_distribution<int>(-20, 400)(rng) / 4.0;  // ties are common
        if (kind < 2)
            time = -1;
        else if (kind < 5)
            time = -2;
        int key = std::uniform_int_distribution<int>(27, 122)(rng);
        if (pick(rng) < 8) key = std::uniform_int_distribution<int>(33, 255)(rng);
        if (key == ' ' || (key >= '\t' && key <= '\r')) key = 'A';
        if (kind == 5) {
            text += "nan Z\n";
        } else if (kind == 6) {
            text += "1e9 /\n";
        } else if (kind == 7 && pick(rng) < 20) {
            text += "oops\n";  // everything after is zeroed
        } else {
            std::snprintf(line, sizeof line, "%g %c\n", time, key);
            text += line;
        }
    }
    return text;
}

std::vector<float> random_frames(std::mt19937& rng) {
    std::vector<float> frames;
    float t = 0;
    const int count = std::uniform_int_distribution<int>(1, 25)(rng);
    for (int i = 0; i < count; ++i) {
        const int kind = std::uniform_int_distribution<int>(0, 19)(rng);
        if (kind == 0)
            frames.push_back(2e9f);  // reaches the empty fill
        else if (kind == 1)
            frames.push_back(t - 30.0f);  // a clock going back
        else {
            t += std::uniform_int_distribution<int>(0, 120)(rng) / 8.0f;
            frames.push_back(t);
        }
    }
    return frames;
}

}  // namespace

TEST(StoryboardReplay, SkippingReplayFiresExactlyWhatThePlainPassFires) {
    std::mt19937 rng(20261207);
    for (int trial = 0; trial < 60; ++trial) {
        const std::string text = random_storyboard(rng);
        const std::vector<float> frames = random_frames(rng);
        load_text(text);
        std::memcpy(saved_times, storyboard_times, sizeof saved_times);
        std::memcpy(saved_keys, storyboard_keys, sizeof saved_keys);

        const std::string fast = run_frames(frames, replay_storyboard);
        std::memcpy(fast_times, storyboard_times, sizeof fast_times);

        std::memcpy(storyboard_times, saved_times, sizeof saved_times);
        std::memcpy(storyboard_keys, saved_keys, sizeof saved_keys);
        index_storyboard();
        const std::string full = run_frames(frames, replay_storyboard_full);

        ASSERT_EQ(fast, full) << "storyboard:\n" << text;
        ASSERT_EQ(std::memcmp(fast_times, storyboard_times, sizeof fast_times), 0) << text;
    }
}

TEST(StoryboardRecord, AppendsOneLinePerPressInTheStoryboardFormat) {
    const std::string path = scratch_path("filepressedkeys.dat");
    std::remove(path.c_str());
    record_key('A', 12.5f, path.c_str());
    record_key(27, 13.25f, path.c_str());
    record_key('\t', 13.5f, path.c_str());  // would shift the next record on reading back
    record_key('\r', 13.6f, path.c_str());
    record_key('q', 0.1f, path.c_str());
    EXPECT_EQ(read_file(path), "12.500000 A\n13.250000 \x1b\n0.100000 q\n");

    // The recording reads back as a storyboard unchanged.
    load_storyboard(path.c_str());
    EXPECT_EQ(storyboard_times[0], 12.5f);
    EXPECT_EQ(storyboard_keys[1], 27);
    EXPECT_EQ(storyboard_keys[2], 'q');
    EXPECT_TRUE(is_empty_slot(3));
}

TEST(StoryboardRecord, UnwritableFileSkipsTheLineAndSaysSoOnce) {
    const std::string path = scratch_path("missing-folder/filepressedkeys.dat");
    testing::internal::CaptureStderr();
    record_key('A', 1.0f, path.c_str());
    record_key('B', 2.0f, path.c_str());
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.find("tangle: "), 0u) << said;
    EXPECT_NE(said.find(path), std::string::npos) << said;
    EXPECT_EQ(said.find('\n'), said.size() - 1) << said;  // one line only
}

// A full disk (here a file size limit) cuts a line short: the cut is taken
// back, so the next press can't be glued onto it and replay as a command
// nobody pressed; stderr says when presses start and stop being lost. A last
// line left without its newline (an editor's) is ended before appending.
TEST(StoryboardRecord, LinesGoInWholeOrNotAtAll) {
    const std::string path = scratch_path("filepressedkeys.dat");
    {
        std::FILE* f = std::fopen(path.c_str(), "w");
        // Long enough that the size limit below leaves room for the messages
        // on the captured stderr, which it limits too.
        for (int k = 0; k < 100; ++k) std::fputs("0.500000 x\n", f);
        std::fputs("1.000000 A", f);
        std::fclose(f);
    }
    record_key('B', 2.0f, path.c_str());
    const std::string before = read_file(path);
    ASSERT_EQ(before.substr(before.size() - 22), "1.000000 A\n2.000000 B\n");

    std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    struct rlimit tight = saved;
    tight.rlim_cur = before.size() + 3;
    setrlimit(RLIMIT_FSIZE, &tight);
    testing::internal::CaptureStderr();
    record_key('C', 2.3f, path.c_str());
    record_key('D', 2.4f, path.c_str());
    setrlimit(RLIMIT_FSIZE, &saved);
    record_key('E', 3.0f, path.c_str());
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(read_file(path), before + "3.000000 E\n");
    EXPECT_NE(said.find("tangle: can't write " + path), std::string::npos) << said;
    EXPECT_NE(said.find("2.30 s is not recorded"), std::string::npos) << said;
    EXPECT_NE(said.find("recording again from the press at 3.00 s (2 presses lost)"), std::string::npos)
        << said;

    // A FIFO named as the recording is refused at once, not waited on for a reader.
    const std::string fifo = scratch_path("fifo-recording.dat");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    testing::internal::CaptureStderr();
    record_key('F', 4.0f, fifo.c_str());
    EXPECT_NE(testing::internal::GetCapturedStderr().find("not a regular file"), std::string::npos);
}
