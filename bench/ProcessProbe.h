// What another running program uses: private memory, processor time, GDI and USER objects.
#pragma once

#include <windows.h>

#include <string>

namespace bench {

// Committed private memory (heaps, stacks, private allocations; not the mapped program images).
double PrivateCommittedMiB(HANDLE process);
// Processor time used so far by the program's running threads, user and kernel together. (Wine
// reports no process times; the times of threads that have already ended are not counted.)
double CpuSeconds(DWORD processId);

// The probe library loaded into a program, answering from inside it.
class InsideProbe {
public:
    // Loads `probeDll` (a full path) into `process`.
    [[nodiscard]] bool Attach(HANDLE process, const std::wstring& probeDll);
    [[nodiscard]] bool GdiObjects(DWORD& count) const { return Run("CountGdiObjects", count); }
    [[nodiscard]] bool UserObjects(DWORD& count) const { return Run("CountUserObjects", count); }
    [[nodiscard]] bool PrivateWorkingSetKiB(DWORD& kib) const { return Run("PrivateWorkingSetKiB", kib); }

private:
    bool Run(const char* entry, DWORD& result) const;

    HANDLE process_ = nullptr;
    std::wstring dll_;
    DWORD remoteBase_ = 0;
};

}  // namespace bench
