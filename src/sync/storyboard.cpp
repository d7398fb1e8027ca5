// storyboard.cpp: the storyboard tables, the loader and the key recording.
//
// Records are read with fscanf and the format "%f %c\n" so that what counts
// as a record is exactly what the C library makes of the file, traps included
// (a bad record stops the useful reading, a white-space key shifts the rest).
#include "sync/storyboard.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

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
}  // namespace

StoryboardLoad load_storyboard(const char* path) {
    StoryboardLoad result{};
    result.stopped_at = -1;
    std::memset(storyboard_times, 0, sizeof storyboard_times);
    std::memset(storyboard_keys, 0, sizeof storyboard_keys);

    int count = 0;
    bool at_end = true;
    if (std::FILE* file = std::fopen(path, "r")) {
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
