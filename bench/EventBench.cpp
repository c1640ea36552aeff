// Engine events inside the client, with the real main window hosted in this process over the
// stand-in engine: what the callback costs on the engine's threads, how many events per second
// reach the status model with the window thread applying them, and what the upload gauge paints
// while a file's progress sweeps from 0 to 100 %.
#include "BenchClock.h"
#include "BenchReport.h"
#include "BenchStats.h"
#include "ScratchSetup.h"

#include "GUI/EngineBridge.h"
#include "GUI/MainUnit.h"
#include "GUI/MessageQueue.h"
#include "GUI/WindowMessages.h"
#include "ui/GdiHandles.h"
#include "ui/MessageWindow.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace {

using bench::Figure;
using bench::TargetKind;

constexpr int kEngineThreads = 4;
constexpr int kTimedCallsPerRun = 400000;
constexpr int kThroughputEvents = 1000000;
constexpr int kSweepEvents = 10000;
// A 4 MiB file, sent in one transfer.
constexpr int32_t kSweepFileSize = 4 * 1024 * 1024;
constexpr int kRepaintSamples = 2000;

// A typical stream while music is being stored: a start, progress, the end and new counts.
constexpr int32_t kEventMix[] = {12, 16, 16, 16, 16, 16, 16, 16, 14, 15};
constexpr int kEventMixSize = sizeof(kEventMix) / sizeof(kEventMix[0]);

void PumpPending() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Runs the window thread's loop until `done` says so, sleeping only while nothing arrives.
void PumpUntil(const std::function<bool()>& done) {
    while (!done()) {
        PumpPending();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
    PumpPending();
}

// What an engine thread passes for its event number s, as the stand-in engine's burst does:
// param1 the thread, param2 the sequence number, param3 the code, the text "t:s".
struct EngineEvent {
    int32_t code, param1, param2, param3;
    wchar_t text[24];
};

EngineEvent MixedEvent(int thread, int sequence) {
    EngineEvent event{};
    event.code = kEventMix[(thread + kEngineThreads * sequence) % kEventMixSize];
    event.param1 = thread;
    event.param2 = sequence;
    event.param3 = event.code;
    std::swprintf(event.text, 24, L"%d:%d", thread, sequence);
    return event;
}

using Callback = int32_t(TOVELINK_CALL*)(int32_t, int32_t, int32_t, int32_t, const wchar_t*);

int32_t TOVELINK_CALL EmptyCallback(int32_t, int32_t, int32_t, int32_t, const wchar_t*) { return 0; }

// ---- the real main window ----------------------------------------------------------------

class HostedClient {
public:
    HostedClient() : setup_(L"events") {
        setup_.Apply(false);
        form_ = std::make_unique<TPelkoMainForm>();
        created_ = form_->Create(true);
        PumpPending();
        if (!created_) return;
        // Logged in with one file to store: the status panel and its gauge on show.
        form_->LoginButtonClick();
        Apply(7, 0, 0, 0, nullptr);
        Apply(15, 1, 100, 0, nullptr);
    }
    ~HostedClient() {
        form_.reset();
        PumpPending();
        bench::ScratchSetup::Clear();
    }
    HostedClient(const HostedClient&) = delete;
    HostedClient& operator=(const HostedClient&) = delete;

    bool Created() const { return created_; }
    TPelkoMainForm& Form() { return *form_; }
    TMessageQueue& Queue() { return *form_->engineMessageQueue; }

    void Apply(int32_t code, int32_t p1, int32_t p2, int32_t p3, const wchar_t* text) {
        EngineCallback(code, p1, p2, p3, text);
        PumpPending();
    }

    // Pumps until the engine threads have finished and everything they sent has been applied.
    void DrainAfter(const std::atomic<int>& running) {
        PumpUntil([&] { return running.load() == 0 && Queue().WaitingCount() == 0; });
    }

private:
    bench::ScratchSetup setup_;
    std::unique_ptr<TPelkoMainForm> form_;
    bool created_ = false;
};

// The floor's consumer: the same queue and notices into a bare window that only hands the
// objects back.
class BareConsumer : public ui::MessageWindow {
public:
    BareConsumer() { (void)CreateMessageWindow(L"TonalixBenchBareConsumer"); }

    TMessageQueue& Queue() { return queue_; }
    uint64_t Handled() const { return handled_; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message != WM_ENGINE_EVENT) return DefaultHandling(message, wParam, lParam);
        queue_.BeginDrain();
        while (TMessageQueue::MessagePtr event = queue_.Pop()) {
            ++handled_;
            event->ReleaseText();
            queue_.FreeMessage(std::move(event));
        }
        return 0;
    }

private:
    TMessageQueue queue_;
    uint64_t handled_ = 0;
};

