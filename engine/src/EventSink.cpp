#include "EventSink.h"

namespace tovelink {

bool EventSink::Deliver(int32_t code, int32_t param1, int32_t param2, int32_t param3,
                        const wchar_t* text) const {
    TEngineCallback callback = callback_;
    if (!callback) return false;
    callback(code, param1, param2, param3, text);  // the result is always 0 and means nothing
    return true;
}

}  // namespace tovelink
