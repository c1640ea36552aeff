#include "Environment.h"

#include <windows.h>

namespace tovelink {

std::optional<std::wstring> ReadEnvironment(const wchar_t* name) {
    std::wstring value(256, L'\0');
    for (;;) {
        SetLastError(ERROR_SUCCESS);
        DWORD length = GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
        if (length == 0) {
            if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
            return std::wstring();
        }
        if (length < value.size()) {
            value.resize(length);
            return value;
        }
        value.resize(length);  // too small: length is the size needed, zero included
    }
}

}  // namespace tovelink
