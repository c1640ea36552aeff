#include "EventSink.h"

#include "TabLine.h"
#include "TextCodec.h"
#include "Win32Handle.h"

#include <windows.h>

namespace tovelink {

void EventSink::Open(TEngineCallback callback, std::wstring eventLog) {
    eventLog_ = std::move(eventLog);
    callback_ = callback;
}

bool EventSink::Deliver(int32_t code, int32_t param1, int32_t param2, int32_t param3,
                        const wchar_t* text) const {
    TEngineCallback callback = callback_;
    if (!callback) return false;
    if (!eventLog_.empty()) {
        TabLine line("event");
        line.Add("code", code).Add("p1", param1).Add("p2", param2).Add("p3", param3);
        if (text) line.Add("text", WideToUtf8(text));
        Log(line.Text());
    }
    callback(code, param1, param2, param3, text);  // the result is always 0 and means nothing
    return true;
}

void EventSink::LogShutdown() const {
    if (!eventLog_.empty()) Log("shutdown");
}

void EventSink::Log(const std::string& line) const {
    std::lock_guard<std::mutex> lock(logMutex_);
    KernelHandle file(CreateFileW(eventLog_.c_str(), FILE_APPEND_DATA,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return;
    std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace tovelink
