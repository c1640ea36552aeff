#include "ProcessProbe.h"

#include <tlhelp32.h>

namespace bench {

namespace {

// Runs `entry(argument)` on a new thread of `process` and returns the thread's exit code.
bool RunRemote(HANDLE process, LPTHREAD_START_ROUTINE entry, void* argument, DWORD& result) {
    const HANDLE thread = CreateRemoteThread(process, nullptr, 0, entry, argument, 0, nullptr);
    if (!thread) return false;
    const bool finished = WaitForSingleObject(thread, 30000) == WAIT_OBJECT_0 && GetExitCodeThread(thread, &result);
    CloseHandle(thread);
    return finished;
}

double Seconds(const FILETIME& time) {
    return static_cast<double>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime) / 1e7;
}

}  // namespace

double PrivateCommittedMiB(HANDLE process) {
    double bytes = 0;
    MEMORY_BASIC_INFORMATION region{};
    const char* address = nullptr;
    while (VirtualQueryEx(process, address, &region, sizeof(region)) == sizeof(region)) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) bytes += static_cast<double>(region.RegionSize);
        const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
        if (next <= address) break;
        address = next;
    }
    return bytes / (1024.0 * 1024.0);
}

double CpuSeconds(DWORD processId) {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0.0;
    double seconds = 0.0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != processId) continue;
        const HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID);
        if (!thread) continue;
        FILETIME created, exited, kernel, user;
        if (GetThreadTimes(thread, &created, &exited, &kernel, &user)) seconds += Seconds(kernel) + Seconds(user);
        CloseHandle(thread);
    }
    CloseHandle(snapshot);
    return seconds;
}

bool InsideProbe::Attach(HANDLE process, const std::wstring& probeDll) {
    process_ = process;
    dll_ = probeDll;
    const SIZE_T bytes = (probeDll.size() + 1) * sizeof(wchar_t);
    void* remoteName = VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remoteName) return false;
    // kernel32 lies at the same address in every process of a session.
    const auto loadLibrary = reinterpret_cast<LPTHREAD_START_ROUTINE>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW")));
    // A 32-bit program's module address fits the thread's exit code.
    const bool loaded = loadLibrary &&
                        WriteProcessMemory(process, remoteName, probeDll.c_str(), bytes, nullptr) &&
                        RunRemote(process, loadLibrary, remoteName, remoteBase_) && remoteBase_ != 0;
    VirtualFreeEx(process, remoteName, 0, MEM_RELEASE);
    return loaded;
}

bool InsideProbe::Run(const char* entry, DWORD& result) const {
    if (!remoteBase_) return false;
    // The entry sits at the same offset from the library's start in both processes.
    const HMODULE local = LoadLibraryW(dll_.c_str());
    if (!local) return false;
    const FARPROC found = GetProcAddress(local, entry);
    const UINT_PTR offset =
        reinterpret_cast<UINT_PTR>(reinterpret_cast<void*>(found)) - reinterpret_cast<UINT_PTR>(local);
    FreeLibrary(local);
    const auto remoteEntry = reinterpret_cast<LPTHREAD_START_ROUTINE>(remoteBase_ + offset);
    return found && RunRemote(process_, remoteEntry, nullptr, result);
}

}  // namespace bench
