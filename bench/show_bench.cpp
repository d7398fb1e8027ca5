// One frame of the show stepped without GL (advance, update, credits scroll),
// at 30 frames a second from a given second of the shipped show on. Run under
// a display (the show starts up as usual): xvfb-run build/bench_show
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "driver.h"

namespace {

long frame = 0;

void start_once() {
    static bool started = false;
    if (started) return;
    started = true;
    DriverOptions o;
    const char* src = std::getenv("TANGLE_SOURCE_DIR");
    o.data_dir = std::string(src ? src : ".") + "/data";
    o.fps = 30;
    driver_start(o);
}

// Arguments are seconds of the show, increasing: each run first steps there.
void bm_step_frame(benchmark::State& state) {
    start_once();
    const long from = state.range(0) * 30;
    while (frame < from) driver_step_frame(frame++);
    for (auto _ : state) driver_step_frame(frame++);
}
// 300 frames each: the ten seconds from each argument on.
BENCHMARK(bm_step_frame)
    ->Arg(10)
    ->Arg(60)
    ->Arg(120)
    ->Arg(170)
    ->Arg(200)
    ->Iterations(300)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
