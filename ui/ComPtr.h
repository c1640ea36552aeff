// Owner of one COM interface reference.
#pragma once

#include <unknwn.h>

#include <utility>

namespace ui {

template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    // Takes over a reference the caller already holds.
    explicit ComPtr(T* owned) : ptr_(owned) {}
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr& other) : ptr_(other.ptr_) {
        if (ptr_) ptr_->AddRef();
    }
    ComPtr& operator=(const ComPtr& other) {
        if (other.ptr_) other.ptr_->AddRef();
        Reset(other.ptr_);
        return *this;
    }
    ComPtr(ComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.ptr_, nullptr));
        return *this;
    }

    void Reset(T* owned = nullptr) {
        if (ptr_) ptr_->Release();
        ptr_ = owned;
    }
    T* Get() const { return ptr_; }
    T* operator->() const { return ptr_; }
    explicit operator bool() const { return ptr_ != nullptr; }
    // For functions that hand out a new reference through a T** argument.
    T** Put() {
        Reset();
        return &ptr_;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }
    T* Detach() { return std::exchange(ptr_, nullptr); }

private:
    T* ptr_ = nullptr;
};

}  // namespace ui
