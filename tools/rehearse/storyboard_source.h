// storyboard_source.h: the storyboard a rehearsal plays, from a storyboard
// file or a cue sheet, watched for changes.
//
// What the show loads is always a private copy (the file's bytes, or the
// sheet compiled by the project's cue compiler), so a file that changes
// while it is read can't give the show something other than what was
// checked. A file that fails to read or compile changes nothing. Depends on
// sync/storyboard.h, tools/cuesheet (cues.h) and tools/storyboard (check.h,
// which judges every storyboard loaded); no GL.
#pragma once

#include <string>
#include <vector>

struct StoryRecord {
    float seconds;
    char key;
    bool operator==(const StoryRecord&) const = default;
};

// Watches `path`, a storyboard or (cue_sheet) a cue sheet. Call once.
void storyboard_source_init(const std::string& path, bool cue_sheet);

// Reads and loads the watched file into the show's tables. On failure returns
// false with `error` as "FILE:LINE: what" and keeps what was loaded before;
// the first load keeps what the show itself would make of a bad storyboard
// (an empty one for a cue sheet that doesn't compile).
bool storyboard_source_load(std::string& error);

// The private copy the show loads (for start-up's own loader).
const std::string& storyboard_source_loaded_path();

// Whether the watched file's time stamp or size changed since the last look.
bool storyboard_source_changed();

// Puts the tables back as loaded: every record unfired.
void storyboard_source_restore();

// The records that have fired so far (the tables as they stand against the
// storyboard as loaded), in the order they fired in a frame: slot order.
std::vector<StoryRecord> storyboard_source_fired();
// The records of the storyboard as loaded that are due at `seconds` (the
// replay's clock), in slot order: exactly the ones a replay to then fires.
std::vector<StoryRecord> storyboard_source_due(float seconds);

// The records that run a command, by time (file order within a time).
const std::vector<StoryRecord>& storyboard_source_records();

// The storyboard checker's findings for the storyboard as loaded, each
// "FILE:LINE: what" (records never fired, misread, after a quit).
const std::vector<std::string>& storyboard_source_findings();
// Each finding as a "tangle: " line on standard error.
void storyboard_source_say_findings();
// The same records in slot (file) order: the order in which the ones due in
// one frame fire.
const std::vector<StoryRecord>& storyboard_source_slot_records();

// The earliest record time at which a show replaying `after` may differ from
// one replaying `before` (both in slot order): a replay to any earlier clock
// fires the same records in the same order under both. Infinity when they
// are the same.
float first_changed_record(const std::vector<StoryRecord>& before, const std::vector<StoryRecord>& after);

// A bar of the cue sheet's tempo (four beats); 2 s without a cue sheet.
double storyboard_source_bar_seconds();

// The first place where the show's loader stops reading a storyboard file,
// as "FILE:LINE: what"; "" when it reads the whole file. `shown_name` names
// the file in the message.
std::string storyboard_file_problem(const std::string& path, const std::string& shown_name);
