// cue_compile.h: a cue sheet (bars and beats) turned into storyboard records.
//
// Depends on nothing but the C++ library: text in, records or one error
// out, so the compiler can run on any input, fuzzed included. The sheet's
// format is described in cuesheet.cpp.
#pragma once

#include <string>
#include <vector>

struct Cue {
    double seconds;
    char key;
    int line;
};

// Compiles `text` (the sheet named `name` in messages) into cues sorted by
// time, keys of one line and lines at one time in their written order. On a
// bad line, false with `error` naming "name:line" and what is wrong, with
// every byte that isn't printable written as an escape.
// The tempo in force at the first cue goes to `tempo_at_first_cue` when given.
bool compile_cues(const std::string& text, const std::string& name, std::vector<Cue>& cues,
                  std::string& error, double* tempo_at_first_cue = nullptr);

// `text` with bytes outside printable ASCII (NUL included) as \xHH escapes,
// and backslashes and quotes escaped, so a message shows exactly what it quotes.
std::string printable(const std::string& text);
