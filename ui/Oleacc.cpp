#include "ui/Oleacc.h"

#include <string>

namespace ui::oleacc {

const GUID kIID_IAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

namespace {

using LresultFromObjectFn = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
using CreateStdAccessibleObjectFn = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
using AccessibleObjectFromWindowFn = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);
using GetRoleTextWFn = UINT(WINAPI*)(DWORD, LPWSTR, UINT);

struct Library {
    HMODULE module = nullptr;
    LresultFromObjectFn lresultFromObject = nullptr;
    CreateStdAccessibleObjectFn createStdAccessibleObject = nullptr;
    AccessibleObjectFromWindowFn accessibleObjectFromWindow = nullptr;
    GetRoleTextWFn getRoleText = nullptr;
};

template <typename Fn>
Fn Entry(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Loaded once and kept: objects handed out may be used until the process ends.
const Library& Get() {
    static const Library library = [] {
        Library lib;
        lib.module = LoadLibraryW(L"oleacc.dll");
        if (!lib.module) return lib;
        lib.lresultFromObject = Entry<LresultFromObjectFn>(lib.module, "LresultFromObject");
        lib.createStdAccessibleObject = Entry<CreateStdAccessibleObjectFn>(lib.module, "CreateStdAccessibleObject");
        lib.accessibleObjectFromWindow = Entry<AccessibleObjectFromWindowFn>(lib.module, "AccessibleObjectFromWindow");
        lib.getRoleText = Entry<GetRoleTextWFn>(lib.module, "GetRoleTextW");
        return lib;
    }();
    return library;
}

}  // namespace

bool Loaded() { return GetModuleHandleW(L"oleacc.dll") != nullptr; }

LRESULT ResultFromObject(IAccessible* object, WPARAM wParam) {
    const Library& lib = Get();
    return lib.lresultFromObject ? lib.lresultFromObject(kIID_IAccessible, wParam, object) : 0;
}

HRESULT StandardObject(HWND hwnd, LONG objectId, IAccessible** object) {
    *object = nullptr;
    const Library& lib = Get();
    if (!lib.createStdAccessibleObject) return E_FAIL;
    return lib.createStdAccessibleObject(hwnd, objectId, kIID_IAccessible, reinterpret_cast<void**>(object));
}

HRESULT ObjectFromWindow(HWND hwnd, DWORD objectId, IAccessible** object) {
    *object = nullptr;
    const Library& lib = Get();
    if (!lib.accessibleObjectFromWindow) return E_FAIL;
    return lib.accessibleObjectFromWindow(hwnd, objectId, kIID_IAccessible, reinterpret_cast<void**>(object));
}

std::wstring RoleText(DWORD role) {
    const Library& lib = Get();
    if (!lib.getRoleText) return std::wstring();
    wchar_t text[128] = {};
    const UINT length = lib.getRoleText(role, text, 128);
    return std::wstring(text, length < 128 ? length : 127);
}

}  // namespace ui::oleacc
