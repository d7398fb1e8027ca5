// Fuzz target: any bytes as the show's storyboard file. The loader must read
// them without fault, and the indexed replay must fire exactly what a plain
// pass over the whole table fires, at every time, in the same order.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include <unistd.h>

#include "sync/storyboard.h"

namespace {

std::string fired;
void note(int index) { fired += static_cast<char>(index + 27); }

float saved_times[storyboard_capacity];
char saved_keys[storyboard_capacity];

std::string replay_all(void (*replay)(float, void (*)(int))) {
    // Few times: each plain pass walks the whole table.
    static const float times[] = {0.5f, std::numeric_limits<float>::infinity()};
    fired.clear();
    for (float t : times) {
        replay(t, note);
        fired += '|';
    }
    return fired;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/tangle-fuzz-keys-" + std::to_string(getpid()) + ".dat";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    StoryboardLoad load = load_storyboard(path.c_str());
    if (!load.opened || load.slots_read < 0 || load.slots_read > storyboard_capacity) std::abort();
    std::memcpy(saved_times, storyboard_times, sizeof saved_times);
    std::memcpy(saved_keys, storyboard_keys, sizeof saved_keys);
    std::string indexed = replay_all(replay_storyboard);
    std::memcpy(storyboard_times, saved_times, sizeof saved_times);
    std::memcpy(storyboard_keys, saved_keys, sizeof saved_keys);
    index_storyboard();
    if (replay_all(replay_storyboard_full) != indexed) std::abort();
    return 0;
}
