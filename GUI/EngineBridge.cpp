#include "GUI/EngineBridge.h"

#include "GUI/MainUnit.h"
#include "GUI/WindowMessages.h"

void DeliverEngineEvent(TMessageQueue& queue, HWND window, int32_t code, int32_t param1, int32_t param2,
                        int32_t param3, const wchar_t* text) {
    TMessageQueue::MessagePtr message = queue.GetFreeMessage();
    if (!message) message = std::make_unique<TEngineMessage>();
    message->code = code;
    message->intParam1 = param1;
    message->intParam2 = param2;
    message->intParam3 = param3;
    message->SetText(text);
    if (!queue.Push(std::move(message))) return;
    // Posted outside the lock. Should the post fail, the next event posts again.
    if (!PostMessageW(window, WM_ENGINE_EVENT, static_cast<WPARAM>(static_cast<uint32_t>(code)), 0))
        queue.NoticeFailed();
}

int32_t TOVELINK_CALL EngineCallback(int32_t code, int32_t param1, int32_t param2, int32_t param3,
                                     const wchar_t* text) {
    // Nothing may unwind into the engine.
    try {
        TPelkoMainForm* form = PelkoMainForm;
        if (form && form->engineMessageQueue)
            DeliverEngineEvent(*form->engineMessageQueue, form->Handle(), code, param1, param2, param3, text);
    } catch (...) {
    }
    return 0;
}
