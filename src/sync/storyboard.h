// storyboard.h: the show's script of (time, key) events, read once from
// "keys.dat", replayed every frame against the music clock, and the recording
// of live presses in the same "%f %c\n" line format.
//
// The tables are program-static and readable by anyone (the ticker lists
// them); only the loader and the replay write them. Depends on sync/commands.h.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdio>

#include "sync/commands.h"

constexpr int storyboard_capacity = 1126000;

// Special times, compared exactly.
constexpr float storyboard_consumed = -2.0f;   // fired (or written so): passed over
constexpr float storyboard_end = -1.0f;        // the replay stops scanning here
constexpr float storyboard_empty_time = 1e9f;  // the slots after the last record
constexpr char storyboard_empty_key = '/';

extern float storyboard_times[storyboard_capacity];  // seconds of main-stream time
extern char storyboard_keys[storyboard_capacity];    // key characters, slot for slot

// What the loader saw, for the storyboard checker; the show ignores it.
struct StoryboardLoad {
    bool opened;           // false: no file (or not a regular one); the storyboard is empty
    int open_error;        // errno of the failed open, 0 when it opened or was no regular file
    bool irregular;        // a folder, a FIFO, a device...: not read at all, so start-up never blocks
    bool read_error;       // the stream reported an error; taken as end of input
    int slots_read;        // slots taken by reads (records and failed reads)
    int stopped_at;        // slot of the read that failed for good, -1 when none did
    int stopped_line;      // the line where that read failed (from 1), 0 when none did
    bool filled;           // input ended before the capacity: the rest holds empty slots
    bool byte_order_mark;  // the file starts with a UTF-8 byte order mark (some editors add one)
};

// Reads the storyboard into the tables (clearing them first) and prepares the
// replay. A missing file gives an empty storyboard.
StoryboardLoad load_storyboard(const char* path = "keys.dat");

// One "tangle: " line on stderr when the show will run with less than the
// file holds (no file, not a regular file, a record the reader stops at, a
// read error), saying what it does instead; nothing when all is well.
void report_storyboard_load(const char* path, const StoryboardLoad& load);

// Fires, in slot order, every event due at `seconds` that has not fired yet:
// `fire` gets key - 27 for keys 27 to 122; each due slot is then marked
// consumed. Skips what can't fire instead of walking the whole table.
void replay_storyboard(float seconds, void (*fire)(int index) = run_command);

// The same firing as a plain pass over every slot, stopping at an end marker.
void replay_storyboard_full(float seconds, void (*fire)(int index) = run_command);

// Rebuilds what replay_storyboard keeps from the tables; the loader calls it,
// and so must anyone who writes the tables by other means.
void index_storyboard();
// Puts the tables back as the last indexing found them: every event fired
// since then is due again (a show moved back to its start).
void rewind_storyboard();

// How far the replay has gone since the last indexing or rewind: the latest
// clock it was run to (-infinity before the first run). Which events have
// fired follows from it and the tables as indexed, since a slot fires once
// its time is at or below the clock.
struct ReplayPosition {
    float seconds = -INFINITY;
    bool operator==(const ReplayPosition&) const = default;
};
ReplayPosition replay_position();
// Rewinds, then marks fired every event due at the position's clock without
// running any: the tables as a replay to that clock leaves them.
void restore_replay_position(const ReplayPosition& position);

// The storyboard's line format, "%f %c\n" (seconds, key), as the loader reads
// it back: every writer of storyboards and of the recording goes through
// these. format_storyboard_line returns what snprintf returns;
// put_storyboard_line whether the line was written.
int format_storyboard_line(char* out, size_t size, float seconds, char key);
// The loader's read of one record, traps included: fscanf's result, with
// `seconds` and `key` written as far as it got.
int scan_storyboard_line(std::FILE* file, float& seconds, char& key);
bool put_storyboard_line(std::FILE* out, float seconds, char key);

// Appends a storyboard line (seconds, key) to the recording file: opened, written and
// closed per press. White-space keys are not recorded (they can't be read
// back, and would shift the next record). A line goes in whole or not at
// all, after a newline if the file's last line lacks one. A file that can't
// be written (missing folder, full disk, not a regular file) loses the line;
// stderr says so when the failures start and again when they end.
void record_key(unsigned char key, float seconds, const char* path = "filepressedkeys.dat");
