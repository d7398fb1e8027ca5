// parallel.h: a second thread for work that splits into parts which write
// nothing in common: the two sheets' steps, the widening of a pass of lines,
// the fin corners of a sheet.
//
// Each part does exactly the work it would do alone and all are finished
// before run_parts returns, so what they compute cannot depend on which
// thread ran which part or how they interleaved: pictures and state stay the
// same bits with the helper on or off. Depends on the C++ thread library.
#pragma once

#include <cstddef>
#include <type_traits>

// Runs work(context, part) for every part from 0 to count - 1 (at most
// 65,535), the calling thread and the helper each taking the next part not
// yet taken, and returns when all are done. All run here, in order, where
// the helper is not to be used (below), or when called from within a part.
// An exception thrown by a part reaches the caller (that of the lowest part
// if several throw) after every part is done.
void run_parts(int count, void (*work)(void* context, int part), void* context);

// The same for any callable taking the part.
template <class Work>
void run_parts(int count, Work&& work) {
    using W = std::remove_reference_t<Work>;
    run_parts(
        count, [](void* context, int part) { (*static_cast<W*>(context))(part); }, &work);
}

// When jobs share their parts with the helper thread.
enum class HelperUse {
    // Only with a processor to spare besides the two threads (three or more
    // in all): a job waits for the part the helper has taken, so on two
    // processors anything else the system runs (the window system, sound, a
    // driver's thread) can stop the helper mid-part and the frame with it.
    // Measured on two: worst frames of 12-22 ms against under 11 alone.
    spare,
    always,  // with two processors or more: where only the total time counts
    never,
};
// Sets when the helper is used (spare to begin with); returns the setting before.
HelperUse use_helper_thread(HelperUse use);

// How many parts to cut work into that could go in `count` parts: `count`
// where run_parts would share them with the helper now, else 1, as parts
// done one after the other only cost (a mesh and a draw each, for lines).
int parts_to_share(int count);

// Where part `part` of `parts` equal parts of `count` items starts; it ends
// where the next starts, the last at count.
inline size_t part_begin(size_t count, int part, int parts) {
    return count * static_cast<size_t>(part) / static_cast<size_t>(parts);
}
