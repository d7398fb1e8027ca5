// cues.cpp: the cue sheet compiler (see cues.h).
#include "cues.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

// "bar.beat" or "bar.beat.fraction" (fraction in tenths of a beat: .5 is half);
// negative when the text is neither.
double position_in_beats(const std::string& text) {
    int bar = 0, beat = 0, tenth = 0;
    char tail = 0;
    int n = std::sscanf(text.c_str(), "%d.%d.%d%c", &bar, &beat, &tenth, &tail);
    if (n < 2 || n > 3 || bar < 1 || beat < 1 || beat > 4 || tenth < 0 || tenth > 9) return -1;
    return (bar - 1) * 4 + (beat - 1) + tenth / 10.0;
}

}  // namespace

bool compile_cue_sheet(const std::string& path, CueSheet& sheet, std::string& error) {
    sheet = CueSheet{};
    std::ifstream in(path);
    if (!in) {
        error = path + ": can't read the cue sheet";
        return false;
    }
    double tempo = 120;
    bool tempo_taken = false;
    std::string line;
    for (int number = 1; std::getline(in, line); number++) {
        const std::string where = path + ":" + std::to_string(number) + ": ";
        if (size_t hash = line.find('#'); hash != std::string::npos && (hash == 0 || line[hash - 1] == ' '))
            line.erase(hash);
        std::istringstream words(line);
        std::string first;
        if (!(words >> first) || first.rfind("==", 0) == 0) continue;
        if (first == "tempo") {
            if (!(words >> tempo) || tempo <= 0) {
                error = where + "tempo needs beats per minute";
                return false;
            }
            continue;
        }
        const double beats = position_in_beats(first);
        if (beats < 0) {
            error = where + "position \"" + first + "\" is not BAR.BEAT or BAR.BEAT.TENTH";
            return false;
        }
        std::string keys;
        if (!(words >> keys)) {
            error = where + "a cue needs its keys";
            return false;
        }
        if (!tempo_taken) sheet.tempo = tempo, tempo_taken = true;
        for (char k : keys) {
            if (k < 27 || k > 122) {
                error = where + "key \"" + k + "\" has no command";
                return false;
            }
            sheet.cues.push_back({beats * 60.0 / tempo, k, number});
        }
    }
    if (!tempo_taken) sheet.tempo = tempo;
    // Stable: keys of one line, and lines at one time, keep their written order.
    std::stable_sort(sheet.cues.begin(), sheet.cues.end(),
                     [](const Cue& a, const Cue& b) { return a.seconds < b.seconds; });
    return true;
}

bool write_storyboard(const CueSheet& sheet, const std::string& path) {
    std::FILE* out = std::fopen(path.c_str(), "w");
    if (!out) return false;
    for (const Cue& c : sheet.cues) std::fprintf(out, "%f %c\n", static_cast<float>(c.seconds), c.key);
    return std::fclose(out) == 0;
}
