// replay.cpp: firing storyboard events as the music reaches them.
//
// The plain pass walks all 1,126,000 slots every frame. The replay instead
// keeps, from the last indexing, the unfired slots before the first end marker
// ordered by (time, slot), so each frame only looks at the next few of them,
// and the run of equal times that ends the table (the empty fill, or the
// zeroed slots behind a bad record) as one block that comes due all at once.
// Both fire the same slots in the same order: the due slots of a frame are
// those with time <= t, fired in slot order, and the block's slots come last.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "sync/storyboard.h"

namespace {
int32_t pending[storyboard_capacity];  // unfired slots before the tail block, by (time, slot)
int pending_next = 0;                  // pending[0 .. pending_next) have fired
int pending_count = 0;
int tail_begin = 0, tail_end = 0;  // the block of equal times that ends the scanned part
bool tail_waiting = false;         // the block has yet to fire
// The times as the last indexing found them, so a rewind can unfire every slot.
std::vector<float> indexed_times;
ReplayPosition replayed;

uint32_t time_bits(float time) {
    uint32_t bits;
    std::memcpy(&bits, &time, sizeof bits);
    return bits;
}

void fire_slot(int slot, void (*fire)(int)) {
    if (storyboard_times[slot] == storyboard_consumed) return;  // fired by a plain pass
    const int key = static_cast<unsigned char>(storyboard_keys[slot]);
    if (key >= 27 && key <= 122) fire(key - 27);
    storyboard_times[slot] = storyboard_consumed;
}
}  // namespace

void index_storyboard() {
    replayed = ReplayPosition{};
    indexed_times.assign(storyboard_times, storyboard_times + storyboard_capacity);
    int scan_end = 0;
    while (scan_end < storyboard_capacity && storyboard_times[scan_end] != storyboard_end) ++scan_end;

    tail_end = scan_end;
    tail_begin = scan_end;
    if (scan_end > 0) {
        const uint32_t last = time_bits(storyboard_times[scan_end - 1]);
        while (tail_begin > 0 && time_bits(storyboard_times[tail_begin - 1]) == last) --tail_begin;
    }
    const float tail_time = tail_begin < tail_end ? storyboard_times[tail_begin] : storyboard_consumed;
    tail_waiting = tail_time != storyboard_consumed && !std::isnan(tail_time);

    pending_count = 0;
    pending_next = 0;
    for (int i = 0; i < tail_begin; ++i) {
        const float time = storyboard_times[i];
        if (time != storyboard_consumed && !std::isnan(time)) pending[pending_count++] = i;
    }
    std::sort(pending, pending + pending_count, [](int32_t a, int32_t b) {
        const float ta = storyboard_times[a], tb = storyboard_times[b];
        return ta < tb || (ta == tb && a < b);
    });
}

void rewind_storyboard() {
    if (indexed_times.empty()) return;
    std::copy(indexed_times.begin(), indexed_times.end(), storyboard_times);
    index_storyboard();
}

ReplayPosition replay_position() { return replayed; }

void restore_replay_position(const ReplayPosition& position) {
    rewind_storyboard();
    if (position.seconds > -INFINITY) replay_storyboard(position.seconds, [](int) {});
}

void replay_storyboard(float seconds, void (*fire)(int index)) {
    if (seconds > replayed.seconds) replayed.seconds = seconds;
    int due_end = pending_next;
    while (due_end < pending_count && storyboard_times[pending[due_end]] <= seconds) ++due_end;
    if (due_end > pending_next) {
        std::sort(pending + pending_next, pending + due_end);
        while (pending_next < due_end) fire_slot(pending[pending_next++], fire);
    }
    if (tail_waiting && storyboard_times[tail_begin] <= seconds) {
        tail_waiting = false;
        for (int i = tail_begin; i < tail_end; ++i) fire_slot(i, fire);
    }
}

void replay_storyboard_full(float seconds, void (*fire)(int index)) {
    for (int i = 0; i < storyboard_capacity; ++i) {
        const float time = storyboard_times[i];
        if (time == storyboard_consumed) continue;
        if (time == storyboard_end) break;
        if (!(time <= seconds)) continue;
        fire_slot(i, fire);
    }
}
