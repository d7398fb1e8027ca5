// check.cpp: finds the records of a storyboard that the show will never fire
// or will read differently from how they look.
//
// The verdict comes from the show's own loader. To point at lines, the file is
// scanned a second time with the same format plus %n, which gives where each
// read began, where its number ended and where its key stood, so every table
// slot maps back to the text it came from.
#include "check.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>

#include <mpg123.h>

#include <string>

#include <sys/stat.h>

#include <vector>

#include "audio/decoder.h"
#include "audio/music.h"
#include "core/demo_state.h"
#include "sync/commands.h"
#include "sync/storyboard.h"

namespace {

// The finale starts on the first frame whose demo clock (ten times the
// storyboard's) is above 1810, and the main music and the clock stop there:
// a later record is never reached (one within a frame of it is reached only
// on a slow frame, so it is reported too).
constexpr float finale_switch_seconds = finale_time / 10;

// One fscanf call of the second scan.
struct Read {
    long start = 0;      // offset where the call began
    long end = 0;        // offset where it stopped
    int got = 0;         // fscanf's result
    int number_end = 0;  // characters consumed through the number (got >= 1)
    int key_end = 0;     // characters consumed through the key (got == 2)
};

struct Finding {
    int line;
    std::string text;
};

enum RecordState : char { record_fires, record_misread, record_lost };

// The file's bytes and where its lines start.
struct Text {
    std::string bytes;
    std::vector<long> line_starts;
};

bool is_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool read_whole(const char* path, std::string& bytes) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return false;
    char buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
    const bool failed = std::ferror(file) != 0;
    const int error = errno;
    std::fclose(file);
    errno = error;
    return !failed;
}

void index_lines(Text& text) {
    text.line_starts.assign(1, 0);
    for (size_t i = 0; i < text.bytes.size(); ++i)
        if (text.bytes[i] == '\n') text.line_starts.push_back(static_cast<long>(i) + 1);
}

int line_of(const Text& text, long offset) {
    return static_cast<int>(std::upper_bound(text.line_starts.begin(), text.line_starts.end(), offset) -
                            text.line_starts.begin());
}

long line_end(const Text& text, int line) {
    return line < static_cast<int>(text.line_starts.size()) ? text.line_starts[line] - 1
                                                            : static_cast<long>(text.bytes.size());
}

bool only_space(const Text& text, long from, long to) {
    for (long i = from; i < to; ++i)
        if (!is_space(text.bytes[i])) return false;
    return true;
}

long skip_space(const Text& text, long offset) {
    while (offset < static_cast<long>(text.bytes.size()) && is_space(text.bytes[offset])) ++offset;
    return offset;
}

// A stretch of the file, quoted, shortened and made printable.
std::string quote(const Text& text, long from, long to) {
    while (to > from && is_space(text.bytes[to - 1])) --to;
    std::string s = "\"";
    for (long i = from; i < to && i < from + 40; ++i) {
        const unsigned char c = text.bytes[i];
        s += (c >= 32 && c < 127) ? static_cast<char>(c) : '?';
    }
    if (to > from + 40) s += "...";
    return s + "\"";
}

// From `offset` (white space skipped) to the end of that line.
std::string quote_rest_of_line(const Text& text, long offset) {
    const long from = skip_space(text, offset);
    return quote(text, from, std::max(from, line_end(text, line_of(text, from))));
}

std::string describe_key(int key) {
    key &= 0xff;
    if (key > 32 && key < 127) return std::string("\"") + static_cast<char>(key) + "\"";
    if (key == 27) return "Escape";
    if (key == 0) return "none";
    return "code " + std::to_string(key);
}

}  // namespace

std::string command_key_table() {
    std::string table = "| Key | Command |\n|---|---|\n";
    for (const CommandKey& c : command_keys()) {
        if (!c.words) continue;
        const std::string key = c.key == 27 ? "Escape" : std::string("`") + static_cast<char>(c.key) + "`";
        table += "| " + key + " | " + c.words + " |\n";
    }
    return table;
}

