// A client of the stand-in engine's control pipe (engine/README.md): one command line, one answer.
#pragma once

#include <windows.h>

#include <string>

namespace bench {

class EnginePipe {
public:
    EnginePipe() = default;
    ~EnginePipe();
    EnginePipe(const EnginePipe&) = delete;
    EnginePipe& operator=(const EnginePipe&) = delete;

    // Connects to \\.\pipe\<name>, waiting up to timeoutMs for the engine to serve it.
    [[nodiscard]] bool Open(const std::wstring& name, DWORD timeoutMs = 10000);
    // Sends one command and returns its answer line; empty when the pipe broke.
    std::string Send(const std::string& line);

private:
    HANDLE pipe_ = INVALID_HANDLE_VALUE;
    std::string pending_;
};

}  // namespace bench
