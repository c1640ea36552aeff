// Music files and an event log for the end-to-end tests.
#pragma once

#include "ProgramRunner.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tests {

// A folder under %TEMP% with subfolders, removed whole at the end.
using DemoFolder = ScratchFolder;

// A WAV file of `bytes` bytes in all whose samples depend on `seed`, so two seeds give two
// different tracks. Dated a minute back, so the engine does not wait for it to settle.
void WriteWav(const std::wstring& path, uint32_t bytes, uint32_t seed);

// One line of the stand-in engine's event log (TOVELINK_EVENTLOG, engine/README.md).
struct LoggedEvent {
    int32_t code = 0, p1 = 0, p2 = 0, p3 = 0;
    bool hasText = false;
    std::string text;  // UTF-8
    bool shutdown = false;  // the line written when the engine had shut down
};
std::vector<LoggedEvent> ReadEventLog(const std::wstring& path);

// The codes alone, for comparing sequences.
std::vector<int32_t> Codes(const std::vector<LoggedEvent>& events);

// Waits up to timeoutMs until `done` holds for the log; returns the log as last read.
template <typename Done>
std::vector<LoggedEvent> WaitForEvents(const std::wstring& path, Done done, DWORD timeoutMs = 20000) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        std::vector<LoggedEvent> events = ReadEventLog(path);
        if (done(events) || GetTickCount64() >= deadline) return events;
        Sleep(50);
    }
}

// True once an event with this code (and first parameter, when given) is in the log.
bool Has(const std::vector<LoggedEvent>& events, int32_t code);
bool Has(const std::vector<LoggedEvent>& events, int32_t code, int32_t p1);

// The counts event (15) that says every file is stored: (0, tracks).
bool AllStored(const std::vector<LoggedEvent>& events, int32_t tracks);

}  // namespace tests
