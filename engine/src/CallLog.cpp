#include "CallLog.h"

#include "Environment.h"
#include "Win32Handle.h"

#include <windows.h>

#include <mutex>

namespace tovelink {

void AppendToCallLog(const TabLine& line) {
    auto path = ReadEnvironment(L"TOVELINK_CALLLOG");
    if (!path || path->empty()) return;
    // Keeps lines whole should two threads ever log at once.
    static std::mutex mutex;
    std::lock_guard<std::mutex> lock(mutex);
    KernelHandle file(CreateFileW(path->c_str(), FILE_APPEND_DATA,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return;
    std::string text = line.Text() + "\n";
    DWORD written = 0;
    WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace tovelink
