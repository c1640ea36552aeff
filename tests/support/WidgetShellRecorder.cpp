#include "WidgetShellRecorder.h"

#include "WidgetTestIcons.h"

namespace widget_test {

ShellNotifyFunction ShellRecorder::Function() {
    return [this](DWORD message, TNotifyIconDataEx* data) {
        // The icon handle may be replaced by the next call, so the frame is read now.
        calls.push_back({message, *data, FrameOf(data->hIcon, frameCount_)});
        return result;
    };
}

size_t ShellRecorder::Count(DWORD message) const {
    size_t count = 0;
    for (const ShellCall& call : calls) count += call.message == message ? 1 : 0;
    return count;
}

std::vector<int> ShellRecorder::ModifiedFrames(size_t first) const {
    std::vector<int> frames;
    for (size_t i = first; i < calls.size(); ++i) {
        if (calls[i].message == NIM_MODIFY) frames.push_back(calls[i].frame);
    }
    return frames;
}

}  // namespace widget_test
