// parallel.cpp: the helper thread behind run_halves.
//
// The second half of a job goes to whichever thread claims it first: the
// helper when it wakes in time, else the caller once its own half is done.
// So a helper slow to wake (a sleeping processor, above all a virtual one,
// can take milliseconds) never makes a job slower than doing both halves
// alone. Between jobs the helper watches for the next one for a short while,
// as the halves of one frame come close together, then sleeps. It is started
// on first use and never stopped; its state is never destroyed, so the end of
// the process cannot pull it from under the thread.
#include "core/parallel.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// How long either side watches before it sleeps: the helper for the next
// job, the caller for the helper's half to end.
constexpr auto helper_watch = std::chrono::microseconds(500);
constexpr auto caller_watch = std::chrono::microseconds(2000);

struct Helper {
    std::mutex lock;
    std::condition_variable wake, done;
    void (*work)(void*, int) = nullptr;
    void* context = nullptr;
    // Jobs are numbered from 1: the last one handed over, the last whose
    // second half someone has claimed, the last the helper has finished.
    std::atomic<unsigned long> posted{0}, claimed{0}, finished{0};
    std::exception_ptr failure;  // of the helper's half of job `finished`
};

bool helper_allowed = true;
Helper* helper = nullptr;           // made by the first run that uses it
thread_local bool in_half = false;  // a half that splits again runs inline

inline void relax() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

// Watches `value` until it is `wanted` (or, with `differ`, until it is not)
// or `limit` has passed; whether it came.
bool watch_for(const std::atomic<unsigned long>& value, unsigned long wanted, bool differ,
               Clock::duration limit) {
    const Clock::time_point end = Clock::now() + limit;
    for (;;) {
        for (int k = 0; k < 64; k++) {
            if ((value.load(std::memory_order_acquire) == wanted) != differ) return true;
            relax();
        }
        if (Clock::now() > end) return false;
    }
}

// Takes the second half of `job` unless the other thread has.
bool claim(Helper* h, unsigned long job) {
    unsigned long before = job - 1;
    return h->claimed.compare_exchange_strong(before, job, std::memory_order_acq_rel);
}

void serve(Helper* h) {
    in_half = true;
    unsigned long seen = 0;
    for (;;) {
        if (!watch_for(h->posted, seen, true, helper_watch)) {
            std::unique_lock<std::mutex> hold(h->lock);
            h->wake.wait(hold, [&] { return h->posted.load(std::memory_order_acquire) != seen; });
        }
        seen = h->posted.load(std::memory_order_acquire);
        if (!claim(h, seen)) continue;  // the caller has done it already
        std::exception_ptr failure;
        try {
            h->work(h->context, 1);
        } catch (...) {
            failure = std::current_exception();
        }
        h->failure = failure;
        {
            // Under the lock, so a caller about to sleep cannot miss it.
            std::lock_guard<std::mutex> hold(h->lock);
            h->finished.store(seen, std::memory_order_release);
        }
        h->done.notify_one();
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

// Runs one half here; its exception, if any, unless an earlier one is kept.
void run_here(void (*work)(void*, int), void* context, int half, std::exception_ptr& failure) {
    try {
        work(context, half);
    } catch (...) {
        if (!failure) failure = std::current_exception();
    }
}

}  // namespace

void allow_helper_thread(bool allowed) { helper_allowed = allowed; }

void run_halves(void (*work)(void* context, int half), void* context) {
    std::exception_ptr failure;
    Helper* h = helper_allowed && !in_half ? find_helper() : nullptr;
    if (h == nullptr) {
        run_here(work, context, 0, failure);
        run_here(work, context, 1, failure);
        if (failure) std::rethrow_exception(failure);
        return;
    }
    const unsigned long job = h->posted.load(std::memory_order_relaxed) + 1;
    {
        std::lock_guard<std::mutex> hold(h->lock);
        h->work = work;
        h->context = context;
        h->posted.store(job, std::memory_order_release);
    }
    h->wake.notify_one();
    in_half = true;
    run_here(work, context, 0, failure);
    if (claim(h, job)) {
        run_here(work, context, 1, failure);
    } else if (!watch_for(h->finished, job, false, caller_watch)) {
        std::unique_lock<std::mutex> hold(h->lock);
        h->done.wait(hold, [&] { return h->finished.load(std::memory_order_acquire) == job; });
    }
    in_half = false;
    if (h->finished.load(std::memory_order_acquire) == job) {
        if (!failure) failure = h->failure;
        h->failure = nullptr;
    }
    if (failure) std::rethrow_exception(failure);
}
