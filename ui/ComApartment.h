// Joins the calling thread to a single-threaded COM apartment for as long as the object lives.
#pragma once

#include <objbase.h>

namespace ui {

class ComApartment {
public:
    ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    // RPC_E_CHANGED_MODE leaves the thread in its multithreaded apartment, which serves as well.
    HRESULT result_;
};

}  // namespace ui
