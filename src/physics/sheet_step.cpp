// sheet_step.cpp: one whole step of a sheet, strand by strand.
//
// No spring joins two strands, so a strand can run all eight stages of a step
// on its own, in the same order of operations as the stage functions of
// dynamics.cpp, and end in the same bits. The only coupling is the normals of
// the first and last strand, copied from their neighbours; those two strands
// run last, from normals kept while their neighbours ran. Several strands run
// side by side in the lanes of vectors (sheet_kernel.inc), built for SSE2,
// AVX2 and AVX-512, the widest the processor has chosen at run time. IEEE
// division and square root round the same in every lane width, so all give
// the same bits. A sheet whose shape is not the built one takes the stage
// functions instead.
// Depends on physics/cloth.h.
#include <immintrin.h>

#include <utility>

#include "physics/cloth.h"

// The vector types below never cross this file's boundary.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace {

namespace sse2 {
constexpr int NW = 2;
typedef double nv __attribute__((vector_size(16)));
typedef long long nm __attribute__((vector_size(16)));
[[gnu::always_inline]] inline nv sqrt_n(nv x) { return _mm_sqrt_pd(x); }
[[gnu::always_inline]] inline nv to_float_n(nv x) { return _mm_cvtps_pd(_mm_cvtpd_ps(x)); }
[[gnu::always_inline]] inline bool any_n(nm m) { return _mm_movemask_pd(__m128d(m)) != 0; }
#include "physics/sheet_kernel.inc"
}  // namespace sse2

#pragma GCC push_options
#pragma GCC target("avx2")
namespace avx2 {
constexpr int NW = 4;
typedef double nv __attribute__((vector_size(32)));
typedef long long nm __attribute__((vector_size(32)));
[[gnu::always_inline]] inline nv sqrt_n(nv x) { return _mm256_sqrt_pd(x); }
[[gnu::always_inline]] inline nv to_float_n(nv x) { return _mm256_cvtps_pd(_mm256_cvtpd_ps(x)); }
[[gnu::always_inline]] inline bool any_n(nm m) { return _mm256_movemask_pd(__m256d(m)) != 0; }
#include "physics/sheet_kernel.inc"
}  // namespace avx2
#pragma GCC pop_options

#pragma GCC push_options
#pragma GCC target("avx512f")
namespace avx512 {
constexpr int NW = 8;
typedef double nv __attribute__((vector_size(64)));
typedef long long nm __attribute__((vector_size(64)));
// The zero-masked forms: the plain ones start from an undefined vector, which
// GCC 12 warns about.
[[gnu::always_inline]] inline nv sqrt_n(nv x) { return _mm512_maskz_sqrt_pd(0xff, x); }
[[gnu::always_inline]] inline nv to_float_n(nv x) {
    return _mm512_maskz_cvtps_pd(0xff, _mm512_maskz_cvtpd_ps(0xff, x));
}
[[gnu::always_inline]] inline bool any_n(nm m) { return _mm512_test_epi64_mask(__m512i(m), __m512i(m)) != 0; }
#include "physics/sheet_kernel.inc"
}  // namespace avx512
#pragma GCC pop_options

int widest_allowed = 8;  // doubles per vector

// The widest vectors both the processor and widest_allowed take.
int vector_width() {
    static const int widest = __builtin_cpu_supports("avx512f") ? 8 : __builtin_cpu_supports("avx2") ? 4 : 2;
    return widest < widest_allowed ? widest : widest_allowed;
}

// The strand-by-strand path relies on the built shape and spring order.
bool has_built_shape(const ClothSheet& s) {
    constexpr int R = sheet_rows;
    const int S = s.columns;
    if (s.rows != R || S < 3 || s.springs.size() != static_cast<size_t>(2 * R - 3) * S ||
        s.particles.size() != static_cast<size_t>(R) * S)
        return false;
    const Particle* base = s.particles.data();
    const Spring& first2 = s.springs[static_cast<size_t>(R - 1) * S];
    const Spring& last = s.springs.back();
    return s.springs[0].a == base && s.springs[0].b == base + S && first2.a == base &&
           first2.b == base + 2 * S && last.a == base + static_cast<size_t>(R - 3) * S + S - 1 &&
           last.b == base + static_cast<size_t>(R - 1) * S + S - 1;
}

void step_sheet_by_stages(ClothSheet& s, float dt) {
    compute_forces(s);
    push_from_core(s);
    half_step(s, dt);
    for (Spring& sp : s.springs) limit_stretch(sp, s.stretch_percent);
    compute_forces(s);
    push_from_core(s);
    full_step(s, dt);
    for (Spring& sp : s.springs) limit_stretch(sp, s.stretch_percent);
}

}  // namespace

int limit_vector_width(int doubles) {
    widest_allowed = doubles;
    return vector_width();
}

namespace {
// `count` whole steps of `dt`, as many calls of step_sheet would take them.
void step_sheet_times(ClothSheet& s, float dt, int count) {
    if (!has_built_shape(s))
        for (int k = 0; k < count; k++) step_sheet_by_stages(s, dt);
    else if (const int width = vector_width(); width == 8)
        avx512::step_strands(s, dt, count);
    else if (width == 4)
        avx2::step_strands(s, dt, count);
    else
        sse2::step_strands(s, dt, count);
}
}  // namespace

void step_sheet(ClothSheet& s, float dt) { step_sheet_times(s, dt, 1); }

void step_sheet_for_frame(ClothSheet& s, float frame_step) {
    const SheetSubsteps steps = split_sheet_step(frame_step);
    step_sheet_times(s, steps.dt, steps.count);
}
