// The system's accessibility library, loaded at its first use: a program that no screen reader
// asks about never pays for it.
#pragma once

#include <windows.h>
#include <oleacc.h>

#include <string>

namespace ui::oleacc {

// True once the library has been loaded into this process.
bool Loaded();

// LresultFromObject of `object` for a WM_GETOBJECT with `wParam`; 0 when the library is missing.
LRESULT ResultFromObject(IAccessible* object, WPARAM wParam);
// The system's own object for `hwnd` (CreateStdAccessibleObject).
HRESULT StandardObject(HWND hwnd, LONG objectId, IAccessible** object);
// What a client gets for `hwnd` (AccessibleObjectFromWindow).
HRESULT ObjectFromWindow(HWND hwnd, DWORD objectId, IAccessible** object);
// The system's text for a role (GetRoleTextW); empty without the library.
std::wstring RoleText(DWORD role);

// Interface identifiers, kept here so nothing links the library's import library.
extern const GUID kIID_IAccessible;

}  // namespace ui::oleacc
