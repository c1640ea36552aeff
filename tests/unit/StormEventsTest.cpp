// Event storms: a million engine events from four engine threads, through the queue alone and
// into the real main window while an error box is open. Nothing may be lost, paired with another
// event's parameters or reordered within its thread, and the message pool stays within its peak.
#include "BoxWatcher.h"
#include "EngineControl.h"
#include "GUI/EngineBridge.h"
#include "GUI/MessageQueue.h"
#include "GUI/WindowMessages.h"
#include "MainWindowFixture.h"
#include "core/UploadProgress.h"
#include "ui/MessageWindow.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cwchar>
#include <thread>
#include <vector>

using namespace tests;

namespace {

constexpr int kThreads = 4;
constexpr int kStormEvents = 1000000;
constexpr int kPerThread = kStormEvents / kThreads;
constexpr int32_t kCodes[] = {5, 7, 10, 12, 14, 15, 16, 18, 19};
constexpr int kCodeCount = sizeof(kCodes) / sizeof(kCodes[0]);

// The stand-in engine's burst scheme (engine/README.md): event s of thread t carries the code
// kCodes[g mod count] for g = t + threads * s, param1 t, param2 s, param3 the code, and the text
// "t:s". Every 1000th event has no text and the one before it an empty text, so a null text can
// never turn into an empty one, or the other way round, under load.
struct SchemeEvent {
    int32_t code;
    bool hasText;
    wchar_t text[24];
};

SchemeEvent Scheme(int thread, int sequence) {
    SchemeEvent event{};
    event.code = kCodes[(thread + kThreads * sequence) % kCodeCount];
    event.hasText = sequence % 1000 != 999;
    if (event.hasText && sequence % 1000 != 998) std::swprintf(event.text, 24, L"%d:%d", thread, sequence);
    return event;
}

// Counts the events outstanding between a delivery and the handing back of its object; an object
// is made only when every existing one is outstanding, so the pool can never exceed the peak.
class OutstandingCount {
public:
    void Up() {
        const int now = ++count_;
        int peak = peak_.load();
        while (now > peak && !peak_.compare_exchange_weak(peak, now)) {
        }
    }
    void Down() { --count_; }
    size_t Peak() const { return static_cast<size_t>(peak_.load()); }

private:
    std::atomic<int> count_{0};
    std::atomic<int> peak_{0};
};

// Drains the queue like the main window and checks every event against the scheme as it comes.
class CheckingWindow : public ui::MessageWindow {
public:
    CheckingWindow(TMessageQueue& queue, OutstandingCount& outstanding) : queue_(queue), outstanding_(outstanding) {
        EXPECT_TRUE(CreateMessageWindow(L"StormCheckingWindow"));
    }

    // Pumps until `count` events have arrived in all, or the time is up.
    void PumpUntil(int count, DWORD timeoutMs = 60000) {
        const DWORD start = GetTickCount();
        while (Received() < count && GetTickCount() - start < timeoutMs) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
        }
    }
    int Received() const { return received_; }
    // Another storm starts every thread's sequence at 0 again.
    void ExpectNewStorm() { nextSequence.fill(0); }

    std::array<int, kThreads> nextSequence{};  // per thread: the sequence number expected next
    int mismatches = 0;
    std::string firstMismatch;

private:
    void Check(const TEngineMessage& m) {
        ++received_;
        const int t = m.intParam1;
        if (t < 0 || t >= kThreads) return Mismatch("thread " + std::to_string(t));
        const SchemeEvent want = Scheme(t, nextSequence[static_cast<size_t>(t)]);
        if (m.intParam2 != nextSequence[static_cast<size_t>(t)])
            return Mismatch("out of order or lost in thread " + std::to_string(t));
        if (m.code != want.code || m.intParam3 != want.code) return Mismatch("code paired with another event");
        if (m.hasText != want.hasText || (m.hasText && m.strParam != want.text)) return Mismatch("text");
        ++nextSequence[static_cast<size_t>(t)];
    }
    void Mismatch(const std::string& what) {
        if (mismatches++ == 0) firstMismatch = what;
    }

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message != WM_ENGINE_EVENT) return DefaultHandling(message, wParam, lParam);
        queue_.BeginDrain();
        while (TMessageQueue::MessagePtr event = queue_.Pop()) {
            Check(*event);
            event->ReleaseText();
            queue_.FreeMessage(std::move(event));
            outstanding_.Down();
        }
        return 0;
    }

    TMessageQueue& queue_;
    OutstandingCount& outstanding_;
    int received_ = 0;
};

// Four engine threads sending the scheme's events through the real bridge.
void Storm(TMessageQueue& queue, CheckingWindow& window, OutstandingCount& outstanding) {
    std::vector<std::thread> engine;
    for (int t = 0; t < kThreads; ++t) {
        engine.emplace_back([&queue, &window, &outstanding, t] {
            for (int s = 0; s < kPerThread; ++s) {
                const SchemeEvent e = Scheme(t, s);
                outstanding.Up();
                DeliverEngineEvent(queue, window.Handle(), e.code, t, s, e.code, e.hasText ? e.text : nullptr);
            }
        });
    }
    window.PumpUntil(window.Received() + kStormEvents);
    for (std::thread& thread : engine) thread.join();
}

}  // namespace