namespace {

std::string seconds_text(float time) {
    char s[64];
    std::snprintf(s, sizeof s, "%.3f s", static_cast<double>(time));
    return s;
}

std::string lines_text(int first, int last) {
    if (first == last) return "line " + std::to_string(first);
    return "lines " + std::to_string(first) + "-" + std::to_string(last);
}

std::string plural(int n, const char* word) { return std::to_string(n) + " " + word + (n == 1 ? "" : "s"); }

// "1 record never fires", "2 records never fire".
std::string plural(int n, const char* word, const char* one_verb, const char* many_verb) {
    return plural(n, word) + " " + (n == 1 ? one_verb : many_verb);
}

// The loader's reads again, with positions. Stops where the loader stops.
bool scan_reads(const char* path, std::vector<Read>& reads) {
    std::FILE* file = std::fopen(path, "r");
    if (!file) return false;
    while (static_cast<int>(reads.size()) < storyboard_capacity) {
        Read read;
        float time;
        char key;
        read.start = std::ftell(file);
        read.got = std::fscanf(file, "%f%n %c%n\n", &time, &read.number_end, &key, &read.key_end);
        if (read.got == EOF) break;
        read.end = std::ftell(file);
        reads.push_back(read);
        if (read.got == 0 && read.start >= 0 && read.end == read.start) break;
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    return !failed;
}

// Lines after `from` that look like records of their own.
int count_record_lines(const Text& text, int from_line, int& last_line) {
    int count = 0;
    for (int line = from_line; line <= static_cast<int>(text.line_starts.size()); ++line) {
        const long start = text.line_starts[line - 1];
        const std::string s = text.bytes.substr(start, line_end(text, line) - start);
        float time;
        char key;
        if (std::sscanf(s.c_str(), "%f %c", &time, &key) == 2) {
            ++count;
            last_line = line;
        }
    }
    return count;
}

// Why a record's text doesn't read the way it looks, or "" when it does.
std::string layout_problem(const Text& text, const Read& read, float time, int key) {
    const long number_at = skip_space(text, read.start);
    const long number_end = read.start + read.number_end;
    const long key_at = read.start + read.key_end - 1;
    const int line = line_of(text, number_at);
    const int key_line = line_of(text, key_at);
    const long line_start = text.line_starts[line - 1];
    const bool rest_clean = only_space(text, key_at + 1, line_end(text, key_line));

    if (!only_space(text, line_start, number_at))
        return "the show reads " + quote(text, number_at, key_at + 1) +
               ", left over from the record before, as a record of its own (" + seconds_text(time) +
               ", key " + describe_key(key) + ")";
    if (key_line != line) {
        // A time alone on its line with the key alone on the next still reads as written.
        const bool split = only_space(text, number_end, line_end(text, line)) &&
                           only_space(text, text.line_starts[key_line - 1], key_at) && rest_clean;
        if (split) return "";
        std::string message = "no key after the time " + quote(text, number_at, number_end) +
                              " on this line: the show takes " + describe_key(key) + " from line " +
                              std::to_string(key_line) +
                              " as its key and reads the rest of that line as another record";
        if (number_end < line_end(text, line)) message += " (a white-space key can't be read back)";
        return message;
    }
    if (!rest_clean)
        return "the show reads " + seconds_text(time) + " with key " + describe_key(key) +
               " and takes the rest of the line, " + quote(text, key_at + 1, line_end(text, line)) +
               ", as another record";
    return "";
}

// Why a well-formed record never fires, or "" when it fires.
std::string firing_problem(float time, int key, double music_seconds) {
    if (time == storyboard_consumed)
        return "time -2 marks the record as fired: key " + describe_key(key) + " never fires";
    if (std::isnan(time)) return "time nan is never reached: key " + describe_key(key) + " never fires";
    if (music_seconds >= 0 && time > music_seconds)
        return seconds_text(time) + " is after the end of the main music (" +
               seconds_text(static_cast<float>(music_seconds)) + "): key " + describe_key(key) +
               " never fires";
    if (std::isinf(time)) return "time inf is never reached: key " + describe_key(key) + " never fires";
    if (time > finale_switch_seconds)
        return seconds_text(time) + " is after the finale switch (" + seconds_text(finale_switch_seconds) +
               "), where the show's clock stops: key " + describe_key(key) + " never fires";
    if (key < 27 || key > 122)
        return "key " + describe_key(key) +
               " is outside the command keys (codes 27 to 122): consumed without effect";
    if (!key_has_command(key)) return "key " + describe_key(key) + " has no command: consumed without effect";
    return "";
}

}  // namespace

double music_file_seconds(const char* path) {
    // The show's own decoder, so the length is counted as the clock counts it
    // (gapless); a full scan makes it exact where the headers only estimate.
    Decoder decoder;
    std::string error;
    if (!decoder_open(decoder, path, false, error) || decoder.rate <= 0) return -1;
    int64_t frames = decoder.length_hint;
    if (mpg123_scan(decoder.mpg) == MPG123_OK) {
        const off_t scanned = mpg123_length(decoder.mpg);
        if (scanned >= 0) frames = scanned;
    }
    const double seconds = frames >= 0 ? static_cast<double>(frames) / decoder.rate : -1;
    decoder_close(decoder);
    return seconds;
}

namespace {

// What a check found, as the lines it prints.
struct CheckResult {
    int status = 0;
    std::string error;                  // can't read: the one line for `err`
    std::vector<std::string> findings;  // "NAME:LINE: what"
    std::string music_note;             // "" when the times were checked against the music
    std::string summary;
};

// `music_seconds` below zero: measured from the music beside the file.
CheckResult check_file(const char* path, const std::string& name, double music_seconds) {
    CheckResult result;
    Text text;
    std::vector<Read> reads;
    // The file is read twice (as text, then by the show's loader), which
    // only a regular file allows; a FIFO would also hold the checker up.
    struct stat st;
    if (stat(path, &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
        result.error = "can't read " + name + ": not a regular file";
        result.status = 2;
        return result;
    }
    if (!read_whole(path, text.bytes) || !scan_reads(path, reads)) {
        result.error = "can't read " + name + ": " + std::strerror(errno);
        result.status = 2;
        return result;
    }
    const StoryboardLoad load = load_storyboard(path);
    const int scan_stop = !reads.empty() && reads.back().got == 0 && reads.back().end == reads.back().start
                              ? static_cast<int>(reads.size()) - 1
                              : -1;
    if (!load.opened || load.read_error || load.stopped_at != scan_stop ||
        (scan_stop < 0 && load.slots_read != static_cast<int>(reads.size()))) {
        result.error =
            "can't read " + name + ": " +
            (load.opened && !load.read_error ? "it changed while being read" : std::strerror(errno));
        result.status = 2;
        return result;
    }
    index_lines(text);

    const std::filesystem::path music = std::filesystem::path(path).parent_path() / main_music_file;
    std::string music_note;
    std::error_code ignored;
    if (music_seconds < 0 && !std::filesystem::exists(music, ignored))
        music_note = std::string("no \"") + main_music_file +
                     "\" beside the file: times not checked against the end of the music";
    else if (music_seconds < 0 && (music_seconds = music_file_seconds(music.c_str())) < 0)
        music_note = std::string("can't measure \"") + main_music_file +
                     "\": times not checked against the end of the music";

    std::vector<Finding> findings;
    std::vector<RecordState> state(reads.size(), record_fires);
    int end_marker = -1;  // slot of the first -1
    int total = 0, bad = 0;
    auto record_line = [&](size_t slot) { return line_of(text, skip_space(text, reads[slot].start)); };

    for (size_t slot = 0; slot < reads.size(); ++slot) {
        const Read& read = reads[slot];
        const int line = record_line(slot);
        const float time = storyboard_times[slot];
        const int key = static_cast<unsigned char>(storyboard_keys[slot]);
        ++total;
        if (read.got == 0 && static_cast<int>(slot) == load.stopped_at) {
            int last_line = line;
            const int behind = count_record_lines(text, line + 1, last_line);
            std::string message = "can't read a record from " + quote_rest_of_line(text, read.start) +
                                  ": the show stops reading here";
            if (behind > 0)
                message += "; " + plural(behind, "later record", "is", "are") + " lost (" +
                           lines_text(line + 1, last_line) + ")";
            findings.push_back({line, message});
            state[slot] = record_lost;
            total += behind;
            bad += behind;
            break;
        }
        if (end_marker >= 0) {
            state[slot] = record_lost;
            continue;
        }
        if (read.got == 0) {
            findings.push_back({line, "can't read a record from " + quote_rest_of_line(text, read.start) +
                                          "; the show passes over " + quote(text, read.start, read.end) +
                                          " and reads on"});
            state[slot] = record_misread;
            continue;
        }
        if (read.got == 1) {
            findings.push_back(
                {line, seconds_text(time) + " has no key before the end of the file: it fires nothing"});
            state[slot] = record_lost;
            continue;
        }
        if (time == storyboard_end) {
            end_marker = static_cast<int>(slot);
            continue;
        }
        std::string problem = layout_problem(text, read, time, key);
        if (!problem.empty()) {
            findings.push_back({line, problem});
            state[slot] = record_misread;
        }
        const std::string never = firing_problem(time, key, music_seconds);
        if (!never.empty()) {
            if (problem.empty()) findings.push_back({line, never});
            state[slot] = record_lost;
        }
    }

    if (end_marker >= 0) {
        int count = 0, first = 0, last = 0;
        for (size_t slot = end_marker + 1; slot < reads.size(); ++slot) {
            if (static_cast<int>(slot) == load.stopped_at) break;
            last = record_line(slot);
            if (count++ == 0) first = last;
        }
        if (count)
            findings.push_back(
                {record_line(end_marker), "time -1 ends the storyboard: " +
                                              plural(count, "later record", "never fires", "never fire") +
                                              " (" + lines_text(first, last) + ")"});
    }

    // The first Escape or "q" to fire ends the show: later ones never fire.
    int quit = -1;
    for (size_t slot = 0; slot < reads.size(); ++slot) {
        const int key = static_cast<unsigned char>(storyboard_keys[slot]);
        if (state[slot] == record_lost || static_cast<int>(slot) == end_marker || reads[slot].got != 2)
            continue;
        if (key != 27 && key != 'q') continue;
        if (quit < 0 || storyboard_times[slot] < storyboard_times[quit]) quit = static_cast<int>(slot);
    }
    if (quit >= 0) {
        const float quit_time = storyboard_times[quit];
        int count = 0, first = 0, last = 0;
        for (size_t slot = 0; slot < reads.size(); ++slot) {
            if (state[slot] == record_lost || static_cast<int>(slot) == end_marker || reads[slot].got != 2)
                continue;
            const float time = storyboard_times[slot];
            if (time > quit_time || (time == quit_time && static_cast<int>(slot) > quit)) {
                state[slot] = record_lost;
                const int line = record_line(slot);
                first = count++ ? std::min(first, line) : line;
                last = std::max(last, line);
            }
        }
        if (count)
            findings.push_back({record_line(quit),
                                describe_key(storyboard_keys[quit]) + " ends the show at " +
                                    seconds_text(quit_time) + ": " +
                                    plural(count, "record", "after it never fires", "after it never fire") +
                                    " (" + lines_text(first, last) + ")"});
    }

    if (!load.filled && load.stopped_at < 0) {
        const long rest = skip_space(text, reads.back().end);
        if (rest < static_cast<long>(text.bytes.size())) {
            const int line = line_of(text, rest);
            int last_line = line;
            const int behind = count_record_lines(text, line, last_line);
            findings.push_back({line, "the storyboard is full (" + std::to_string(storyboard_capacity) +
                                          " records): the show reads nothing from here on (" +
                                          plural(behind, "record") + ")"});
            total += behind;
            bad += behind;
        }
    }

    // Commands the show will run, by key, and when.
    int by_key[256] = {};
    float first_time = 0, last_time = 0;
    int firing = 0;
    for (size_t slot = 0; slot < reads.size(); ++slot) {
        if (state[slot] == record_lost || static_cast<int>(slot) == end_marker || reads[slot].got != 2)
            continue;
        const int key = static_cast<unsigned char>(storyboard_keys[slot]);
        const float time = storyboard_times[slot];
        ++by_key[key];
        first_time = firing ? std::min(first_time, time) : time;
        last_time = firing ? std::max(last_time, time) : time;
        ++firing;
    }
    for (RecordState s : state) bad += s != record_fires;

    std::stable_sort(findings.begin(), findings.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
    for (const Finding& f : findings)
        result.findings.push_back(name + ":" + std::to_string(f.line) + ": " + f.text);
    result.music_note = music_note;

    std::string summary = plural(total, "record") + ", " + std::to_string(total - bad) +
                          " fire as written, " + std::to_string(bad) + " lost or misread";
    std::string keys;
    for (int key = 0; key < 256; ++key)
        if (by_key[key])
            keys += (keys.empty() ? "" : ", ") + describe_key(key) + " " + std::to_string(by_key[key]);
    if (firing)
        summary +=
            "; commands: " + keys + "; from " + seconds_text(first_time) + " to " + seconds_text(last_time);
    else
        summary += "; no command fires";
    result.summary = summary;
    result.status = bad ? 1 : 0;
    return result;
}

}  // namespace

int check_storyboard(const char* path, std::FILE* out, std::FILE* err) {
    const CheckResult r = check_file(path, path, -1);
    if (r.status == 2) {
        std::fprintf(err, "tangle-storyboard: %s\n", r.error.c_str());
        return 2;
    }
    for (const std::string& line : r.findings) std::fprintf(out, "%s\n", line.c_str());
    if (!r.music_note.empty()) std::fprintf(out, "%s: %s\n", path, r.music_note.c_str());
    std::fprintf(out, "%s: %s\n", path, r.summary.c_str());
    return r.status;
}

std::vector<std::string> storyboard_findings(const char* path, const std::string& shown_name,
                                             double music_seconds) {
    const CheckResult r = check_file(path, shown_name, music_seconds);
    if (r.status == 2) return {r.error};
    return r.findings;
}
