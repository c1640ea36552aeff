// Every custom window message of the program, in one place.
#pragma once

#include <windows.h>

// Posted by the engine bridge when events wait in the queue; wParam: the code of the event that
// raised the notice (informational), lParam: 0.
constexpr UINT WM_ENGINE_EVENT = WM_USER + 1;
// Another instance asks the running one to show its window; both parameters 0.
constexpr UINT WM_SHOW_REQUEST = WM_USER + 98;
// Another process asks the program to exit at once, without confirmation.
constexpr UINT WM_CLOSE_REQUEST = WM_USER + 99;

// The main window's native class name; the single-instance guard looks for it.
constexpr wchar_t kMainWindowClass[] = L"TPelkoMainForm";
