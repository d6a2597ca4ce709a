// Runs body(i) for i in [from, to) on `threads` threads, chunks of indices
// handed out in turn, so that the work is shared whatever each index costs.
// What an index computes depends on it alone, so that the results do not
// depend on the threads.
#pragma once

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace formeval::uncertainty {

// A body's exception is thrown again once every thread has ended. The
// calling thread, which works too, calls tick(indices done) after its
// chunks.
template <class Body, class Tick>
void parallel(long from, long to, int threads, const Body& body, const Tick& tick) {
    constexpr long chunk = 16;
    std::atomic<long> next{from};
    std::atomic<long> done{0};
    std::exception_ptr failure;
    std::mutex guard;
    const auto work = [&](bool caller) {
        try {
            for (long start = next.fetch_add(chunk); start < to; start = next.fetch_add(chunk)) {
                const long end = std::min(to, start + chunk);
                for (long i = start; i < end; ++i) body(i);
                done += end - start;
                if (caller) tick(done.load());
            }
        } catch (...) {
            const std::lock_guard<std::mutex> lock(guard);
            if (!failure) failure = std::current_exception();
            next = to;
        }
    };
    const long needed = (to - from + chunk - 1) / chunk;
    const int count = static_cast<int>(std::max(1L, std::min<long>(threads, needed)));
    std::vector<std::thread> pool;
    for (int t = 1; t < count; ++t) pool.emplace_back(work, false);
    work(true);
    for (std::thread& t : pool) t.join();
    if (failure) std::rethrow_exception(failure);
}

template <class Body> void parallel(long from, long to, int threads, const Body& body) {
    parallel(from, to, threads, body, [](long) {});
}

} // namespace formeval::uncertainty
