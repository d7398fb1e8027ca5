// storyboard_source.cpp: the rehearsal's storyboard, loaded from a private
// copy and watched for changes (see storyboard_source.h).
#include "storyboard_source.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <sys/stat.h>
#include <unistd.h>

#include "audio/music.h"
#include "check.h"
#include "cues.h"
#include "sync/storyboard.h"

namespace {

std::string watched;
bool watched_is_sheet = false;
std::string copy_path;  // what the show loads
bool loaded_once = false;
double bar_seconds = 2.0;

struct Stamp {
    bool exists = false;
    long long size = 0, seconds = 0, nanoseconds = 0;
    bool operator==(const Stamp&) const = default;
};
Stamp seen;

// The tables as loaded, to put every record back unfired.
std::vector<float> loaded_times;
std::vector<char> loaded_keys;
std::vector<StoryRecord> records;
std::vector<std::string> findings;

// The main music's length, measured once (a full scan of the file): the
// checker's limit for record times. The rehearsal runs in the data folder.
double main_music_seconds() {
    static const double seconds = music_file_seconds(main_music_file);
    return seconds;
}
std::vector<StoryRecord> slot_records;

Stamp stamp_of(const std::string& path) {
    Stamp s;
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return s;
    s.exists = true;
    s.size = st.st_size;
    s.seconds = st.st_mtim.tv_sec;
    s.nanoseconds = st.st_mtim.tv_nsec;
    return s;
}

void remove_copy() {
    if (!copy_path.empty()) std::remove(copy_path.c_str());
}

bool copy_file(const std::string& from, const std::string& to, std::string& error) {
    std::ifstream in(from, std::ios::binary);
    if (!in) {
        error = from + ": can't read: " + std::strerror(errno);
        return false;
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::ofstream out(to, std::ios::binary | std::ios::trunc);
    out << bytes;
    out.close();
    if (in.bad() || !out) {
        error = from + ": can't copy it to " + to;
        return false;
    }
    return true;
}

void take_snapshot() {
    loaded_times.assign(storyboard_times, storyboard_times + storyboard_capacity);
    loaded_keys.assign(storyboard_keys, storyboard_keys + storyboard_capacity);
    records.clear();
    for (int i = 0; i < storyboard_capacity; ++i) {
        const float t = storyboard_times[i];
        const int key = static_cast<unsigned char>(storyboard_keys[i]);
        if (t == storyboard_end) break;
        if (t == storyboard_consumed || std::isnan(t) || key < 27 || key > 122) continue;
        if (t == storyboard_empty_time && key == storyboard_empty_key) continue;
        records.push_back({t, static_cast<char>(key)});
    }
    slot_records = records;
    std::stable_sort(records.begin(), records.end(),
                     [](const StoryRecord& a, const StoryRecord& b) { return a.seconds < b.seconds; });
}

}  // namespace

void storyboard_source_init(const std::string& path, bool cue_sheet) {
    watched = path;
    watched_is_sheet = cue_sheet;
    std::string pattern = (std::filesystem::temp_directory_path() / "tangle-rehearse-XXXXXX").string();
    int fd = mkstemp(pattern.data());
    if (fd >= 0) close(fd);
    copy_path = pattern;
    std::atexit(remove_copy);
}

bool storyboard_source_load(std::string& error) {
    seen = stamp_of(watched);
    const std::string staged = copy_path + ".new";
    CueSheet sheet;
    bool ok;
    if (watched_is_sheet) {
        ok = compile_cue_sheet(watched, sheet, error);
        if (ok && !write_storyboard(sheet, staged)) {
            error = staged + ": can't write the compiled storyboard";
            ok = false;
        }
    } else {
        ok = copy_file(watched, staged, error);
        if (ok) error = storyboard_file_problem(staged, watched);
        ok = ok && error.empty();
    }
    if (!ok && loaded_once) {
        std::remove(staged.c_str());
        return false;
    }
    // The first load has nothing to keep: it takes what the show's loader
    // makes of the file, or nothing at all.
    if (!ok && (watched_is_sheet || !std::filesystem::exists(staged))) std::ofstream(staged, std::ios::trunc);
    // What the checker says of what is about to play: records the show would
    // never fire or would misread are otherwise silent. (It loads the tables
    // itself; the load below puts them right.)
    findings = storyboard_findings(staged.c_str(), watched_is_sheet ? watched + " (compiled)" : watched,
                                   main_music_seconds());
    std::rename(staged.c_str(), copy_path.c_str());
    load_storyboard(copy_path.c_str());
    take_snapshot();
    bar_seconds = watched_is_sheet && ok ? 4 * 60.0 / sheet.tempo : bar_seconds;
    loaded_once = true;
    return ok;
}

const std::string& storyboard_source_loaded_path() { return copy_path; }

bool storyboard_source_changed() { return !(stamp_of(watched) == seen); }

void storyboard_source_restore() {
    if (loaded_times.empty()) return;
    std::copy(loaded_times.begin(), loaded_times.end(), storyboard_times);
    std::copy(loaded_keys.begin(), loaded_keys.end(), storyboard_keys);
    index_storyboard();
}

std::vector<StoryRecord> storyboard_source_fired() {
    std::vector<StoryRecord> fired;
    for (size_t i = 0; i < loaded_times.size(); ++i) {
        const int key = static_cast<unsigned char>(loaded_keys[i]);
        if (loaded_times[i] == storyboard_end) break;
        if (storyboard_times[i] == storyboard_consumed && loaded_times[i] != storyboard_consumed &&
            key >= 27 && key <= 122)
            fired.push_back({loaded_times[i], static_cast<char>(key)});
    }
    return fired;
}

std::vector<StoryRecord> storyboard_source_due(float seconds) {
    std::vector<StoryRecord> due;
    for (size_t i = 0; i < loaded_times.size(); ++i) {
        const float t = loaded_times[i];
        const int key = static_cast<unsigned char>(loaded_keys[i]);
        if (t == storyboard_end) break;
        if (t != storyboard_consumed && t <= seconds && key >= 27 && key <= 122)
            due.push_back({t, static_cast<char>(key)});
    }
    return due;
}

const std::vector<StoryRecord>& storyboard_source_records() { return records; }

const std::vector<std::string>& storyboard_source_findings() { return findings; }

void storyboard_source_say_findings() {
    for (const std::string& f : findings) std::fprintf(stderr, "tangle: %s\n", f.c_str());
}

const std::vector<StoryRecord>& storyboard_source_slot_records() { return slot_records; }

float first_changed_record(const std::vector<StoryRecord>& before, const std::vector<StoryRecord>& after) {
    // Up to the first slot that differs both fire alike; from there on any
    // record of either may fire differently, or in another order within a
    // frame, so the earliest of them bounds what stays the same.
    size_t same = 0;
    while (same < before.size() && same < after.size() && before[same] == after[same]) ++same;
    float first = INFINITY;
    for (const std::vector<StoryRecord>* list : {&before, &after})
        for (size_t i = same; i < list->size(); ++i) first = std::min(first, (*list)[i].seconds);
    return first;
}

double storyboard_source_bar_seconds() { return bar_seconds; }

std::string storyboard_file_problem(const std::string& path, const std::string& shown_name) {
    std::FILE* file = std::fopen(path.c_str(), "r");
    if (!file) return shown_name + ": can't read: " + std::strerror(errno);
    // The loader's own reads, until one doesn't give a whole record.
    long bad_at = -1;
    const char* what = "";
    for (int count = 0; count < storyboard_capacity; ++count) {
        const long before = std::ftell(file);
        float time;
        char key;
        const int got = scan_storyboard_line(file, time, key);
        if (got == EOF) break;
        if (got != 2) {
            bad_at = before;
            what = got == 1 ? "a time without a key" : "can't read a record from";
            break;
        }
    }
    std::string bytes;
    if (bad_at >= 0) {
        std::rewind(file);
        char buffer[65536];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, n);
    }
    std::fclose(file);
    if (bad_at < 0) return "";
    size_t at = static_cast<size_t>(bad_at);
    while (at < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[at]))) ++at;
    const long line = 1 + std::count(bytes.begin(), bytes.begin() + static_cast<long>(at), '\n');
    size_t end = bytes.find('\n', at);
    if (end == std::string::npos) end = bytes.size();
    std::string text = bytes.substr(at, std::min<size_t>(end - at, 40));
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) > 126) c = '?';
    return shown_name + ":" + std::to_string(line) + ": " + what + " \"" + text + "\"";
}
