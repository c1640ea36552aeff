#include "EnginePipe.h"

namespace bench {

EnginePipe::~EnginePipe() {
    if (pipe_ != INVALID_HANDLE_VALUE) CloseHandle(pipe_);
}

bool EnginePipe::Open(const std::wstring& name, DWORD timeoutMs) {
    const std::wstring path = L"\\\\.\\pipe\\" + name;
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        pipe_ = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (pipe_ != INVALID_HANDLE_VALUE) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(10);
    }
}

std::string EnginePipe::Send(const std::string& line) {
    if (pipe_ == INVALID_HANDLE_VALUE) return {};
    const std::string out = line + "\n";
    DWORD written = 0;
    if (!WriteFile(pipe_, out.data(), static_cast<DWORD>(out.size()), &written, nullptr) || written != out.size())
        return {};
    for (;;) {
        const size_t end = pending_.find('\n');
        if (end != std::string::npos) {
            std::string answer = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            if (!answer.empty() && answer.back() == '\r') answer.pop_back();
            return answer;
        }
        char buffer[1024];
        DWORD read = 0;
        if (!ReadFile(pipe_, buffer, sizeof buffer, &read, nullptr) || read == 0) return {};
        pending_.append(buffer, read);
    }
}

}  // namespace bench
