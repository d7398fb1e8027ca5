// overlay_text.cpp: the overlay's lines (see overlay_text.h).
#include "overlay_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "sync/commands.h"

namespace {

// Keys quoted, so a "." or "," reads as a key and not as punctuation.
std::string record_text(const StoryRecord& r) {
    char key[16];
    if (r.key == 27)
        std::snprintf(key, sizeof key, "<Esc>");
    else
        std::snprintf(key, sizeof key, "'%c'", r.key);
    char s[64];
    std::snprintf(s, sizeof s, "%.2f %s", static_cast<double>(r.seconds), key);
    return s;
}

// The last record fired, with what its key did (nothing for a key without a
// command, or one kept out of documents).
std::string fired_text(const StoryRecord& r) {
    const CommandKey* command = find_command_key(r.key);
    return record_text(r) + (command && command->words ? std::string(" ") + command->words : "");
}

std::string format(const char* pattern, double a, double b = 0) {
    char s[128];
    std::snprintf(s, sizeof s, pattern, a, b);
    return s;
}

}  // namespace

std::string clock_text(double seconds) {
    const long hundredths = std::lround(std::max(0.0, seconds) * 100);
    char s[32];
    std::snprintf(s, sizeof s, "%02ld:%02ld.%02ld", hundredths / 6000, hundredths / 100 % 60,
                  hundredths % 100);
    return s;
}

BarBeat bar_and_beat(double seconds, double bar_seconds) {
    // A hair over, so a time written as a whole beat counts as that beat.
    const double beats = std::max(0.0, seconds) / (bar_seconds / 4) + 1e-9;
    const long whole = static_cast<long>(std::floor(beats));
    return BarBeat{static_cast<int>(whole / 4 + 1), static_cast<int>(whole % 4 + 1)};
}

std::vector<std::string> overlay_lines(const OverlayFacts& f) {
    std::vector<std::string> lines;
    const BarBeat place = bar_and_beat(f.seconds, f.bar_seconds);
    lines.push_back(clock_text(f.seconds) + "  bar " + std::to_string(place.bar) + " beat " +
                    std::to_string(place.beat) + "  " + f.section + (f.paused ? "  PAUSED" : ""));
    lines.push_back(format("frame %.1f ms  %.0f fps", f.frame_ms, f.fps));

    // The replay fires a record once its time is at or below the clock.
    const std::vector<StoryRecord>& records = *f.records;
    auto next = std::upper_bound(records.begin(), records.end(), f.record_clock,
                                 [](float t, const StoryRecord& r) { return t < r.seconds; });
    std::string last = next == records.begin() ? "-" : fired_text(*(next - 1));
    std::string coming;
    for (int i = 0; i < 3 && next != records.end(); ++i, ++next)
        coming += (coming.empty() ? "" : "   ") + record_text(*next);
    lines.push_back("last " + last + "   next " + (coming.empty() ? "-" : coming));
    lines.push_back(f.loop ? format("loop %.2f - %.2f s", f.loop_start, f.loop_end)
                           : format("from %.2f s", f.home));
    std::vector<std::string> trouble;
    if (!f.error.empty()) trouble.push_back("storyboard not loaded: " + f.error);
    // A storyboard with thousands of bad records would fill the screen:
    // the first few, and where the rest are.
    constexpr size_t findings_shown = 4;
    const size_t findings = f.findings ? f.findings->size() : 0;
    for (size_t i = 0; i < findings && i < findings_shown; ++i) trouble.push_back((*f.findings)[i]);
    if (findings > findings_shown)
        trouble.push_back("... " + std::to_string(findings - findings_shown) + " more on standard error");
    for (const std::string& t : trouble)
        for (std::string& l : wrap_text(t, f.columns)) lines.push_back(std::move(l));
    return lines;
}

std::vector<std::string> wrap_text(const std::string& text, int columns) {
    if (columns < 8 || static_cast<int>(text.size()) <= columns) return {text};
    std::vector<std::string> lines;
    std::string rest = text;
    const std::string indent = "  ";
    while (static_cast<int>(rest.size()) > columns) {
        size_t cut = rest.rfind(' ', static_cast<size_t>(columns));
        // No space late enough: cut the word itself.
        if (cut == std::string::npos || cut <= indent.size() + 1) cut = static_cast<size_t>(columns);
        lines.push_back(rest.substr(0, cut));
        size_t next = cut;
        while (next < rest.size() && rest[next] == ' ') ++next;
        rest = indent + rest.substr(next);
    }
    lines.push_back(rest);
    return lines;
}
