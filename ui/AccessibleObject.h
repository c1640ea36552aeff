// The accessible object of a window whose content is listed by its AccessibleItems: what answers
// WM_GETOBJECT for OBJID_CLIENT. It holds only the window handle and reads the live window at every
// call, so a client that keeps it after the window has gone gets an error, never a dangling object.
#pragma once

#include "ui/AccessibleItem.h"

#include <windows.h>

#include <vector>

namespace ui {

// What the object asks its window for.
class AccessibleSource {
public:
    virtual ~AccessibleSource() = default;
    virtual std::vector<AccessibleItem> AccessibleItems() const = 0;
    virtual long AccessibleRole() const = 0;
    virtual std::wstring AccessibleName() const = 0;
    // A window that stands for one element (a windowless control's focus holder) answers for
    // itself with that element: true and `item` filled.
    virtual bool SelfItem(AccessibleItem& item) const { return false; }
};

// The WM_GETOBJECT result for `hwnd`, whose source is found through `find` at each call.
using AccessibleSourceFinder = const AccessibleSource* (*)(HWND hwnd);
LRESULT AnswerGetObject(HWND hwnd, WPARAM wParam, LPARAM lParam, AccessibleSourceFinder find);

// The WM_GETOBJECT result for a standard control named by the program (an edit box whose label
// is drawn without a window): the system's object with `name` instead of its own.
LRESULT AnswerNamedStandardObject(HWND hwnd, WPARAM wParam, LPARAM lParam, const std::wstring& name);

// Raises a win event for child `childId` (1-based) of the window's client object.
void NotifyAccessibleEvent(DWORD event, HWND hwnd, long childId);

}  // namespace ui
