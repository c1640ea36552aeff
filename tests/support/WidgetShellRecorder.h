// Stands in for the shell: records every notification-area request with the record as sent.
#pragma once

#include "components/CoolTrayIcon.h"

#include <string>
#include <vector>

namespace widget_test {

struct ShellCall {
    DWORD message;            // NIM_ADD, NIM_MODIFY, NIM_DELETE, ...
    TNotifyIconDataEx data;   // the record as it was at the call
    int frame;                // which test frame the icon showed (-1: none or another icon)

    std::wstring Tip() const { return data.szTip; }
    std::wstring Info() const { return data.szInfo; }
    std::wstring InfoTitle() const { return data.szInfoTitle; }
};

class ShellRecorder {
public:
    // Frames are recognised among the first `frameCount` colours of MakeFrameList.
    explicit ShellRecorder(int frameCount = 12) : frameCount_(frameCount) {}

    ShellNotifyFunction Function();

    std::vector<ShellCall> calls;
    BOOL result = TRUE;  // what the stand-in shell answers

    size_t Count(DWORD message) const;
    const ShellCall& Last() const { return calls.back(); }
    // The frames shown by the NIM_MODIFY calls from `first` on.
    std::vector<int> ModifiedFrames(size_t first = 0) const;

private:
    int frameCount_;
};

}  // namespace widget_test
