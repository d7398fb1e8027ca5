// parallel.cpp: the helper thread behind run_parts.
//
// Parts go to whichever thread asks first, so a helper slow to wake (a
// sleeping processor, above all a virtual one, can take milliseconds) or
// slow on its part never makes a job much slower than one thread doing it
// all, and parts of unequal cost even out. Between jobs the helper watches
// for the next one for a short while, as the jobs of one frame come close
// together, then sleeps. It is started on first use and never stopped; its
// state is never destroyed, so the end of the process cannot pull it from
// under the thread.
#include "core/parallel.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// How long either side watches before it sleeps: the helper for the next
// job, the caller for the helper's last part to end.
constexpr auto helper_watch = std::chrono::microseconds(500);
constexpr auto caller_watch = std::chrono::microseconds(2000);

// The job in hand and its next part in one word, so that a part is only ever
// taken for the job it belongs to: job number (from 1) in the top 32 bits,
// the number of parts in the next 16, the next part to take in the low 16.
constexpr uint64_t job_of(uint64_t state) { return state >> 32; }
constexpr int parts_of(uint64_t state) { return static_cast<int>((state >> 16) & 0xffff); }
constexpr int next_of(uint64_t state) { return static_cast<int>(state & 0xffff); }

struct Helper {
    std::mutex lock;
    std::condition_variable wake, done;
    std::atomic<uint64_t> state{0};
    std::atomic<int> finished{0};  // parts of the job in hand that are done
    // The job's work, set before its state is published.
    void (*work)(void*, int) = nullptr;
    void* context = nullptr;
    // The failure of the lowest part that failed, under the lock.
    std::exception_ptr failure;
    int failed_part = 0;
};

HelperUse helper_use = HelperUse::spare;
Helper* helper = nullptr;           // made by the first run that uses it
thread_local bool in_part = false;  // a part that splits again runs inline

inline void relax() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

// Watches until `arrived()` or `limit` has passed; whether it arrived.
template <class Arrived>
bool watch_for(Arrived arrived, Clock::duration limit) {
    const Clock::time_point end = Clock::now() + limit;
    for (;;) {
        for (int k = 0; k < 64; k++) {
            if (arrived()) return true;
            relax();
        }
        if (Clock::now() > end) return false;
    }
}

// Takes the next part of job `job`; -1 once it has none left (or is over).
int take_part(Helper* h, uint64_t job) {
    uint64_t s = h->state.load(std::memory_order_acquire);
    while (job_of(s) == job && next_of(s) < parts_of(s))
        if (h->state.compare_exchange_weak(s, s + 1, std::memory_order_acq_rel)) return next_of(s);
    return -1;
}

// Runs the parts of `job` this thread can take.
void run_taken_parts(Helper* h, uint64_t job) {
    for (int part; (part = take_part(h, job)) >= 0;) {
        try {
            h->work(h->context, part);
        } catch (...) {
            std::lock_guard<std::mutex> hold(h->lock);
            if (!h->failure || part < h->failed_part)
                h->failure = std::current_exception(), h->failed_part = part;
        }
        if (h->finished.fetch_add(1, std::memory_order_acq_rel) + 1 == parts_of(h->state.load())) {
            // Under the lock, so a caller about to sleep cannot miss it.
            std::lock_guard<std::mutex> hold(h->lock);
            h->done.notify_one();
        }
    }
}

void serve(Helper* h) {
    in_part = true;
    uint64_t seen = 0;
    for (;;) {
        auto posted = [&] { return job_of(h->state.load(std::memory_order_acquire)) != seen; };
        if (!watch_for(posted, helper_watch)) {
            std::unique_lock<std::mutex> hold(h->lock);
            h->wake.wait(hold, posted);
        }
        seen = job_of(h->state.load(std::memory_order_acquire));
        run_taken_parts(h, seen);
    }
}

// The helper, started if need be; null where there is no second processor
// or no thread could be started.
Helper* find_helper() {
    if (helper != nullptr) return helper;
    static bool tried = false;
    if (tried) return nullptr;
    tried = true;
    if (std::thread::hardware_concurrency() < 2) return nullptr;
    Helper* h = new Helper;
    try {
        std::thread(serve, h).detach();
    } catch (const std::exception&) {
        delete h;
        return nullptr;
    }
    helper = h;
    return helper;
}

// The helper, if the parts of a job of `count` are to be shared with it now.
Helper* sharing_helper(int count) {
    static const unsigned processors = std::thread::hardware_concurrency();
    const bool wanted =
        helper_use == HelperUse::always || (helper_use == HelperUse::spare && processors >= 3);
    return wanted && !in_part && count > 1 && count <= 0xffff ? find_helper() : nullptr;
}

}  // namespace

int parts_to_share(int count) { return sharing_helper(count) != nullptr ? count : 1; }

HelperUse use_helper_thread(HelperUse use) {
    const HelperUse before = helper_use;
    helper_use = use;
    return before;
}

void run_parts(int count, void (*work)(void* context, int part), void* context) {
    if (count <= 0) return;
    Helper* h = sharing_helper(count);
    if (h == nullptr) {
        std::exception_ptr failure;
        for (int part = 0; part < count; part++) try {
                work(context, part);
            } catch (...) {
                if (!failure) failure = std::current_exception();
            }
        if (failure) std::rethrow_exception(failure);
        return;
    }
    // Numbers wrap at 32 bits; the helper only looks for a change.
    const uint64_t job = (job_of(h->state.load(std::memory_order_relaxed)) + 1) & 0xffffffffu;
    {
        std::lock_guard<std::mutex> hold(h->lock);
        h->work = work;
        h->context = context;
        h->finished.store(0, std::memory_order_relaxed);
        h->failure = nullptr;
        h->state.store(job << 32 | static_cast<uint64_t>(count) << 16, std::memory_order_release);
    }
    h->wake.notify_one();
    in_part = true;
    run_taken_parts(h, job);
    in_part = false;
    auto all_done = [&] { return h->finished.load(std::memory_order_acquire) == count; };
    if (!watch_for(all_done, caller_watch)) {
        std::unique_lock<std::mutex> hold(h->lock);
        h->done.wait(hold, all_done);
    }
    std::exception_ptr failure;
    {
        std::lock_guard<std::mutex> hold(h->lock);
        failure = h->failure;
        h->failure = nullptr;
    }
    if (failure) std::rethrow_exception(failure);
}
