#include "MainWindowFixture.h"

#include "GUI/EngineBridge.h"

namespace tests {

void MainWindowTest::SetUp() {
    config_ = scratch.Path(L"config.ini");
    callLog_ = scratch.Path(L"calls.log");
    WriteStoredConfig(config_, Stored());
    SetEnvironmentVariableW(L"TOVELINK_CONFIG", config_.c_str());
    SetEnvironmentVariableW(L"TOVELINK_CALLLOG", callLog_.c_str());
    form = std::make_unique<TPelkoMainForm>();
    ASSERT_TRUE(form->Create(false));
    Pump();
}

void MainWindowTest::TearDown() {
    form.reset();
    SetEnvironmentVariableW(L"TOVELINK_CONFIG", nullptr);
    SetEnvironmentVariableW(L"TOVELINK_CALLLOG", nullptr);
}

void MainWindowTest::Event(int32_t code, int32_t p1, int32_t p2, int32_t p3, const wchar_t* text) {
    EngineCallback(code, p1, p2, p3, text);
    Pump();
}

void MainWindowTest::Pump(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (milliseconds) Sleep(5);
    } while (GetTickCount() - start < milliseconds);
}

}  // namespace tests
