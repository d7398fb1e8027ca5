// Fuzz target: any bytes as a cue sheet. A sheet that compiles gives cues in
// time order, each a key with a command at a time a float holds; one that
// doesn't gives a message of printable characters only.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "cue_compile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<Cue> cues;
    std::string error;
    if (compile_cues(text, "sheet", cues, error)) {
        for (size_t i = 0; i < cues.size(); ++i) {
            if (cues[i].key < 27 || cues[i].key > 122) std::abort();
            if (!std::isfinite(static_cast<float>(cues[i].seconds)) || cues[i].seconds < 0) std::abort();
            if (i > 0 && cues[i].seconds < cues[i - 1].seconds) std::abort();
        }
    } else {
        if (error.rfind("sheet:", 0) != 0) std::abort();
        for (unsigned char c : error)
            if (c < 32 || c > 126) std::abort();
    }
    return 0;
}
