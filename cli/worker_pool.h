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

/// Runs `work(i)` for i in [0, count) on `workers` threads and calls `take(i, result)` on the
/// calling thread for i = 0, 1, ... as each result is ready. When `stop` becomes true no new job
/// starts; the ones running finish and are taken, later ones never run. `idle` is called on
/// the calling thread about every `tick` while it waits. Returns the count of jobs taken.
template <typename Result>
std::size_t runInOrder(std::size_t count, unsigned workers,
                       const std::function<Result(std::size_t)>& work,
                       const std::function<void(std::size_t, Result&)>& take,
                       const std::atomic<bool>& stop, const std::function<void()>& idle = {},
                       std::chrono::milliseconds tick = std::chrono::milliseconds(200)) {
    std::vector<std::optional<Result>> results(count);
    std::mutex lock;
    std::condition_variable ready;
    std::size_t started = 0; // jobs handed out, under `lock`
    std::size_t running = 0;

    const auto worker = [&] {
        for (;;) {
            std::size_t index = 0;
            {
                const std::lock_guard guard(lock);
                if (started == count || stop.load())
                    return;
                index = started++;
                ++running;
            }
            Result result = work(index);
            {
                const std::lock_guard guard(lock);
                results[index] = std::move(result);
                --running;
            }
            ready.notify_one();
        }
    };
    std::vector<std::thread> threads;
    const unsigned n =
        static_cast<unsigned>(std::clamp<std::size_t>(workers, 1, std::max<std::size_t>(count, 1)));
    for (unsigned i = 0; i < n; ++i)
        threads.emplace_back(worker);

    std::size_t taken = 0;
    for (;;) {
        std::optional<Result> next;
        {
            std::unique_lock guard(lock);
            const auto done = [&] {
                return taken == count || results[taken].has_value() ||
                       (stop.load() && running == 0 && taken >= started);
            };
            if (!ready.wait_for(guard, tick, done)) {
                guard.unlock();
                if (idle)
                    idle();
                continue;
            }
            if (taken == count || !results[taken])
                break;
            next = std::move(results[taken]);
            results[taken].reset();
        }
        take(taken, *next);
        ++taken;
    }
    for (std::thread& thread : threads)
        thread.join();
    return taken;
}

} // namespace vorlex::cli
