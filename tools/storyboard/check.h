// check.h: the storyboard checker behind `tangle-storyboard check FILE`.
//
// Reads FILE with the show's own loader and tells the author, line by line,
// which records the show will never fire or will read differently from how
// they look, then a one-line summary. Depends on sync/storyboard.h,
// sync/commands.h and audio/decoder.h (the length of the main music).
#pragma once

#include <cstdio>

// Writes the findings and the summary to `out`, trouble reading to `err`.
// Returns 0 when every record fires as written, 1 when any is lost or
// misread, 2 when the file can't be read.
int check_storyboard(const char* path, std::FILE* out, std::FILE* err);

// Length in seconds of an mp3 file, or a negative value when it can't be read.
double music_file_seconds(const char* path);
