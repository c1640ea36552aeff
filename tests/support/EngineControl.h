// Test side of the stand-in engine's contract: a client of its control pipe and a reader of
// its call log (engine/README.md).
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace tests {

class EngineControl {
public:
    EngineControl() = default;
    ~EngineControl() { Close(); }
    EngineControl(const EngineControl&) = delete;
    EngineControl& operator=(const EngineControl&) = delete;

    // Connects to \\.\pipe\<name>, waiting up to timeoutMs for the engine to serve it.
    [[nodiscard]] bool Open(const std::wstring& name, DWORD timeoutMs = 5000);
    void Close();

    // Sends one command line (UTF-8, without its end) and returns the answer line without its
    // end; nullopt when the pipe broke.
    [[nodiscard]] std::optional<std::string> Send(const std::string& line);

private:
    HANDLE pipe_ = INVALID_HANDLE_VALUE;
    std::string pending_;  // bytes read past the last answer
};

// The call log's lines in order, without line ends; empty when the file does not exist.
std::vector<std::string> ReadCallLog(const std::wstring& path);

}  // namespace tests