// ---- engine threads ----------------------------------------------------------------------

// Starts `threads` engine threads that each send `perThread` events through `send`; `running`
// counts the threads still sending.
std::vector<std::thread> StartEngineThreads(int threads, int perThread, std::atomic<int>& running,
                                            std::function<void(int thread, int sequence)> send) {
    running = threads;
    std::vector<std::thread> started;
    for (int t = 0; t < threads; ++t) {
        started.emplace_back([t, perThread, &running, send] {
            for (int s = 0; s < perThread; ++s) send(t, s);
            --running;
        });
    }
    return started;
}

void JoinAll(std::vector<std::thread>& threads) {
    for (std::thread& thread : threads) thread.join();
}

// Durations in microseconds of every call of `callback`, made by `threads` engine threads while
// the window thread applies what arrives.
std::vector<double> TimeCallbacks(HostedClient& client, Callback callback, int threads) {
    const int perThread = kTimedCallsPerRun / threads;
    std::vector<std::vector<uint64_t>> ticks(static_cast<size_t>(threads), std::vector<uint64_t>(perThread));
    std::atomic<int> running{0};
    std::vector<std::thread> engine =
        StartEngineThreads(threads, perThread, running, [&ticks, callback](int t, int s) {
            const EngineEvent e = MixedEvent(t, s);
            const uint64_t start = bench::CpuTicks();
            callback(e.code, e.param1, e.param2, e.param3, e.text);
            ticks[static_cast<size_t>(t)][static_cast<size_t>(s)] = bench::CpuTicks() - start;
        });
    client.DrainAfter(running);
    JoinAll(engine);
    std::vector<double> micros;
    micros.reserve(static_cast<size_t>(kTimedCallsPerRun));
    for (const std::vector<uint64_t>& perThreadTicks : ticks)
        for (uint64_t t : perThreadTicks) micros.push_back(bench::TicksToMicroseconds(t));
    return micros;
}

bool CallbackCost(HostedClient& client) {
    bool met = true;
    for (int threads : {1, kEngineThreads}) {
        // A warm-up run grows the message pool, as a running client's would have.
        (void)TimeCallbacks(client, &EngineCallback, threads);
        const std::vector<double> empty = TimeCallbacks(client, &EmptyCallback, threads);
        const std::vector<double> real = TimeCallbacks(client, &EngineCallback, threads);
        const std::string who = std::to_string(threads) + (threads == 1 ? " engine thread" : " engine threads");
        Figure median{"engine callback median, " + who, bench::Median(real), bench::Median(empty), "us",
                      "an empty callback timed the same way", TargetKind::AtMost, 1.0, 3};
        Figure p99{"engine callback 99th percentile, " + who, bench::Percentile(real, 99.0),
                   bench::Percentile(empty, 99.0), "us", "an empty callback timed the same way", TargetKind::None, 0,
                   3};
        met = bench::Report(median) && met;
        bench::Report(p99);
    }
    return met;
}

// Events per second from four engine threads until the window thread has applied the last one.
double ClientThroughput(HostedClient& client) {
    const int perThread = kThroughputEvents / kEngineThreads;
    std::atomic<int> running{0};
    const bench::Stopwatch watch;
    std::vector<std::thread> engine = StartEngineThreads(kEngineThreads, perThread, running, [](int t, int s) {
        const EngineEvent e = MixedEvent(t, s);
        EngineCallback(e.code, e.param1, e.param2, e.param3, e.text);
    });
    client.DrainAfter(running);
    const double seconds = watch.Seconds();
    JoinAll(engine);
    return kThroughputEvents / seconds;
}

double BareThroughput() {
    BareConsumer consumer;
    const int perThread = kThroughputEvents / kEngineThreads;
    std::atomic<int> running{0};
    const bench::Stopwatch watch;
    std::vector<std::thread> engine =
        StartEngineThreads(kEngineThreads, perThread, running, [&consumer](int t, int s) {
            const EngineEvent e = MixedEvent(t, s);
            DeliverEngineEvent(consumer.Queue(), consumer.Handle(), e.code, e.param1, e.param2, e.param3, e.text);
        });
    PumpUntil([&] { return running.load() == 0 && consumer.Queue().WaitingCount() == 0; });
    const double seconds = watch.Seconds();
    JoinAll(engine);
    return kThroughputEvents / seconds;
}

