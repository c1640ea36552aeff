// Owner of a Win32 critical section and its scoped lock.
#pragma once

#include <windows.h>

class TCriticalSection {
public:
    TCriticalSection() { InitializeCriticalSection(&section_); }
    ~TCriticalSection() { DeleteCriticalSection(&section_); }
    TCriticalSection(const TCriticalSection&) = delete;
    TCriticalSection& operator=(const TCriticalSection&) = delete;
    void Enter() { EnterCriticalSection(&section_); }
    void Leave() { LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION section_;
};

class TLockGuard {
public:
    explicit TLockGuard(TCriticalSection& lock) : lock_(lock) { lock_.Enter(); }
    ~TLockGuard() { lock_.Leave(); }
    TLockGuard(const TLockGuard&) = delete;
    TLockGuard& operator=(const TLockGuard&) = delete;

private:
    TCriticalSection& lock_;
};
