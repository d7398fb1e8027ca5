// recording.cpp: from the key recording to a storyboard (see recording.h).
#include "recording.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

bool is_quit_key(unsigned char key) { return key == 27 || key == 'q'; }

bool is_space(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// One line as the recorder writes it: a number, one space, one key that is
// not white space. Anything else (a line cut short by a crash, an edit) is
// left for the caller to report.
bool parse_line(const std::string& line, float& seconds, unsigned char& key) {
    if (line.empty() || is_space(static_cast<unsigned char>(line[0]))) return false;
    const char* start = line.c_str();
    char* end = nullptr;
    seconds = std::strtof(start, &end);
    const size_t at = static_cast<size_t>(end - start);
    if (end == start || !std::isfinite(seconds) || seconds < 0) return false;
    if (at + 2 != line.size() || line[at] != ' ') return false;
    key = static_cast<unsigned char>(line[at + 1]);
    return key != 0 && !is_space(key);
}

}  // namespace

Recording parse_recording(const std::string& text) {
    Recording r;
    size_t from = 0;
    int line = 0;
    float last = -1;
    while (from < text.size()) {
        size_t end = text.find('\n', from);
        if (end == std::string::npos) end = text.size();
        const std::string s = text.substr(from, end - from);
        from = end + 1;
        ++line;
        if (s.empty()) continue;
        RecordedPress p{0, 0, line, 0};
        if (!parse_line(s, p.seconds, p.key)) {
            r.bad_lines.push_back(line);
            continue;
        }
        // Nothing follows a quit key in its own run.
        const bool after_quit = !r.presses.empty() && is_quit_key(r.presses.back().key);
        if (r.runs == 0 || p.seconds < last || after_quit) ++r.runs;
        last = p.seconds;
        p.run = r.runs - 1;
        r.presses.push_back(p);
    }
    return r;
}

std::vector<RecordedPress> presses_to_replay(const Recording& r, bool all_runs, int& quit_keys_dropped) {
    std::vector<RecordedPress> kept;
    quit_keys_dropped = 0;
    for (const RecordedPress& p : r.presses) {
        if (!all_runs && p.run != r.runs - 1) continue;
        // A replayed quit key would end the show there.
        if (is_quit_key(p.key)) {
            ++quit_keys_dropped;
            continue;
        }
        kept.push_back(p);
    }
    std::stable_sort(kept.begin(), kept.end(),
                     [](const RecordedPress& a, const RecordedPress& b) { return a.seconds < b.seconds; });
    return kept;
}