TEST(StormTransport, AMillionEventsFromFourThreadsArriveWholePairedAndInOrder) {
    TMessageQueue queue;
    OutstandingCount outstanding;
    CheckingWindow window(queue, outstanding);

    Storm(queue, window, outstanding);
    EXPECT_EQ(window.mismatches, 0) << "first: " << window.firstMismatch;
    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(window.nextSequence[static_cast<size_t>(t)], kPerThread) << "thread " << t;
    EXPECT_EQ(queue.WaitingCount(), 0u);
    const size_t pool = queue.FreeCount();
    EXPECT_GE(pool, 1u);
    EXPECT_LE(pool, outstanding.Peak()) << "every object came back and none was made beyond the peak";

    // A second storm reuses the pool: it grows only if this storm's peak is higher.
    window.ExpectNewStorm();
    Storm(queue, window, outstanding);
    EXPECT_EQ(window.mismatches, 0) << "first: " << window.firstMismatch;
    EXPECT_EQ(window.Received(), 2 * kStormEvents);
    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(window.nextSequence[static_cast<size_t>(t)], kPerThread) << "thread " << t;
    EXPECT_GE(queue.FreeCount(), pool) << "the pool never shrinks";
    EXPECT_LE(queue.FreeCount(), outstanding.Peak());
}

namespace {

// The real main window over the stand-in engine with its control pipe.
class StormMainWindowTest : public MainWindowTest {
protected:
    void SetUp() override {
        pipe_ = L"tonalix-storm-" + std::to_wstring(GetCurrentProcessId());
        SetEnvironmentVariableW(L"TOVELINK_CONTROL", pipe_.c_str());
        MainWindowTest::SetUp();
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        SetEnvironmentVariableW(L"TOVELINK_CONTROL", nullptr);
    }

    std::wstring pipe_;
};

}  // namespace

TEST_F(StormMainWindowTest, AMillionEventsAreAllAppliedWhileAnErrorBoxIsOpen) {
    // Thread 0 sends code 0, which changes nothing; threads 1 to 3 report successful uploads with
    // their own (non-zero) index as param1. Each success counts once, so the final count shows
    // both a lost event and one applied to the parameters of the other kind.
    const std::string burst = "burst " + std::to_string(kStormEvents) + " 4 0 14 14 14";
    std::string answer;
    bool drainedInsideTheBox = false;
    {
        BoxWatcher watcher(IDOK, 0, [&] {
            // The box is open: the storm runs now, and the window thread applies it inside the box.
            EngineControl control;
            if (!control.Open(pipe_)) return;
            answer = control.Send(burst).value_or("no answer");
            const DWORD start = GetTickCount();
            while (form->engineMessageQueue->WaitingCount() > 0 && GetTickCount() - start < 60000) Sleep(10);
            drainedInsideTheBox = form->engineMessageQueue->WaitingCount() == 0;
        });
        Event(6, 0, 0, 0, L"Storm ahead");
        const std::vector<SeenBox> seen = watcher.Seen();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].text, L"Storm ahead");
    }
    Pump();
    EXPECT_EQ(answer, "ok\tevents=1000000\tthreads=4");
    EXPECT_TRUE(drainedInsideTheBox) << "events go on being applied while the box is open";
    EXPECT_EQ(form->pelkoState.filesUploadedInSession, 3 * kPerThread);
    EXPECT_EQ(form->pelkoState.lastUploadResult, core::TLastUploadResult::LastUploadSuccess);
    EXPECT_FALSE(form->pelkoState.uploading);
    EXPECT_FALSE(form->EnableClose);
    EXPECT_EQ(form->engineMessageQueue->WaitingCount(), 0u);
    // The pool holds what waited at the peak, plus at most one object per engine thread and the
    // window thread's two at that moment (the event whose box is open, the one applied inside it):
    // never one per event.
    TMessageQueue& queue = *form->engineMessageQueue;
    EXPECT_GE(queue.FreeCount(), queue.PeakWaitingCount());
    EXPECT_LE(queue.FreeCount(), queue.PeakWaitingCount() + kThreads + 2);
    EXPECT_TRUE(IsWindow(form->Handle()));
}

TEST_F(StormMainWindowTest, AStormOfProgressIsPaintedOnceAndPacedProgressOncePerChange) {
    constexpr int32_t kSize = 4 * 1024 * 1024;
    constexpr int kSteps = 10000;
    const auto sent = [](int s) { return static_cast<int32_t>(static_cast<int64_t>(s + 1) * kSize / kSteps); };
    form->Show(SW_SHOWNORMAL);
    form->ShowStatusPanel();
    Event(7);
    Event(15, 1, 0);
    Event(12, 0, 0, 0, L"C:\\Music\\a.mp3");
    Event(16, kSize, 0, kSize);
    TTextGauge& gauge = form->UploadsLeftProgress;
    ASSERT_TRUE(gauge.Visible());

    // All of them waiting when the window thread comes to them: applied one by one, painted once.
    uint32_t before = gauge.PaintCount();
    for (int s = 0; s < kSteps; ++s) EngineCallback(16, kSize, sent(s), kSize, nullptr);
    Pump();
    EXPECT_EQ(gauge.PaintCount() - before, 1u);
    EXPECT_EQ(gauge.PercentDone(), 100);
    EXPECT_EQ(form->pelkoState.uploadBytesSent, kSize);

    // One at a time: one repaint for each change of the caption or the bar, never two.
    Event(16, kSize, 0, kSize);
    core::TPelkoState state = form->pelkoState;
    core::UploadProgress shown = core::ComputeUploadProgress(state, L'.');
    uint32_t changes = 0;
    before = gauge.PaintCount();
    for (int s = 0; s < kSteps; ++s) {
        Event(16, kSize, sent(s), kSize);
        state.uploadBytesSent = sent(s);
        const core::UploadProgress now = core::ComputeUploadProgress(state, L'.');
        if (now.text != shown.text || now.progress != shown.progress) ++changes;
        shown = now;
    }
    EXPECT_GE(changes, 100u);
    EXPECT_EQ(gauge.PaintCount() - before, changes);
}
