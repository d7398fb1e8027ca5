// parallel.h: a second thread for work that splits into two halves which
// write nothing in common: the two sheets' steps, the widening of a pass of
// lines, the fin corners of a sheet.
//
// Each half does exactly the work it would do alone and both are finished
// before run_halves returns, so what the halves compute cannot depend on
// whether the helper thread exists or how the two interleave: pictures and
// state stay the same bits with the helper on or off. Depends on the C++
// thread library.
#pragma once

#include <cstddef>
#include <type_traits>

// Runs work(context, 1) on the helper thread and work(context, 0) on the
// calling one, and returns when both are done. Both run here, half 0 first,
// on a machine with one processor, when the helper is turned off, or when
// called from within a half. An exception thrown by a half reaches the caller
// (the first half's if both throw) after both are done.
void run_halves(void (*work)(void* context, int half), void* context);

// The same for any callable taking the half (0 or 1).
template <class Work>
void run_halves(Work&& work) {
    using W = std::remove_reference_t<Work>;
    run_halves([](void* context, int half) { (*static_cast<W*>(context))(half); }, &work);
}

// Turns the helper thread on (the default) or off; for comparing the two.
void allow_helper_thread(bool allowed);

// Where half `half` of `count` items starts: 0 for the first half, count / 2
// for the second, which ends at count.
inline size_t half_begin(size_t count, int half) { return half == 0 ? 0 : count / 2; }
inline size_t half_end(size_t count, int half) { return half == 0 ? count / 2 : count; }
