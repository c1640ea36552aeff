// A main window created in the test process over the stand-in engine, with a scratch
// configuration and call log, and a way to feed it engine events.
#pragma once

#include "EngineControl.h"
#include "GUI/MainUnit.h"
#include "ProgramRunner.h"

#include <gtest/gtest.h>

#include <memory>

namespace tests {

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Overridable stored configuration for the start-up.
    virtual StoredConfig Stored() const { return StoredConfig{}; }

    // Delivers one engine event as the engine would and lets the window apply it.
    void Event(int32_t code, int32_t p1 = 0, int32_t p2 = 0, int32_t p3 = 0, const wchar_t* text = nullptr);
    static void Pump(DWORD milliseconds = 0);
    std::vector<std::string> Calls() const { return ReadCallLog(callLog_); }
    void ClearCalls() const { DeleteFileW(callLog_.c_str()); }

    ScratchFolder scratch;
    std::wstring config_, callLog_;
    std::unique_ptr<TPelkoMainForm> form;
};

}  // namespace tests
