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
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "core/platform.h"

float storyboard_times[storyboard_capacity];
char storyboard_keys[storyboard_capacity];

namespace {
// Presses lost since the recording last failed; -1 while it works.
long presses_lost = -1;

void report_record_failure(const char* path, const char* reason, float seconds) {
    if (presses_lost < 0) {
        std::fprintf(stderr,
                     "tangle: can't write %s (%s); the press at %.2f s is not recorded, nor any after it "
                     "until the file can be written again\n",
                     path, reason, static_cast<double>(seconds));
        presses_lost = 0;
    }
    presses_lost++;
}

// Opens `path` for reading only if it is a regular file: a FIFO or a device
// named like the storyboard must not hold up start-up (the open itself
// doesn't wait, and nothing is read from it).
std::FILE* open_regular(const char* path, StoryboardLoad& result) {
    int fd = platform_open_read(path);
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
    platform_make_blocking(fd);
    std::FILE* file = fdopen(fd, "rb");
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
                     "tangle: %s: line %d is no \"seconds key\" record%s; the show reads no further and %s\n",
                     path, load.stopped_line,
                     load.stopped_line == 1 && load.byte_order_mark
                         ? " (the file starts with a UTF-8 byte order mark; save it without one)"
                         : "",
                     fires.c_str());
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
        unsigned char head[3] = {};
        result.byte_order_mark =
            std::fread(head, 1, 3, file) == 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF;
        std::rewind(file);
        while (count < storyboard_capacity) {
            const long before = std::ftell(file);
            const int got = scan_storyboard_line(file, storyboard_times[count], storyboard_keys[count]);
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

int scan_storyboard_line(std::FILE* file, float& seconds, char& key) {
    return std::fscanf(file, "%f %c\n", &seconds, &key);
}

int format_storyboard_line(char* out, size_t size, float seconds, char key) {
    return std::snprintf(out, size, "%f %c\n", static_cast<double>(seconds), key);
}

bool put_storyboard_line(std::FILE* out, float seconds, char key) {
    // The largest float takes 39 digits before the point.
    char line[64];
    const int length = format_storyboard_line(line, sizeof line, seconds, key);
    return length > 0 && static_cast<size_t>(length) < sizeof line && std::fputs(line, out) >= 0;
}

void record_key(unsigned char key, float seconds, const char* path) {
    // A white-space key has no command and can't be read back: the reader
    // would take the next line's first character as its key and shift the
    // record after it, so a recording used as the storyboard would misfire.
    if (key == ' ' || (key >= '\t' && key <= '\r')) return;
    // Room for a newline first, should the file's last line lack one.
    char line[64];
    const int length = format_storyboard_line(line + 1, sizeof line - 1, seconds, static_cast<char>(key));
    // Not waiting on a FIFO without a reader, and read-write to look at the last byte.
    const int fd = platform_open_append(path);
    if (fd < 0) {
        report_record_failure(path, std::strerror(errno), seconds);
        return;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        report_record_failure(path, "not a regular file", seconds);
        close(fd);
        return;
    }
    const char* text = line + 1;
    size_t size = static_cast<size_t>(length);
    char last = '\n';
    if (st.st_size > 0 && platform_read_at(fd, &last, 1, st.st_size - 1) == 1 && last != '\n') {
        line[0] = '\n';
        text = line;
        size++;
    }
    // The line goes in whole or not at all: a write cut short (a full disk)
    // is taken back, so that the next press can't be glued onto half a line
    // and replay as a command nobody pressed.
    ssize_t written = write(fd, text, size);
    const int write_error = written < 0 ? errno : ENOSPC;
    if (written != static_cast<ssize_t>(size)) {
        // Could not take it back: at least end the broken line, so that only it is lost.
        if (written > 0 && ftruncate(fd, st.st_size) != 0) (void)!write(fd, "\n", 1);
        close(fd);
        report_record_failure(path, std::strerror(write_error), seconds);
        return;
    }
    if (close(fd) != 0) {
        report_record_failure(path, std::strerror(errno), seconds);
        return;
    }
    if (presses_lost > 0)
        std::fprintf(stderr, "tangle: %s: recording again from the press at %.2f s (%ld press%s lost)\n",
                     path, static_cast<double>(seconds), presses_lost, presses_lost == 1 ? "" : "es");
    presses_lost = -1;
}
