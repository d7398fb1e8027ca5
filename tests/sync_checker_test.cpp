// The storyboard checker on crafted files: findings, line numbers, verdicts.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include <sys/stat.h>

#include "../tools/storyboard/check.h"
#include "sync/commands.h"
#include "sync_files.h"

namespace {

struct Verdict {
    int status;
    std::string out, err;
};

Verdict check_file(const std::string& path) {
    Verdict v;
    char *out = nullptr, *err = nullptr;
    size_t out_size = 0, err_size = 0;
    std::FILE* out_stream = open_memstream(&out, &out_size);
    std::FILE* err_stream = open_memstream(&err, &err_size);
    v.status = check_storyboard(path.c_str(), out_stream, err_stream);
    std::fclose(out_stream);
    std::fclose(err_stream);
    v.out = out;
    v.err = err;
    std::free(out);
    std::free(err);
    return v;
}

Verdict check_text(const std::string& text, const std::string& name = "keys.dat") {
    return check_file(write_scratch(name, text));
}

bool has(const std::string& haystack, const std::string& needle) {
    return haystack.find(needle) != std::string::npos;
}

int count_lines(const std::string& s) {
    int n = 0;
    for (char c : s) n += c == '\n';
    return n;
}

}  // namespace

TEST(StoryboardChecker, CleanFileFiresAsWritten) {
    // Free white space, a split record, CRLF ends and an unsorted record all read as written.
    const Verdict v = check_text("0.5 A\n  1.0\t+\n3\nq\n2.5 d\r\n-1 x\n");
    EXPECT_EQ(v.status, 0) << v.out;
    EXPECT_TRUE(has(v.out, "5 records, 5 fire as written, 0 lost or misread")) << v.out;
    EXPECT_TRUE(has(v.out, "\"+\" 1")) << v.out;
    EXPECT_TRUE(has(v.out, "from 0.500 s to 3.000 s")) << v.out;
    // Only the note about the missing music and the summary.
    EXPECT_EQ(count_lines(v.out), 2) << v.out;
}

TEST(StoryboardChecker, MalformedLineLosesEverythingBehindIt) {
    const Verdict v = check_text("0.5 A\nhello there\n1 B\n\n2 C\n");
    EXPECT_EQ(v.status, 1);
    EXPECT_TRUE(has(v.out,
                    "keys.dat:2: can't read a record from \"hello there\": the show stops reading "
                    "here; 2 later records are lost (lines 3-5)"))
        << v.out;
    EXPECT_TRUE(has(v.out, "4 records, 1 fire as written, 3 lost or misread")) << v.out;
}

TEST(StoryboardChecker, EndMarkerHidesLaterRecords) {
    const Verdict v = check_text("1 A\n-1 x\n0.5 B\n3 C\n");
    EXPECT_EQ(v.status, 1);
    EXPECT_TRUE(has(v.out, ":2: time -1 ends the storyboard: 2 later records never fire (lines 3-4)"))
        << v.out;
    EXPECT_TRUE(has(v.out, "4 records, 2 fire as written, 2 lost")) << v.out;
}

TEST(StoryboardChecker, RecordsThatNeverFire) {
    const Verdict v = check_text("1 A\n-2 B\n2 {\n3 /\nnan C\n4 \x1b\n5 D\n6");
    EXPECT_EQ(v.status, 1);
    EXPECT_TRUE(has(v.out, ":2: time -2 marks the record as fired: key \"B\" never fires")) << v.out;
    EXPECT_TRUE(has(v.out, ":3: key \"{\" is outside the command keys")) << v.out;
    EXPECT_TRUE(has(v.out, ":4: key \"/\" has no command")) << v.out;
    EXPECT_TRUE(has(v.out, ":5: time nan is never reached")) << v.out;
    EXPECT_TRUE(has(v.out, ":6: Escape ends the show at 4.000 s: 1 record after it never fires (line 7)"))
        << v.out;
    EXPECT_TRUE(has(v.out, ":8: 6.000 s has no key before the end of the file")) << v.out;
    EXPECT_TRUE(has(v.out, "8 records, 2 fire as written, 6 lost or misread")) << v.out;
}

