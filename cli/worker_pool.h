// Many independent jobs on a few threads, their results handed on in the order of the jobs
// whatever the order they finish in.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace vorlex::cli {

/// Workers to use when none are asked for: one a core.
[[nodiscard]] inline unsigned defaultWorkers() {
    return std::max(1u, std::thread::hardware_concurrency());
}

/// Runs `work(i)` for i in [0, count) on `workers` threads and calls `take(i, result)` for
/// i = 0, 1, ... as each result is ready, one call at a time, on whichever thread finds the
/// next result ready (the worker that made it, as a rule): no thread wakes another per job.
/// When `stop` becomes true no new job starts; the ones running finish and are taken, later
/// ones never run. `idle` is called about every `tick` on the calling thread, never at the same
/// time as `take`. Returns the count of jobs taken.
template <typename Result>
std::size_t runInOrder(std::size_t count, unsigned workers,
                       const std::function<Result(std::size_t)>& work,
                       const std::function<void(std::size_t, Result&)>& take,
                       const std::atomic<bool>& stop, const std::function<void()>& idle = {},
                       std::chrono::milliseconds tick = std::chrono::milliseconds(200)) {
    std::vector<std::optional<Result>> results(count);
    std::mutex lock;
    std::condition_variable ended;
    // Under `lock`: jobs handed out, results taken, whether a thread is taking (or idling),
    // and the workers still running.
    std::size_t started = 0;
    std::size_t taken = 0;
    bool taking = false;
    const unsigned n =
        static_cast<unsigned>(std::clamp<std::size_t>(workers, 1, std::max<std::size_t>(count, 1)));
    unsigned running = n;

    // Takes the results ready in order, unless another thread is at it: that one then finds
    // the result stored before it looks again. Called and returns with `guard` locked.
    const auto takeReady = [&](std::unique_lock<std::mutex>& guard) {
        if (taking)
            return;
        taking = true;
        while (taken < count && results[taken]) {
            Result next = std::move(*results[taken]);
            results[taken].reset();
            guard.unlock();
            take(taken, next);
            guard.lock();
            ++taken;
        }
        taking = false;
    };
    const auto worker = [&] {
        for (;;) {
            std::size_t index = 0;
            {
                const std::lock_guard guard(lock);
                if (started == count || stop.load()) {
                    if (--running == 0)
                        ended.notify_one();
                    return;
                }
                index = started++;
            }
            Result result = work(index);
            std::unique_lock guard(lock);
            results[index] = std::move(result);
            takeReady(guard);
        }
    };
    std::vector<std::thread> threads;
    for (unsigned i = 0; i < n; ++i)
        threads.emplace_back(worker);

    {
        std::unique_lock guard(lock);
        while (!ended.wait_for(guard, tick, [&] { return running == 0; })) {
            if (!idle || taking)
                continue;
            taking = true;
            guard.unlock();
            idle();
            guard.lock();
            taking = false;
            takeReady(guard); // what a worker left while this thread held the turn
        }
    }
    for (std::thread& thread : threads)
        thread.join();
    std::unique_lock guard(lock);
    takeReady(guard);
    return taken;
}

} // namespace vorlex::cli
