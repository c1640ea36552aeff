// The second start's hand-over to the running instance: the running process may take the
// foreground before it is asked to show itself. Wine does not enforce the foreground lock, so the
// test records the permission instead of watching the window come to the front.
#include "GUI/MultipleInstancePrevention.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const wchar_t kClass[] = L"TonalixInstanceTestWindow";
constexpr UINT kShowRequest = WM_USER + 98;

struct Permission {
    DWORD processId;
    bool showRequestAlreadyQueued;
};
// Filled by the stand-in for AllowSetForegroundWindow, which takes no context.
std::vector<Permission> permissions;
HWND runningWindow = nullptr;

BOOL WINAPI RecordPermission(DWORD processId) {
    MSG message;
    const bool queued = PeekMessageW(&message, runningWindow, kShowRequest, kShowRequest, PM_NOREMOVE) != FALSE;
    permissions.push_back({processId, queued});
    return TRUE;
}

// A hidden top-level window of its own class stands for the running instance's main window.
class MultipleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        permissions.clear();
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kClass;
        RegisterClassW(&windowClass);
    }
    void TearDown() override {
        if (runningWindow) DestroyWindow(runningWindow);
        runningWindow = nullptr;
        UnregisterClassW(kClass, GetModuleHandleW(nullptr));
    }

    void StartRunningInstance() {
        runningWindow = CreateWindowExW(0, kClass, L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                        GetModuleHandleW(nullptr), nullptr);
        ASSERT_TRUE(runningWindow);
    }

    static bool ShowRequestQueued() {
        MSG message;
        return PeekMessageW(&message, runningWindow, kShowRequest, kShowRequest, PM_REMOVE) != FALSE;
    }
};

}  // namespace

TEST_F(MultipleInstanceTest, TheRunningProcessMayTakeTheForegroundBeforeItIsAskedToShow) {
    StartRunningInstance();
    const TMultipleInstance instance(RecordPermission);
    instance.ShowApplication(kClass, kShowRequest);

    ASSERT_EQ(permissions.size(), 1u);
    EXPECT_EQ(permissions[0].processId, GetCurrentProcessId()) << "the process that owns the window";
    EXPECT_FALSE(permissions[0].showRequestAlreadyQueued) << "allowed before the request is posted";
    EXPECT_TRUE(ShowRequestQueued());
}
