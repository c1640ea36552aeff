#include "GUI/MessageQueue.h"

#include <cwchar>

namespace {
// Texts longer than this give their buffer back instead of keeping it in the pool.
constexpr size_t kKeptTextCapacity = 1024;
}

void TEngineMessage::SetText(const wchar_t* text) {
    hasText = text != nullptr;
    if (text) strParam.assign(text, std::wcslen(text));
    else strParam.clear();
}

void TEngineMessage::ReleaseText() {
    hasText = false;
    strParam.clear();
    if (strParam.capacity() > kKeptTextCapacity) strParam.shrink_to_fit();
}

bool TMessageQueue::Push(MessagePtr message) {
    TLockGuard guard(lock_);
    queue_.push_back(std::move(message));
    if (queue_.size() > peakWaiting_) peakWaiting_ = queue_.size();
    if (noticePending_) return false;
    noticePending_ = true;
    return true;
}

TMessageQueue::MessagePtr TMessageQueue::Pop() {
    TLockGuard guard(lock_);
    if (queue_.empty()) return nullptr;
    MessagePtr message = std::move(queue_.front());
    queue_.pop_front();
    return message;
}

TMessageQueue::MessagePtr TMessageQueue::GetFreeMessage() {
    TLockGuard guard(lock_);
    if (freeObjects_.empty()) return nullptr;
    MessagePtr message = std::move(freeObjects_.front());
    freeObjects_.pop_front();
    return message;
}

void TMessageQueue::FreeMessage(MessagePtr message) {
    if (!message) return;
    TLockGuard guard(lock_);
    freeObjects_.push_back(std::move(message));
}

void TMessageQueue::BeginDrain() {
    TLockGuard guard(lock_);
    noticePending_ = false;
}

void TMessageQueue::NoticeFailed() {
    TLockGuard guard(lock_);
    noticePending_ = false;
}

bool TMessageQueue::ClaimNoticeForWaiting() {
    TLockGuard guard(lock_);
    if (queue_.empty() || noticePending_) return false;
    noticePending_ = true;
    return true;
}

size_t TMessageQueue::WaitingCount() {
    TLockGuard guard(lock_);
    return queue_.size();
}

size_t TMessageQueue::PeakWaitingCount() {
    TLockGuard guard(lock_);
    return peakWaiting_;
}

size_t TMessageQueue::FreeCount() {
    TLockGuard guard(lock_);
    return freeObjects_.size();
}