TEST(StoryboardChecker, ShiftedAndRunTogetherRecordsAreMisread) {
    // A recorded Tab takes the next line's first character as its key.
    Verdict v = check_text("1 A\n2 \t\n34 B\n5 C\n");
    EXPECT_EQ(v.status, 1);
    EXPECT_TRUE(has(v.out, ":2: no key after the time \"2\" on this line: the show takes \"3\" from line 3"))
        << v.out;
    EXPECT_TRUE(has(v.out, "white-space key")) << v.out;
    EXPECT_TRUE(has(v.out, ":3: the show reads \"4 B\", left over from the record before")) << v.out;

    // A comma for a decimal point: key "," and the rest as another record.
    v = check_text("1,5 A\n");
    EXPECT_EQ(v.status, 1);
    EXPECT_TRUE(
        has(v.out, ":1: the show reads 1.000 s with key \",\" and takes the rest of the line, \"5 A\""))
        << v.out;

    // Two keys run together: the second is a malformed record of its own.
    v = check_text("1 AB\n2 C\n");
    EXPECT_EQ(v.status, 1);
    EXPECT_TRUE(has(v.out, ":1: the show reads 1.000 s with key \"A\" and takes the rest of the line, \"B\""))
        << v.out;
    EXPECT_TRUE(has(v.out,
                    ":1: can't read a record from \"B\": the show stops reading here; 1 later record is "
                    "lost (line 2)"))
        << v.out;

    // "7E" reads as a number with a dangling exponent, then takes the next line's "8".
    v = check_text("7E\n8 A\n");
    EXPECT_EQ(v.status, 1);
    EXPECT_TRUE(has(v.out, ":1: no key after the time \"7E\"")) << v.out;
    EXPECT_FALSE(has(v.out, "white-space key")) << v.out;
    EXPECT_TRUE(has(v.out, ":2: can't read a record from \"A\"")) << v.out;
}

TEST(StoryboardChecker, UnreadableFileIsStatusTwo) {
    Verdict v = check_file(scratch_path("absent.dat"));
    EXPECT_EQ(v.status, 2);
    EXPECT_TRUE(has(v.err, "tangle-storyboard: can't read")) << v.err;
    EXPECT_TRUE(v.out.empty());

    const std::string dir = scratch_path("a-folder");
    mkdir(dir.c_str(), 0700);
    v = check_file(dir);
    EXPECT_EQ(v.status, 2);
}

TEST(StoryboardChecker, RecordsAfterTheEndOfTheMainMusic) {
    const std::string dir = scratch_path("with-music");
    mkdir(dir.c_str(), 0700);
    const std::string wav = dir + "/quiet.wav";
    const std::string mp3 = dir + "/Vextor - Accelerate (kalder demo).mp3";
    // Two seconds of silence, 44100 Hz mono 16-bit.
    {
        const int samples = 88200;
        std::FILE* f = std::fopen(wav.c_str(), "wb");
        ASSERT_TRUE(f);
        auto u32 = [&](unsigned v) { std::fwrite(&v, 4, 1, f); };
        auto u16 = [&](unsigned short v) { std::fwrite(&v, 2, 1, f); };
        std::fputs("RIFF", f), u32(36 + samples * 2), std::fputs("WAVEfmt ", f), u32(16), u16(1), u16(1);
        u32(44100), u32(88200), u16(2), u16(16), std::fputs("data", f), u32(samples * 2);
        for (int i = 0; i < samples; ++i) u16(0);
        std::fclose(f);
    }
    const std::string encode = "lame --quiet -b 64 '" + wav + "' '" + mp3 + "' 2>/dev/null";
    if (std::system(encode.c_str()) != 0) GTEST_SKIP() << "no mp3 encoder";

    EXPECT_NEAR(music_file_seconds(mp3.c_str()), 2.0, 0.1);
    const std::string keys = dir + "/keys.dat";
    std::FILE* f = std::fopen(keys.c_str(), "w");
    std::fputs("1 A\n30 B\n", f);
    std::fclose(f);
    const Verdict v = check_file(keys);
    EXPECT_EQ(v.status, 1);
    EXPECT_TRUE(has(v.out, ":2: 30.000 s is after the end of the main music")) << v.out;
    EXPECT_FALSE(has(v.out, "not checked")) << v.out;
}

TEST(StoryboardChecker, RecordsAfterTheFinaleSwitchNeverFire) {
    // The clock stops on the first frame past 181 s, before the main music ends
    // (188 s), so what lies between is lost; 181 s itself is still reached.
    const Verdict v = check_text("180.5 A\n181 B\n181.05 C\n186 D\n");
    EXPECT_EQ(v.status, 1) << v.out;
    EXPECT_FALSE(has(v.out, ":1:")) << v.out;
    EXPECT_FALSE(has(v.out, ":2:")) << v.out;
    EXPECT_TRUE(has(v.out, ":3: 181.050 s is after the finale switch (181.000 s)")) << v.out;
    EXPECT_TRUE(has(v.out, ":4: 186.000 s is after the finale switch")) << v.out;
    EXPECT_TRUE(has(v.out, "4 records, 2 fire as written, 2 lost or misread")) << v.out;
}

TEST(CommandKeyTable, TheReadmeListsTheShowsOwnKeys) {
    // A key added, dropped or changed in the show and not in the README (or
    // the other way round) misleads whoever plays along or writes a storyboard.
    const char* source = std::getenv("TANGLE_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    std::ifstream in(std::string(source) + "/README.md");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string table = command_key_table();
    const size_t at = text.find("| Key | Command |\n");
    ASSERT_NE(at, std::string::npos);
    const size_t end = text.find("\n\n", at);
    EXPECT_EQ(text.substr(at, end + 1 - at), table);
    // The keys kept out of documents stay out of it.
    for (const CommandKey& c : command_keys()) {
        if (c.words) continue;
        EXPECT_EQ(table.find(std::string("`") + static_cast<char>(c.key) + "`"), std::string::npos);
    }
}
