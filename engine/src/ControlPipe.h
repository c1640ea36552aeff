// The control pipe's server: one client at a time, one answer line per command line, all on
// a thread of the engine's own.
#pragma once

#include "Win32Handle.h"

#include <functional>
#include <string>
#include <string_view>
#include <thread>

namespace tovelink {

class ControlPipe {
public:
    // Runs a command line and returns its answer (without the line end); `stop` is set when
    // the engine shuts down, so long commands end early.
    using Handler = std::function<std::string(std::string_view line, const StopSignal& stop)>;

    explicit ControlPipe(Handler handler) : handler_(std::move(handler)) {}
    ~ControlPipe() { Stop(); }
    ControlPipe(const ControlPipe&) = delete;
    ControlPipe& operator=(const ControlPipe&) = delete;

    // Creates the pipe before returning, so a client can connect at once.
    [[nodiscard]] bool Start(const std::wstring& pipePath);
    // Ends the thread, whatever it was doing, and closes the pipe.
    void Stop();

private:
    enum class Io { Done, Failed, Stopped };

    void Run() noexcept;
    [[nodiscard]] bool Connect();
    void Serve();
    std::string RunCommand(std::string_view line);
    [[nodiscard]] bool Reply(std::string answer);
    [[nodiscard]] Io Finish(OVERLAPPED& overlapped, DWORD& bytes);

    Handler handler_;
    StopSignal stop_;
    KernelHandle pipe_;
    KernelHandle ioDone_;
    std::thread thread_;
};

}  // namespace tovelink
