#include "GUI/EngineBridge.h"
#include "GUI/MessageQueue.h"
#include "GUI/WindowMessages.h"
#include "ui/MessageWindow.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

struct Received {
    int32_t code, p1, p2, p3;
    bool hasText;
    std::wstring text;
};

// A window that drains the queue the way the main window does and records every event.
class DrainWindow : public ui::MessageWindow {
public:
    explicit DrainWindow(TMessageQueue& queue) : queue_(queue) {
        EXPECT_TRUE(CreateMessageWindow(L"QueueTestDrainWindow"));
    }

    void PumpUntil(size_t count, DWORD timeoutMs = 20000) {
        const DWORD start = GetTickCount();
        MSG msg;
        while (received.size() < count && GetTickCount() - start < timeoutMs) {
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            Sleep(1);
        }
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }

    std::vector<Received> received;
    int notices = 0;

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_ENGINE_EVENT) {
            ++notices;
            queue_.BeginDrain();
            while (auto msg = queue_.Pop()) {
                received.push_back({msg->code, msg->intParam1, msg->intParam2, msg->intParam3, msg->hasText, msg->strParam});
                msg->ReleaseText();
                queue_.FreeMessage(std::move(msg));
            }
            return 0;
        }
        return DefaultHandling(message, wParam, lParam);
    }
    TMessageQueue& queue_;
};

}  // namespace

TEST(MessageQueue, KeepsOrderAndTellsNullFromEmptyText) {
    TMessageQueue queue;
    DrainWindow window(queue);
    DeliverEngineEvent(queue, window.Handle(), 10, 1, 2, 3, nullptr);
    DeliverEngineEvent(queue, window.Handle(), 12, 4, 5, 6, L"");
    DeliverEngineEvent(queue, window.Handle(), 6, 7, 8, 9, L"Server unreachable");
    window.PumpUntil(3);
    ASSERT_EQ(window.received.size(), 3u);
    EXPECT_EQ(window.received[0].code, 10);
    EXPECT_FALSE(window.received[0].hasText);
    EXPECT_EQ(window.received[1].code, 12);
    EXPECT_TRUE(window.received[1].hasText);
    EXPECT_EQ(window.received[1].text, L"");
    EXPECT_EQ(window.received[2].p1, 7);
    EXPECT_EQ(window.received[2].text, L"Server unreachable");
    // One notice covers events that arrived while it was pending.
    EXPECT_EQ(window.notices, 1);
}

TEST(MessageQueue, PoolGrowsToThePeakAndReusesOldestFreedFirst) {
    TMessageQueue queue;
    std::vector<TEngineMessage*> created;
    for (int i = 0; i < 3; ++i) {
        auto msg = std::make_unique<TEngineMessage>();
        created.push_back(msg.get());
        (void)queue.Push(std::move(msg));
    }
    for (int i = 0; i < 3; ++i) queue.FreeMessage(queue.Pop());
    EXPECT_EQ(queue.FreeCount(), 3u);
    EXPECT_EQ(queue.WaitingCount(), 0u);
    auto first = queue.GetFreeMessage();
    EXPECT_EQ(first.get(), created[0]);
    auto second = queue.GetFreeMessage();
    EXPECT_EQ(second.get(), created[1]);
    queue.FreeMessage(std::move(first));
    queue.FreeMessage(std::move(second));
    EXPECT_EQ(queue.FreeCount(), 3u);
}

TEST(MessageQueue, ReleasedTextLeavesNothingToRead) {
    TEngineMessage msg;
    msg.SetText(L"a file name");
    msg.ReleaseText();
    EXPECT_EQ(msg.Text(), nullptr);
    EXPECT_TRUE(msg.strParam.empty());
}

TEST(MessageQueue, BurstFromSeveralThreadsArrivesWholeAndPaired) {
    TMessageQueue queue;
    DrainWindow window(queue);
    constexpr int kThreads = 4;
    constexpr int kPerThread = 5000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&queue, &window, t] {
            for (int i = 0; i < kPerThread; ++i) {
                // The code and every parameter identify the event, so a mispairing shows.
                const int32_t code = 10 + (i % 10);
                const std::wstring text = std::to_wstring(i);
                DeliverEngineEvent(queue, window.Handle(), code, t, i, code * 1000 + t, text.c_str());
            }
        });
    }
    window.PumpUntil(kThreads * kPerThread);
    for (auto& thread : threads) thread.join();
    window.PumpUntil(kThreads * kPerThread);

    ASSERT_EQ(window.received.size(), static_cast<size_t>(kThreads * kPerThread));
    std::vector<int> next(kThreads, 0);
    for (const Received& r : window.received) {
        ASSERT_GE(r.p1, 0);
        ASSERT_LT(r.p1, kThreads);
        EXPECT_EQ(r.p2, next[r.p1]) << "events of one thread arrive in order";
        EXPECT_EQ(r.code, 10 + (r.p2 % 10));
        EXPECT_EQ(r.p3, r.code * 1000 + r.p1);
        EXPECT_EQ(r.text, std::to_wstring(r.p2));
        next[r.p1] = r.p2 + 1;
    }
    EXPECT_EQ(queue.WaitingCount(), 0u);
    // Every object is on the free list now: as many as waited at the peak, plus at most one held
    // by each sending thread and one by the window thread at that moment.
    const size_t pool = queue.FreeCount();
    EXPECT_GE(pool, queue.PeakWaitingCount());
    EXPECT_LE(pool, queue.PeakWaitingCount() + kThreads + 1);

    // Events that never overlap reuse the pool instead of growing it.
    const size_t received = window.received.size();
    for (int i = 0; i < 1000; ++i) {
        DeliverEngineEvent(queue, window.Handle(), 14, 0, i, 0, nullptr);
        window.PumpUntil(received + i + 1);
    }
    ASSERT_EQ(window.received.size(), received + 1000);
    EXPECT_EQ(queue.FreeCount(), pool);
}

TEST(MessageQueue, NoticeThatFindsTheQueueEmptyDoesNothing) {
    TMessageQueue queue;
    DrainWindow window(queue);
    PostMessageW(window.Handle(), WM_ENGINE_EVENT, 17, 12345);
    window.PumpUntil(1, 200);
    EXPECT_TRUE(window.received.empty());
    // Later events still arrive with their own parameters.
    DeliverEngineEvent(queue, window.Handle(), 15, 3, 4, 0, nullptr);
    window.PumpUntil(1);
    ASSERT_EQ(window.received.size(), 1u);
    EXPECT_EQ(window.received[0].code, 15);
    EXPECT_EQ(window.received[0].p1, 3);
}

TEST(MessageQueue, FailedNoticeIsRepeatedByTheNextEvent) {
    TMessageQueue queue;
    // A window that is gone: the post fails and the queue must ask again with the next event.
    const HWND gone = CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    DeliverEngineEvent(queue, gone, 5, 0, 0, 0, nullptr);
    DrainWindow window(queue);
    DeliverEngineEvent(queue, window.Handle(), 7, 0, 0, 0, nullptr);
    window.PumpUntil(2);
    ASSERT_EQ(window.received.size(), 2u);
    EXPECT_EQ(window.received[0].code, 5);
    EXPECT_EQ(window.received[1].code, 7);
}
