#include "ControlPipe.h"

namespace tovelink {

namespace {

// A longer line is answered with an error and skipped up to its end.
constexpr size_t kMaxLine = 64 * 1024;

}  // namespace

bool ControlPipe::Start(const std::wstring& pipePath) {
    if (!stop_.Valid()) return false;
    ioDone_.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!ioDone_.Valid()) return false;
    pipe_.Reset(CreateNamedPipeW(pipePath.c_str(),
                                 PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED |
                                     FILE_FLAG_FIRST_PIPE_INSTANCE,
                                 PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0,
                                 nullptr));
    if (!pipe_.Valid()) return false;
    try {
        thread_ = std::thread([this] { Run(); });
    } catch (...) {
        pipe_.Reset();
        return false;
    }
    return true;
}

void ControlPipe::Stop() {
    stop_.Set();
    if (thread_.joinable()) thread_.join();
    pipe_.Reset();
}

ControlPipe::Io ControlPipe::Finish(OVERLAPPED& overlapped, DWORD& bytes) {
    HANDLE handles[] = {stop_.Handle(), ioDone_.Get()};
    DWORD woken = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
    if (woken == WAIT_OBJECT_0 + 1)
        return GetOverlappedResult(pipe_.Get(), &overlapped, &bytes, FALSE) ? Io::Done : Io::Failed;
    // The operation must be over before `overlapped` goes out of scope.
    CancelIoEx(pipe_.Get(), &overlapped);
    GetOverlappedResult(pipe_.Get(), &overlapped, &bytes, TRUE);
    return Io::Stopped;
}

bool ControlPipe::Connect() {
    OVERLAPPED overlapped{};
    overlapped.hEvent = ioDone_.Get();
    if (ConnectNamedPipe(pipe_.Get(), &overlapped)) return true;
    switch (GetLastError()) {
        case ERROR_PIPE_CONNECTED: return true;
        case ERROR_IO_PENDING: {
            DWORD unused = 0;
            return Finish(overlapped, unused) == Io::Done;
        }
        default: return false;  // e.g. a client that came and went: disconnect and wait again
    }
}

void ControlPipe::Run() noexcept {
    try {
        while (!stop_.IsSet()) {
            if (Connect())
                Serve();
            else if (stop_.WaitFor(20))  // no busy loop on a pipe that keeps failing
                break;
            DisconnectNamedPipe(pipe_.Get());
        }
    } catch (...) {
        // Nothing can be reported from here; the pipe closes with the engine.
    }
}

void ControlPipe::Serve() {
    std::string pending;
    bool skipping = false;  // inside an over-long line, already answered
    char buffer[4096];
    while (!stop_.IsSet()) {
        OVERLAPPED overlapped{};
        overlapped.hEvent = ioDone_.Get();
        DWORD read = 0;
        if (!ReadFile(pipe_.Get(), buffer, sizeof buffer, nullptr, &overlapped) &&
            GetLastError() != ERROR_IO_PENDING)
            return;  // the client has gone
        if (Finish(overlapped, read) != Io::Done || read == 0) return;
        pending.append(buffer, read);

        size_t start = 0;
        for (size_t end; (end = pending.find('\n', start)) != std::string::npos; start = end + 1) {
            std::string_view line(pending.data() + start, end - start);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            if (skipping) {
                skipping = false;
                continue;
            }
            if (!Reply(RunCommand(line))) return;
        }
        pending.erase(0, start);
        if (pending.size() > kMaxLine) {
            pending.clear();
            if (!skipping && !Reply("error line too long")) return;
            skipping = true;
        }
    }
}

std::string ControlPipe::RunCommand(std::string_view line) {
    try {
        return handler_(line, stop_);
    } catch (...) {
        return "error internal failure";
    }
}

bool ControlPipe::Reply(std::string answer) {
    answer += '\n';
    size_t done = 0;
    while (done < answer.size()) {
        OVERLAPPED overlapped{};
        overlapped.hEvent = ioDone_.Get();
        DWORD written = 0;
        if (!WriteFile(pipe_.Get(), answer.data() + done, static_cast<DWORD>(answer.size() - done),
                       nullptr, &overlapped) &&
            GetLastError() != ERROR_IO_PENDING)
            return false;
        if (Finish(overlapped, written) != Io::Done || written == 0) return false;
        done += written;
    }
    return true;
}

}  // namespace tovelink
