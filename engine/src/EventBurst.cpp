#include "EventBurst.h"

#include <atomic>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace tovelink {

namespace {

struct Shared {
    const BurstCommand& burst;
    const EventSink& sink;
    const StopSignal& stop;
    std::shared_future<void> go;
    std::atomic<int64_t> delivered{0};
    std::atomic<bool> broken{false};
};

void RunOneThread(Shared& shared, int32_t thread) noexcept {
    try {
        shared.go.wait();
        const BurstCommand& burst = shared.burst;
        const int64_t threads = burst.threads;
        const int64_t codes = static_cast<int64_t>(burst.codes.size());
        for (int64_t sequence = 0;; ++sequence) {
            int64_t global = sequence * threads + thread;
            if (global >= burst.count) break;
            if (shared.stop.IsSet() || shared.broken) {
                shared.broken = true;
                break;
            }
            int32_t code = burst.codes[static_cast<size_t>(global % codes)];
            std::wstring text = std::to_wstring(thread) + L":" + std::to_wstring(sequence);
            if (!shared.sink.Deliver(code, thread, static_cast<int32_t>(sequence), code,
                                     text.c_str())) {
                shared.broken = true;
                break;
            }
            ++shared.delivered;
        }
    } catch (...) {
        shared.broken = true;
    }
}

}  // namespace

BurstResult RunBurst(const BurstCommand& burst, const EventSink& sink, const StopSignal& stop) {
    std::promise<void> start;
    Shared shared{burst, sink, stop, start.get_future().share()};
    std::vector<std::thread> threads;
    try {
        threads.reserve(static_cast<size_t>(burst.threads));
        for (int32_t t = 0; t < burst.threads; ++t)
            threads.emplace_back(RunOneThread, std::ref(shared), t);
    } catch (...) {
        shared.broken = true;  // the threads already made see it and return at once
    }
    start.set_value();
    for (std::thread& thread : threads) thread.join();
    BurstResult result;
    result.delivered = shared.delivered;
    result.complete = !shared.broken;
    return result;
}

}  // namespace tovelink
