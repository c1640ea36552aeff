#include "components/SimpleTimer.h"

#include "WidgetTestWindow.h"

#include <gtest/gtest.h>

#include <memory>

using namespace widget_test;

namespace {

TEST(SimpleTimer, TicksWithItselfAsSenderUntilStopped) {
    int ticks = 0;
    TSimpleTimer* seen = nullptr;
    TSimpleTimer timer(20, [&](TSimpleTimer& sender) {
        ++ticks;
        seen = &sender;
    });
    EXPECT_FALSE(timer.Enabled()) << "created stopped";
    timer.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 3; }));
    EXPECT_EQ(seen, &timer);

    timer.SetEnabled(false);
    const int stoppedAt = ticks;
    PumpMessagesFor(100);
    EXPECT_EQ(ticks, stoppedAt);
}

TEST(SimpleTimer, DefaultsToOneSecondWithNoHandler) {
    TSimpleTimer timer;
    EXPECT_EQ(timer.Interval(), 1000u);
    EXPECT_FALSE(timer.Enabled());
    EXPECT_FALSE(timer.AutoDisable());
}

TEST(SimpleTimer, ActiveCountIsTheNumberOfRunningTimers) {
    TSimpleTimer a(1000, [](TSimpleTimer&) {});
    TSimpleTimer b(1000, [](TSimpleTimer&) {});
    EXPECT_EQ(TSimpleTimer::ActiveCount(), 0u);
    a.SetEnabled(true);
    b.SetEnabled(true);
    EXPECT_EQ(TSimpleTimer::ActiveCount(), 2u);
    a.SetEnabled(true);  // restarting a running timer is still one timer
    a.SetInterval(500);
    EXPECT_EQ(TSimpleTimer::ActiveCount(), 2u);
    a.SetEnabled(false);
    a.SetEnabled(false);  // stopping twice counts once
    EXPECT_EQ(TSimpleTimer::ActiveCount(), 1u);
    {
        TSimpleTimer c(1000, [](TSimpleTimer&) {});
        c.SetEnabled(true);
        EXPECT_EQ(TSimpleTimer::ActiveCount(), 2u);
    }
    EXPECT_EQ(TSimpleTimer::ActiveCount(), 1u) << "a running timer that is destroyed stops counting";
}

TEST(SimpleTimer, IntervalZeroNeverRuns) {
    int ticks = 0;
    TSimpleTimer timer(0, [&](TSimpleTimer&) { ++ticks; });
    timer.SetEnabled(true);
    EXPECT_FALSE(timer.Enabled());
    EXPECT_EQ(TSimpleTimer::ActiveCount(), 0u);

    timer.SetInterval(20);
    timer.SetEnabled(true);
    ASSERT_TRUE(timer.Enabled());
    timer.SetInterval(0);  // stops a running timer
    EXPECT_FALSE(timer.Enabled());
    EXPECT_EQ(TSimpleTimer::ActiveCount(), 0u);
    const int before = ticks;
    PumpMessagesFor(100);
    EXPECT_EQ(ticks, before);
}

TEST(SimpleTimer, ANewIntervalRestartsARunningTimer) {
    int ticks = 0;
    TSimpleTimer timer(60000, [&](TSimpleTimer&) { ++ticks; });
    timer.SetEnabled(true);
    timer.SetInterval(20);
    EXPECT_TRUE(timer.Enabled());
    EXPECT_TRUE(PumpUntil([&] { return ticks >= 2; }, 2000));
}

TEST(SimpleTimer, AutoDisableStopsBeforeTheFirstTickIsDelivered) {
    int ticks = 0;
    bool enabledDuringTick = true;
    TSimpleTimer timer(20, [&](TSimpleTimer& sender) {
        ++ticks;
        enabledDuringTick = sender.Enabled();
    });
    timer.SetAutoDisable(true);
    timer.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 1; }));
    PumpMessagesFor(100);
    EXPECT_EQ(ticks, 1);
    EXPECT_FALSE(enabledDuringTick);
    EXPECT_EQ(TSimpleTimer::ActiveCount(), 0u);
}

TEST(SimpleTimer, RemovingTheHandlerStopsTheTicks) {
    int ticks = 0;
    TSimpleTimer timer(20, [&](TSimpleTimer&) { ++ticks; });
    timer.SetEnabled(true);
    timer.SetOnTimer(nullptr);
    EXPECT_FALSE(timer.Enabled());
    PumpMessagesFor(100);
    EXPECT_EQ(ticks, 0);
}

TEST(SimpleTimer, AllTimersShareOneWindowThatGoesWithTheLast) {
    auto first = std::make_unique<TSimpleTimer>();
    const HWND window = TSimpleTimer::SharedWindow();
    ASSERT_TRUE(IsWindow(window));
    auto second = std::make_unique<TSimpleTimer>();
    EXPECT_EQ(TSimpleTimer::SharedWindow(), window);
    EXPECT_NE(first->Id(), second->Id());
    first.reset();
    EXPECT_TRUE(IsWindow(window));
    second.reset();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(TSimpleTimer::SharedWindow(), nullptr);
}

TEST(SimpleTimer, ATickForATimerThatIsGoneIsIgnored) {
    int ticks = 0;
    TSimpleTimer keeper(1000, [&](TSimpleTimer&) { ++ticks; });
    auto gone = std::make_unique<TSimpleTimer>(1000, [&](TSimpleTimer&) { ++ticks; });
    const UINT_PTR staleId = gone->Id();
    gone.reset();
    SendMessageW(TSimpleTimer::SharedWindow(), WM_TIMER, staleId, 0);
    SendMessageW(TSimpleTimer::SharedWindow(), WM_TIMER, 0xDEADBEEF, 0);
    SendMessageW(TSimpleTimer::SharedWindow(), WM_TIMER, keeper.Id(), 0);  // stopped: no tick either
    EXPECT_EQ(ticks, 0);
}

TEST(SimpleTimer, AHandlerMayDestroyItsOwnTimer) {
    auto timer = std::make_unique<TSimpleTimer>();
    timer->SetInterval(20);
    timer->SetOnTimer([&](TSimpleTimer&) { timer.reset(); });
    timer->SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return timer == nullptr; }));
    PumpMessagesFor(50);
    EXPECT_EQ(TSimpleTimer::ActiveCount(), 0u);
    EXPECT_EQ(TSimpleTimer::SharedWindow(), nullptr);
}

}  // namespace
