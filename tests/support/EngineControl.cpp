#include "EngineControl.h"

namespace tests {

bool EngineControl::Open(const std::wstring& name, DWORD timeoutMs) {
    Close();
    const std::wstring path = L"\\\\.\\pipe\\" + name;
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        pipe_ = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            0, nullptr);
        if (pipe_ != INVALID_HANDLE_VALUE) return true;
        DWORD error = GetLastError();
        ULONGLONG now = GetTickCount64();
        if (now >= deadline) return false;
        if (error == ERROR_PIPE_BUSY)  // another client is being served
            WaitNamedPipeW(path.c_str(), static_cast<DWORD>(deadline - now));
        else
            Sleep(10);  // not created yet, or between two clients
    }
}

void EngineControl::Close() {
    if (pipe_ != INVALID_HANDLE_VALUE) CloseHandle(pipe_);
    pipe_ = INVALID_HANDLE_VALUE;
    pending_.clear();
}

std::optional<std::string> EngineControl::Send(const std::string& line) {
    if (pipe_ == INVALID_HANDLE_VALUE) return std::nullopt;
    const std::string out = line + "\n";
    DWORD written = 0;
    if (!WriteFile(pipe_, out.data(), static_cast<DWORD>(out.size()), &written, nullptr) ||
        written != out.size())
        return std::nullopt;
    for (;;) {
        size_t end = pending_.find('\n');
        if (end != std::string::npos) {
            std::string answer = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            if (!answer.empty() && answer.back() == '\r') answer.pop_back();
            return answer;
        }
        char buffer[4096];
        DWORD read = 0;
        if (!ReadFile(pipe_, buffer, sizeof buffer, &read, nullptr) || read == 0)
            return std::nullopt;
        pending_.append(buffer, read);
    }
}

std::vector<std::string> ReadCallLog(const std::wstring& path) {
    std::vector<std::string> lines;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return lines;
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        text.append(buffer, read);
    CloseHandle(file);
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

}  // namespace tests
