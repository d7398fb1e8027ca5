// storyboard.cpp: the storyboard tables, the loader and the key recording.
//
// Records are read with fscanf and the format "%f %c\n" so that what counts
// as a record is exactly what the C library makes of the file, traps included
// (a bad record stops the useful reading, a white-space key shifts the rest).
#include "sync/storyboard.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>

#include <string>

#include <sys/stat.h>
#include <unistd.h>

float storyboard_times[storyboard_capacity];
char storyboard_keys[storyboard_capacity];

namespace {
bool record_failure_reported = false;

void report_record_failure(const char* path, int error) {
    if (record_failure_reported) return;
    record_failure_reported = true;
    std::fprintf(stderr, "tangle: can't write %s (%s); key presses are not recorded\n", path,
                 std::strerror(error));
}
// Opens `path` for reading only if it is a regular file: a FIFO or a device
// named like the storyboard must not hold up start-up (the open itself
// doesn't wait, and nothing is read from it).
std::FILE* open_regular(const char* path, StoryboardLoad& result) {
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        result.open_error = errno;
        return nullptr;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        result.irregular = true;
        close(fd);
        return nullptr;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* file = fdopen(fd, "r");
    if (!file) {
        result.open_error = errno;
        close(fd);
    }
    return file;
}

// The line (from 1) of the first character that is not white space at or
// after byte `offset`; leaves the file at its end.
int line_of(std::FILE* file, long offset) {
    if (offset < 0 || std::fseek(file, 0, SEEK_SET) != 0) return 0;
    int line = 1;
    long at = 0;
    for (int c; (c = std::fgetc(file)) != EOF; ++at) {
        if (at >= offset && !std::isspace(c)) break;
        if (c == '\n') ++line;
    }
    return line;
}

}  // namespace

void report_storyboard_load(const char* path, const StoryboardLoad& load) {
    if (load.irregular) {
        std::fprintf(stderr, "tangle: %s: not a regular file, not read; the show runs without a storyboard\n",
                     path);
        return;
    }
    if (!load.opened) {
        std::fprintf(stderr, "tangle: %s: %s; the show runs without a storyboard\n", path,
                     std::strerror(load.open_error));
        return;
    }
    if (!load.read_error && load.stopped_at < 0) return;
    const int kept = load.read_error ? load.slots_read : load.stopped_at;
    const std::string fires = kept == 0   ? "fires none of it"
                              : kept == 1 ? "fires only the record before it"
                                          : "fires only the " + std::to_string(kept) + " records before it";
    if (load.read_error)
        std::fprintf(stderr, "tangle: %s: read error; the show %s\n", path, fires.c_str());
    else
        std::fprintf(stderr,
                     "tangle: %s: line %d is no \"seconds key\" record; the show reads no further and %s\n",
                     path, load.stopped_line, fires.c_str());
}

StoryboardLoad load_storyboard(const char* path) {
    StoryboardLoad result{};
    result.stopped_at = -1;
    std::memset(storyboard_times, 0, sizeof storyboard_times);
    std::memset(storyboard_keys, 0, sizeof storyboard_keys);

    int count = 0;
    bool at_end = true;
    if (std::FILE* file = open_regular(path, result)) {
        result.opened = true;
        at_end = false;
        while (count < storyboard_capacity) {
            const long before = std::ftell(file);
            const int got = std::fscanf(file, "%f %c\n", &storyboard_times[count], &storyboard_keys[count]);
            if (got == EOF) {
                at_end = true;
                break;
            }
            if (got == 0 && before >= 0 && std::ftell(file) == before) {
                // Nothing was consumed, so every later read fails at the same
                // place: the remaining slots stay zero and nothing is filled.
                result.stopped_at = count;
                result.stopped_line = line_of(file, before);
                count = storyboard_capacity;
                break;
            }
            ++count;
        }
        result.read_error = std::ferror(file) != 0;
        std::fclose(file);
    }

    result.slots_read = count;
    result.filled = at_end;
    if (at_end) {
        for (int i = count; i < storyboard_capacity; ++i) {
            storyboard_times[i] = storyboard_empty_time;
            storyboard_keys[i] = storyboard_empty_key;
        }
    }
    index_storyboard();
    return result;
}

void record_key(unsigned char key, float seconds, const char* path) {
    // A white-space key has no command and can't be read back: the reader
    // would take the next line's first character as its key and shift the
    // record after it, so a recording used as the storyboard would misfire.
    if (key == ' ' || (key >= '\t' && key <= '\r')) return;
    std::FILE* file = std::fopen(path, "a");
    if (!file) {
        report_record_failure(path, errno);
        return;
    }
    const bool written = std::fprintf(file, "%f %c\n", static_cast<double>(seconds), key) > 0;
    const int write_error = errno;
    if (std::fclose(file) != 0 || !written) report_record_failure(path, written ? errno : write_error);
}
