// Hands engine events from the engine's threads to the window thread: a locked FIFO of message
// objects recycled through a free list. Each object carries its own event code, so a lost,
// failed or foreign window message can never pair a code with another event's parameters.
#pragma once

#include "GUI/CriticalSection.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

struct TEngineMessage {
    int32_t code = 0;
    int32_t intParam1 = 0;
    int32_t intParam2 = 0;
    int32_t intParam3 = 0;
    bool hasText = false;  // false: the engine passed a null text
    std::wstring strParam;

    const std::wstring* Text() const { return hasText ? &strParam : nullptr; }
    void SetText(const wchar_t* text);
    void ReleaseText();
};

class TMessageQueue {
public:
    using MessagePtr = std::unique_ptr<TEngineMessage>;

    // Appends at the tail. Returns true when the window must be told (no notice is pending).
    [[nodiscard]] bool Push(MessagePtr message);
    // The oldest waiting object, or null when none waits.
    MessagePtr Pop();
    // The oldest free object, or null when the free list is empty.
    MessagePtr GetFreeMessage();
    void FreeMessage(MessagePtr message);

    // The window thread starts handling a notice: later pushes must send a new one.
    void BeginDrain();
    // A notice could not be posted: the next push tries again.
    void NoticeFailed();
    // Events wait and no notice is on its way: true when the caller must post one now.
    [[nodiscard]] bool ClaimNoticeForWaiting();

    size_t WaitingCount();
    size_t FreeCount();
    // The most objects that have waited at one time: what the pool is expected to grow to.
    size_t PeakWaitingCount();

private:
    std::deque<MessagePtr> freeObjects_;
    std::deque<MessagePtr> queue_;
    size_t peakWaiting_ = 0;
    bool noticePending_ = false;
    TCriticalSection lock_;
};
