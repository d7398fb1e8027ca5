// cue_compile.cpp: the cue sheet compiler (see cue_compile.h).
//
// Depends on nothing but the C++ library. Positions are parsed digit by
// digit, so no number can overflow and a NUL byte never cuts a word short.
#include "cue_compile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace {

constexpr long max_bar = 1000000;  // far past any show; keeps times finite as floats

struct BadLine {
    std::string what;
};

[[noreturn]] void bad(const std::string& what) { throw BadLine{what}; }

// Digits from `at` on into `value`; false when there are none or too many.
bool read_digits(const std::string& text, size_t& at, long& value) {
    size_t start = at;
    value = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
        if (at - start >= 7) return false;
        value = value * 10 + (text[at++] - '0');
    }
    return at > start;
}

// "bar.beat" or "bar.beat.fraction" (fraction in tenths of a beat: .5 is half).
double position_in_beats(const std::string& text) {
    size_t at = 0;
    long bar = 0, beat = 0, tenth = 0;
    bool ok =
        read_digits(text, at, bar) && at < text.size() && text[at++] == '.' && read_digits(text, at, beat);
    if (ok && at < text.size()) ok = text[at++] == '.' && read_digits(text, at, tenth) && at == text.size();
    if (!ok || bar < 1 || bar > max_bar || beat < 1 || beat > 4 || tenth > 9) {
        // A field of megabytes is named by its start, not repeated whole.
        const std::string shown = text.size() > 40 ? printable(text.substr(0, 40)) + "...\" (" +
                                                         std::to_string(text.size()) + " bytes)"
                                                   : printable(text) + "\"";
        bad("position \"" + shown + " is not BAR.BEAT or BAR.BEAT.TENTH");
    }
    return static_cast<double>((bar - 1) * 4 + (beat - 1)) + tenth / 10.0;
}

void compile_line(std::string line, std::vector<Cue>& cues, double& tempo, double& first_tempo, int number) {
    if (size_t hash = line.find('#'); hash != std::string::npos && (hash == 0 || line[hash - 1] == ' '))
        line.erase(hash);
    std::istringstream words(line);
    std::string first;
    if (!(words >> first) || first.rfind("==", 0) == 0) return;
    if (first == "tempo") {
        std::string value;
        words >> value;
        char* end = nullptr;
        double t = std::strtod(value.c_str(), &end);
        if (value.empty() || *end != '\0' || end != value.c_str() + value.size() || !(t >= 1 && t <= 1000))
            bad("tempo needs beats per minute, 1 to 1000");
        tempo = t;
        return;
    }
    double beats = position_in_beats(first);
    std::string keys;
    if (!(words >> keys)) bad("a cue needs its keys");
    if (cues.empty()) first_tempo = tempo;
    for (char k : keys) {
        if (k < 27 || k > 122) bad("key \"" + printable(std::string(1, k)) + "\" has no command");
        cues.push_back({beats * 60.0 / tempo, k, number});
    }
}

}  // namespace

std::string printable(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c == '\\' || c == '"') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 32 && c < 127) {
            out += static_cast<char>(c);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", c);
            out += escape;
        }
    }
    return out;
}

bool compile_cues(const std::string& text, const std::string& name, std::vector<Cue>& cues,
                  std::string& error, double* tempo_at_first_cue) {
    cues.clear();
    double tempo = 120, first_tempo = 0;
    std::istringstream in(text);
    std::string line;
    int number = 1;
    try {
        for (; std::getline(in, line); number++) compile_line(line, cues, tempo, first_tempo, number);
    } catch (const BadLine& e) {
        error = printable(name) + ":" + std::to_string(number) + ": " + e.what;
        return false;
    }
    if (tempo_at_first_cue) *tempo_at_first_cue = cues.empty() ? tempo : first_tempo;
    // Stable: keys of one line, and lines at one time, keep their written order.
    std::stable_sort(cues.begin(), cues.end(),
                     [](const Cue& a, const Cue& b) { return a.seconds < b.seconds; });
    return true;
}
