// One frame of physics: step_sheet for both sheets and update_cloud, with the
// anchors moving and the roots placed as in the show, against the plain
// reference that the tests hold it to. Both start from the same warmed state.
#include <benchmark/benchmark.h>

#include <cmath>

#include "core/parallel.h"
#include "core/random.h"
#include "physics/cloth.h"
#include "physics/cloud.h"
#include "physics_oracle.h"

namespace {

void move_anchors(ClothSheet& s, int frame, double phase) {
    double a = frame * 0.05 + phase;
    s.anchor_offset = {0.6 * std::sin(a), 0.45 * std::cos(a * 1.3), 0.3 * std::sin(a * 0.7)};
    s.anchor_spin = static_cast<float>(frame * 0.031);
    s.anchor_tilt = static_cast<float>(std::sin(frame * 0.02));
}

struct Warm {
    ClothSheet a, b;
    Warm() : a(copy_sheet(cloth_a)), b(copy_sheet(cloth_b)) {
        random_seed(7);
        init_cloud();
        for (int f = 0; f < 200; f++) frame(f);
    }
    void frame(int f) {
        update_cloud(1.0);
        step_sheet(a, 0.1f);
        step_sheet(b, 0.1f);
        move_anchors(a, f, 0);
        move_anchors(b, f, 1);
        place_roots(a);
        place_roots(b);
    }
};

const Warm& warm() {
    static Warm w;
    return w;
}

// Argument: the widest vectors allowed, in doubles (8 AVX-512, 4 AVX2, 2
// SSE2), where the processor has them.
void frame_physics(benchmark::State& state) {
    state.counters["width"] = limit_vector_width(static_cast<int>(state.range(0)));
    ClothSheet a = copy_sheet(warm().a), b = copy_sheet(warm().b);
    int f = 200;
    for (auto _ : state) {
        update_cloud(1.0);
        step_sheet(a, 0.1f);
        step_sheet(b, 0.1f);
        move_anchors(a, f, 0);
        move_anchors(b, f, 1);
        place_roots(a);
        place_roots(b);
        f++;
        benchmark::ClobberMemory();
    }
    limit_vector_width(8);
}

// A slow frame's six steps of both sheets: in one call, each block of strands
// kept in its vectors through the six (1), or one call a step (0, before).
void six_step_frame(benchmark::State& state) {
    ClothSheet a = copy_sheet(warm().a), b = copy_sheet(warm().b);
    const SheetSubsteps steps = split_sheet_step(6.0f);
    for (auto _ : state) {
        for (ClothSheet* s : {&a, &b}) {
            if (state.range(0) == 1) {
                step_sheet_for_frame(*s, 6.0f);
            } else {
                for (int k = 0; k < steps.count; k++) step_sheet(*s, steps.dt);
            }
        }
        benchmark::ClobberMemory();
    }
    state.counters["steps"] = steps.count;
}

void frame_physics_reference(benchmark::State& state) {
    OracleSheet a = oracle_copy(warm().a), b = oracle_copy(warm().b);
    ClothSheet inputs = copy_sheet(warm().a);
    int f = 200;
    for (auto _ : state) {
        update_cloud(1.0);
        oracle_step(a, 0.1f);
        oracle_step(b, 0.1f);
        move_anchors(inputs, f, 0);
        a.offset = inputs.anchor_offset;
        a.spin = inputs.anchor_spin;
        a.tilt = inputs.anchor_tilt;
        move_anchors(inputs, f, 1);
        b.offset = inputs.anchor_offset;
        b.spin = inputs.anchor_spin;
        b.tilt = inputs.anchor_tilt;
        oracle_place_roots(a);
        oracle_place_roots(b);
        f++;
        benchmark::ClobberMemory();
    }
}

void place_roots_only(benchmark::State& state) {
    ClothSheet a = copy_sheet(warm().a), b = copy_sheet(warm().b);
    for (auto _ : state) {
        place_roots(a);
        place_roots(b);
        benchmark::ClobberMemory();
    }
}

void cloud_only(benchmark::State& state) {
    for (auto _ : state) {
        update_cloud(1.0);
        benchmark::ClobberMemory();
    }
}

// The same frame's steps, the two sheets side by side on two threads (1) or
// one after the other on one (0). Real time, as the helper's work is not the
// benchmark thread's.
void six_step_frame_halves(benchmark::State& state) {
    ClothSheet a = copy_sheet(warm().a), b = copy_sheet(warm().b);
    const HelperUse before = use_helper_thread(state.range(0) == 1 ? HelperUse::always : HelperUse::never);
    for (auto _ : state) {
        run_parts(2, [&](int sheet) { step_sheet_for_frame(sheet == 0 ? a : b, 6.0f); });
        benchmark::ClobberMemory();
    }
    use_helper_thread(before);
}

}  // namespace

BENCHMARK(frame_physics)->Arg(8)->Arg(4)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(six_step_frame)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(six_step_frame_halves)->Arg(1)->Arg(0)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(frame_physics_reference)->Unit(benchmark::kMicrosecond);
BENCHMARK(place_roots_only)->Unit(benchmark::kMicrosecond);
BENCHMARK(cloud_only)->Unit(benchmark::kMicrosecond);
