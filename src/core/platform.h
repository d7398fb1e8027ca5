// platform.h: the few things the show does differently on Linux and on
// Windows, behind one interface: opening files without waiting on them,
// the recording's append, the null device, the environment, the standard
// descriptors at start-up and the console's stop requests (SIGINT and
// SIGTERM on Linux, the console's control events on Windows).
//
// platform_posix.cpp and platform_windows.cpp implement it; the build picks
// one. Files are always opened in binary mode, so what the show writes keeps
// its "\n" line ends everywhere.
#pragma once

#include <cstddef>

// Opens `path` for reading without waiting (a FIFO without a writer is not
// waited on). Returns a descriptor, or -1 with errno set.
int platform_open_read(const char* path);

// Makes a descriptor from platform_open_read wait on reads again.
void platform_make_blocking(int fd);

// Opens `path` read-write for appending, creating it (mode 0666 before the
// umask) and not waiting on a FIFO without a reader. -1 with errno set.
int platform_open_append(const char* path);

// Reads up to `size` bytes at `offset` without moving the file position;
// the count read, or -1.
long platform_read_at(int fd, void* buffer, std::size_t size, long long offset);

// The system's null device, for writing.
const char* platform_null_device();

// Where the program file has a folder `name` beside it, makes that the
// working folder and returns true. Only on Windows, where a double-clicked
// program starts in its own folder and the archive keeps the data in data/;
// elsewhere it does nothing and returns false.
bool platform_enter_folder_beside_program(const char* name);

// Sets an environment variable for this process and the libraries in it.
void platform_set_env(const char* name, const char* value);

// Points descriptors 0, 1 and 2 at the null device where they are closed, and
// keeps a vanished reader of standard error from ending the process.
void platform_make_standard_descriptors_safe();

// Calls `note` with SIGINT or SIGTERM when the user asks the console to stop
// the show (Ctrl-C; kill, or closing the console on Windows). `note` may run
// on a signal handler or on a thread of the system's, so it may only store a
// flag or end the process at once. After the first request the next one
// ends the process as if uncaught. Calling it again puts the catch back in
// front of any a library added since.
void platform_catch_stop(void (*note)(int signal));
