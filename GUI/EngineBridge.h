// The engine's way into the program: EngineCallback runs on engine threads and touches only the
// event queue and one posted message.
#pragma once

#include "GUI/MessageQueue.h"
#include "GUI/PelkoDLLAPI.h"

#include <windows.h>

// Queues one event for `window` and tells the window when no notice is pending.
void DeliverEngineEvent(TMessageQueue& queue, HWND window, int32_t code, int32_t param1, int32_t param2,
                        int32_t param3, const wchar_t* text);

// Handed to DLLAPI_initPelko; finds the main window through the process-wide reference.
int32_t TOVELINK_CALL EngineCallback(int32_t code, int32_t param1, int32_t param2, int32_t param3,
                                     const wchar_t* text);
