// cuesheet.cpp: tangle-cues, turns a readable cue sheet into a storyboard.
//
// A cue sheet is text, one cue per line:
//     tempo 120            beats per minute (before the first cue)
//     # a comment          (also after a cue)
//     == Title ==          a section heading, for people; ignored
//     12.3  8              bar 12, beat 3 (both from 1): fire key "8"
//     12.3.5  +-           half a beat later: "+", then "-" at the same time
// Several keys on one line fire in the order written. The output is the
// storyboard format "%f %c\n" sorted by time, so it is also a file a person
// can edit or re-record.
//   tangle-cues SHEET OUT
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Cue {
    double seconds;
    char key;
    int line;
};

[[noreturn]] void fail(const std::string& where, const std::string& what) {
    std::fprintf(stderr, "tangle-cues: %s: %s\n", where.c_str(), what.c_str());
    std::exit(1);
}

// "bar.beat" or "bar.beat.fraction" (fraction in tenths of a beat: .5 is half).
double position_in_beats(const std::string& text, const std::string& where) {
    int bar = 0, beat = 0, tenth = 0;
    char tail = 0;
    int n = std::sscanf(text.c_str(), "%d.%d.%d%c", &bar, &beat, &tenth, &tail);
    if (n < 2 || n > 3 || bar < 1 || beat < 1 || beat > 4 || tenth < 0 || tenth > 9)
        fail(where, "position \"" + text + "\" is not BAR.BEAT or BAR.BEAT.TENTH");
    return (bar - 1) * 4 + (beat - 1) + tenth / 10.0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: tangle-cues SHEET OUT\n");
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) fail(argv[1], "can't read the cue sheet");
    double tempo = 120;
    std::vector<Cue> cues;
    std::string line;
    for (int number = 1; std::getline(in, line); number++) {
        std::string where = std::string(argv[1]) + ":" + std::to_string(number);
        if (size_t hash = line.find('#'); hash != std::string::npos && (hash == 0 || line[hash - 1] == ' '))
            line.erase(hash);
        std::istringstream words(line);
        std::string first;
        if (!(words >> first) || first.rfind("==", 0) == 0) continue;
        if (first == "tempo") {
            if (!(words >> tempo) || tempo <= 0) fail(where, "tempo needs beats per minute");
            continue;
        }
        double beats = position_in_beats(first, where);
        std::string keys;
        if (!(words >> keys)) fail(where, "a cue needs its keys");
        for (char k : keys) {
            if (k < 27 || k > 122) fail(where, std::string("key \"") + k + "\" has no command");
            cues.push_back({beats * 60.0 / tempo, k, number});
        }
    }
    // Stable: keys of one line, and lines at one time, keep their written order.
    std::stable_sort(cues.begin(), cues.end(),
                     [](const Cue& a, const Cue& b) { return a.seconds < b.seconds; });
    FILE* out = std::fopen(argv[2], "w");
    if (!out) fail(argv[2], "can't write the storyboard");
    for (const Cue& c : cues) std::fprintf(out, "%f %c\n", static_cast<float>(c.seconds), c.key);
    if (std::fclose(out) != 0) fail(argv[2], "can't write the storyboard");
    std::fprintf(stderr, "tangle-cues: %zu cues written to %s\n", cues.size(), argv[2]);
    return 0;
}
