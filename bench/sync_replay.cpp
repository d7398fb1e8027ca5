// Per-frame cost of replaying a show-sized storyboard (a few hundred records
// over five minutes of music) at 60 frames a second: the skipping replay and
// the plain pass over the whole table. Commands are counted, not run, so
// only the replay itself is measured.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "sync/storyboard.h"

namespace {

const char* const keys = "+-.123;=@ABCDEFGHI[]defhnprstuyz";
int commands_fired = 0;
void count_fire(int) { ++commands_fired; }

const std::string& storyboard_file() {
    static const std::string path = [] {
        std::string name = "/tmp/tangle-bench-keys-XXXXXX";
        const int fd = mkstemp(name.data());
        std::FILE* f = fdopen(fd, "w");
        std::mt19937 rng(7);
        std::uniform_real_distribution<double> jitter(-2.0, 2.0);
        std::uniform_int_distribution<int> key(0, 31);
        // Mostly in time order, as a recording is, with a few out of place.
        for (int i = 0; i < 400; ++i) std::fprintf(f, "%f %c\n", i * 0.75 + jitter(rng), keys[key(rng)]);
        std::fclose(f);
        static std::string to_remove = name;
        std::atexit([] { std::remove(to_remove.c_str()); });
        return name;
    }();
    return path;
}

template <void (*Replay)(float, void (*)(int))>
void replay_frames(benchmark::State& state) {
    const float frame = 1.0f / 60.0f, show_end = 310.0f;
    load_storyboard(storyboard_file().c_str());
    float t = 0;
    commands_fired = 0;
    long frames = 0;
    for (auto _ : state) {
        Replay(t, count_fire);
        t += frame;
        ++frames;
        if (t > show_end) {
            state.PauseTiming();
            load_storyboard(storyboard_file().c_str());
            t = 0;
            state.ResumeTiming();
        }
    }
    state.counters["commands_per_frame"] =
        benchmark::Counter(static_cast<double>(commands_fired) / static_cast<double>(frames));
}

void replay_skipping(float t, void (*fire)(int)) { replay_storyboard(t, fire); }
void replay_plain(float t, void (*fire)(int)) { replay_storyboard_full(t, fire); }

}  // namespace

BENCHMARK(replay_frames<replay_skipping>)->Name("storyboard_replay_per_frame/skipping");
BENCHMARK(replay_frames<replay_plain>)->Name("storyboard_replay_per_frame/plain_pass");
