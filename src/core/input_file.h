// input_file.h: opening what the programs read so that nothing can hold them
// up or swamp them: a FIFO, a device or a folder named like a data file is
// refused at once instead of waited on, and a file is size-checked before
// anything is read. Also the standard descriptors made safe at start-up.
//
// Depends on POSIX only.
#pragma once

#include <string>
#include <vector>

// Opens `path` for reading without waiting, and keeps it only if it is a
// regular file of at most `largest` bytes. Returns the descriptor (blocking
// again, close-on-exec), or -1 with `error` saying why ("not a regular file",
// the system's reason, or its size against the limit).
int open_input(const char* path, long long largest, std::string& error);

// The whole of such a file.
bool read_input(const char* path, long long largest, std::vector<unsigned char>& bytes, std::string& error);

// Points descriptors 0, 1 and 2 at /dev/null where they are closed, so that
// no file or connection opened later takes their place (and a closed
// standard output can't send the show's lines into the X connection), and
// ignores SIGPIPE, so that a reader of standard error going away ends
// nothing. Call first thing in main.
void make_standard_descriptors_safe();
