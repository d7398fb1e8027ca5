// cues.cpp: the cue sheet compiler (see cues.h).
#include "cues.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

bool compile_cue_sheet(const std::string& path, CueSheet& sheet, std::string& error) {
    sheet = CueSheet{};
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = printable(path) + ": can't read the cue sheet";
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return compile_cues(text.str(), path, sheet.cues, error, &sheet.tempo);
}

bool write_storyboard(const CueSheet& sheet, const std::string& path) {
    std::FILE* out = std::fopen(path.c_str(), "w");
    if (!out) return false;
    for (const Cue& c : sheet.cues) std::fprintf(out, "%f %c\n", static_cast<float>(c.seconds), c.key);
    return std::fclose(out) == 0;
}