bool Throughput(HostedClient& client) {
    (void)ClientThroughput(client);  // warm-up: the pool grows to its working size
    std::vector<double> client3, floor3;
    for (int run = 0; run < 3; ++run) {
        floor3.push_back(BareThroughput());
        client3.push_back(ClientThroughput(client));
    }
    return bench::Report({"events applied end to end, 4 engine threads", bench::Median(client3),
                          bench::Median(floor3), "events/s", "the same queue into a window that applies nothing",
                          TargetKind::AtLeast, 200000.0, 0});
}

// ---- the upload gauge ----------------------------------------------------------------------

// The events of a file's transfer from 0 to 100 %: sent by one engine thread as fast as it goes
// (`paced` false), or each applied before the next is sent. Returns the gauge's repaints.
double GaugeSweepRepaints(HostedClient& client, bool paced) {
    TTextGauge& gauge = client.Form().UploadsLeftProgress;
    client.Apply(15, 1, 100, 0, nullptr);
    client.Apply(12, 0, 0, 0, L"C:\\Music\\Sweep.mp3");
    client.Apply(16, kSweepFileSize, 0, kSweepFileSize, nullptr);
    const uint32_t before = gauge.PaintCount();
    const auto sent = [](int s) {
        return static_cast<int32_t>(static_cast<int64_t>(s + 1) * kSweepFileSize / kSweepEvents);
    };
    if (paced) {
        for (int s = 0; s < kSweepEvents; ++s) client.Apply(16, kSweepFileSize, sent(s), kSweepFileSize, nullptr);
    } else {
        std::atomic<int> running{0};
        std::vector<std::thread> engine = StartEngineThreads(1, kSweepEvents, running, [&sent](int, int s) {
            EngineCallback(16, kSweepFileSize, sent(s), kSweepFileSize, nullptr);
        });
        client.DrainAfter(running);
        JoinAll(engine);
    }
    if (gauge.PercentDone() != 100) std::printf("note: the gauge ended at %d %%, not 100 %%\n", gauge.PercentDone());
    return gauge.PaintCount() - before;
}

bool GaugeSweep(HostedClient& client) {
    TTextGauge& gauge = client.Form().UploadsLeftProgress;
    bool met = true;
    for (bool paced : {false, true}) {
        const std::string how = paced ? ", each applied before the next is sent" : ", sent as fast as they go";
        met = bench::Report({"gauge repaints for 10,000 progress events moving it from 0 to 100 %" + how,
                             GaugeSweepRepaints(client, paced), 101.0, "repaints", "one per whole percentage",
                             TargetKind::AtMost, 101.0, 0}) &&
              met;
    }

    // One repaint against the least a repaint can be: one copy of a picture of the same size.
    const HWND panel = client.Form().StatusPanel.Handle();
    const RECT& at = gauge.Bounds();
    std::vector<double> repaint, copy;
    const ui::ScopedWindowDC screen(panel);
    const ui::ScopedMemoryDC memory(screen);
    const ui::ScopedBitmap picture(CreateCompatibleBitmap(screen, gauge.Width(), gauge.Height()));
    const ui::ScopedSelect select(memory, picture);
    for (int i = 0; i < kRepaintSamples; ++i) {
        const bench::Stopwatch one;
        gauge.Repaint();
        repaint.push_back(one.Seconds() * 1e6);
        const bench::Stopwatch floor;
        BitBlt(screen, at.left, at.top, gauge.Width(), gauge.Height(), memory, 0, 0, SRCCOPY);
        GdiFlush();
        copy.push_back(floor.Seconds() * 1e6);
    }
    bench::Report({"gauge repaint, median", bench::Median(repaint), bench::Median(copy), "us",
                   "one copy of a picture of the gauge's size to the window", TargetKind::None, 0, 1});
    return met;
}

}  // namespace

int wmain() {
    bench::CalibrateClock();
    HostedClient client;
    if (!client.Created()) {
        std::printf("error: the main window could not be created\n");
        return 2;
    }
    bool met = CallbackCost(client);
    met = Throughput(client) && met;
    met = GaugeSweep(client) && met;
    return met ? 0 : 1;
}
