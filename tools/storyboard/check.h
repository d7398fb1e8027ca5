// check.h: the storyboard checker behind `tangle-storyboard check FILE`.
//
// Reads FILE with the show's own loader and tells the author, line by line,
// which records the show will never fire or will read differently from how
// they look, then a one-line summary. Depends on sync/storyboard.h,
// sync/commands.h and audio/decoder.h (the length of the main music).
#pragma once

#include <cstdio>
#include <string>
#include <vector>

// Writes the findings and the summary to `out`, trouble reading to `err`.
// Returns 0 when every record fires as written, 1 when any is lost or
// misread, 2 when the file can't be read.
int check_storyboard(const char* path, std::FILE* out, std::FILE* err);

// The findings alone, each "SHOWN_NAME:LINE: what" (or the one reason the
// file can't be read), for a storyboard that is loaded anyway. Loads FILE
// into the show's tables on the way, as the show's loader is the judge.
// `music_seconds` is the main music's length (negative: measured from the
// music beside FILE).
std::vector<std::string> storyboard_findings(const char* path, const std::string& shown_name,
                                             double music_seconds);

// The documented command keys as a Markdown table (header included), one
// row per key in key-code order: what the README's "Controls" table holds.
std::string command_key_table();

// Length in seconds of an mp3 file, or a negative value when it can't be read.
double music_file_seconds(const char* path);
