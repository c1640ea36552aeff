// Loaded into a measured program (bench_process starts it there with a remote thread): answers what
// that program holds, as the exit code of a thread started at one of these entries.
#include "GuiObjectCount.h"

#include <windows.h>
#include <psapi.h>

#include <vector>

extern "C" __declspec(dllexport) DWORD WINAPI CountGdiObjects(void*) { return bench::CountOwnGuiObjects().gdi; }

extern "C" __declspec(dllexport) DWORD WINAPI CountUserObjects(void*) { return bench::CountOwnGuiObjects().user; }

namespace {

DWORD ResidentPrivateKiB() {
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    std::vector<PSAPI_WORKING_SET_EX_INFORMATION> pages;
    MEMORY_BASIC_INFORMATION region{};
    const char* address = nullptr;
    while (VirtualQuery(address, &region, sizeof(region)) == sizeof(region)) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) {
            for (SIZE_T offset = 0; offset < region.RegionSize; offset += system.dwPageSize) {
                PSAPI_WORKING_SET_EX_INFORMATION page{};
                page.VirtualAddress = static_cast<char*>(region.BaseAddress) + offset;
                pages.push_back(page);
            }
        }
        const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
        if (next <= address) break;
        address = next;
    }
    if (pages.empty() || !QueryWorkingSetEx(GetCurrentProcess(), pages.data(),
                                            static_cast<DWORD>(pages.size() * sizeof(pages[0]))))
        return 0;
    DWORD resident = 0;
    for (const PSAPI_WORKING_SET_EX_INFORMATION& page : pages) resident += page.VirtualAttributes.Valid ? 1 : 0;
    return static_cast<DWORD>(static_cast<ULONGLONG>(resident) * system.dwPageSize / 1024);
}

}  // namespace

// The program's private memory that is really in use: committed private pages held in its working
// set, in KiB; 0 when it cannot be told. (Under Wine a thread's whole stack is committed, though
// little of it is ever touched.)
extern "C" __declspec(dllexport) DWORD WINAPI PrivateWorkingSetKiB(void*) {
    // Nothing may unwind out of a thread's entry.
    try {
        return ResidentPrivateKiB();
    } catch (...) {
        return 0;
    }
}
