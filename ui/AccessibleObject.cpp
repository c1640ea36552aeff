#include "ui/AccessibleObject.h"

#include "ui/ComPtr.h"
#include "ui/Oleacc.h"

#include <oleauto.h>

#include <new>

namespace ui {

namespace {

const GUID kIID_IEnumVARIANT = {0x00020404, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

HRESULT Text(const std::wstring& text, BSTR* out) {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    if (text.empty()) return S_FALSE;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

bool ChildId(const VARIANT& v, long& id) {
    if (v.vt != VT_I4) return false;
    id = v.lVal;
    return true;
}

void SetI4(VARIANT* v, long value) {
    VariantInit(v);
    v->vt = VT_I4;
    v->lVal = value;
}

// The standard client object of a child window: what its element is made of.
ComPtr<IAccessible> ChildObject(HWND child) {
    ComPtr<IAccessible> object;
    if (FAILED(oleacc::ObjectFromWindow(child, OBJID_CLIENT, object.Put()))) object.Reset();
    return object;
}

VARIANT Self() {
    VARIANT v;
    SetI4(&v, CHILDID_SELF);
    return v;
}

// What every accessible object here shares: its reference count and an IDispatch without type
// information (clients use the vtable; there is nothing to script against).
class AccessibleBase : public IAccessible {
public:
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

protected:
    virtual ~AccessibleBase() = default;
    static bool IsAccessibleInterface(REFIID riid) {
        return IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
               IsEqualIID(riid, oleacc::kIID_IAccessible);
    }

private:
    LONG refs_ = 1;
};

// The client object of a window that lists its own elements.
class ClientObject final : public AccessibleBase, public IEnumVARIANT {
public:
    ClientObject(HWND hwnd, AccessibleSourceFinder find) : hwnd_(hwnd), find_(find) {}

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (IsAccessibleInterface(riid)) {
            *out = static_cast<IAccessible*>(this);
        } else if (IsEqualIID(riid, kIID_IEnumVARIANT)) {
            *out = static_cast<IEnumVARIANT*>(this);
        } else {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    // One count for both interfaces.
    STDMETHODIMP_(ULONG) AddRef() override { return AccessibleBase::AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return AccessibleBase::Release(); }

    // IAccessible
    STDMETHODIMP get_accParent(IDispatch** parent) override {
        if (!parent) return E_POINTER;
        *parent = nullptr;
        if (!Source()) return RPC_E_DISCONNECTED;
        ComPtr<IAccessible> window;
        if (FAILED(oleacc::StandardObject(hwnd_, OBJID_WINDOW, window.Put())) || !window) return S_FALSE;
        return window->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(parent));
    }
    STDMETHODIMP get_accChildCount(long* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        const AccessibleSource* source = Source();
        if (!source) return RPC_E_DISCONNECTED;
        *count = static_cast<long>(source->AccessibleItems().size());
        return S_OK;
    }
    STDMETHODIMP get_accChild(VARIANT child, IDispatch** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        std::vector<AccessibleItem> items;
        const AccessibleItem* item = nullptr;
        const HRESULT found = Find(child, items, item);
        if (found != S_OK) return found;
        if (!item || !item->window) return S_FALSE;  // a simple element: no object of its own
        ComPtr<IAccessible> object = ChildObject(item->window);
        if (!object) return S_FALSE;
        return object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(out));
    }
    STDMETHODIMP get_accName(VARIANT child, BSTR* name) override {
        return Query(child, name, [](IAccessible* o, BSTR* out) { return o->get_accName(Self(), out); },
                     [](const AccessibleSource& s) { return s.AccessibleName(); },
                     [](const AccessibleItem& i) { return i.name; });
    }
    STDMETHODIMP get_accValue(VARIANT child, BSTR* value) override {
        return Query(child, value, [](IAccessible* o, BSTR* out) { return o->get_accValue(Self(), out); },
                     [](const AccessibleSource&) { return std::wstring(); },
                     [](const AccessibleItem& i) { return i.value; });
    }
    STDMETHODIMP get_accDescription(VARIANT child, BSTR* description) override {
        return Query(child, description,
                     [](IAccessible* o, BSTR* out) { return o->get_accDescription(Self(), out); },
                     [](const AccessibleSource&) { return std::wstring(); },
                     [](const AccessibleItem& i) { return i.description; });
    }
    STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* action) override {
        return Query(child, action, [](IAccessible* o, BSTR* out) { return o->get_accDefaultAction(Self(), out); },
                     [](const AccessibleSource&) { return std::wstring(); },
                     [](const AccessibleItem& i) { return i.defaultAction; });
    }
    STDMETHODIMP get_accHelp(VARIANT, BSTR* help) override { return Text(std::wstring(), help); }
    STDMETHODIMP get_accKeyboardShortcut(VARIANT, BSTR* shortcut) override { return Text(std::wstring(), shortcut); }
    STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
        if (file) *file = nullptr;
        if (topic) *topic = 0;
        return S_FALSE;
    }
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) override {
        if (!role) return E_POINTER;
        VariantInit(role);
        std::vector<AccessibleItem> items;
        const AccessibleItem* item = nullptr;
        const HRESULT found = Find(child, items, item);
        if (found != S_OK) return found;
        if (!item) {
            SetI4(role, Source()->AccessibleRole());
            return S_OK;
        }
        if (item->window) {
            ComPtr<IAccessible> object = ChildObject(item->window);
            return object ? object->get_accRole(Self(), role) : S_FALSE;
        }
        SetI4(role, item->role);
        return S_OK;
    }
    STDMETHODIMP get_accState(VARIANT child, VARIANT* state) override {
        if (!state) return E_POINTER;
        VariantInit(state);
        std::vector<AccessibleItem> items;
        const AccessibleItem* item = nullptr;
        const HRESULT found = Find(child, items, item);
        if (found != S_OK) return found;
        if (!item) {
            long flags = 0;
            if (!IsWindowVisible(hwnd_)) flags |= STATE_SYSTEM_INVISIBLE;
            if (GetFocus() == hwnd_) flags |= STATE_SYSTEM_FOCUSED;
            SetI4(state, flags);
            return S_OK;
        }
        if (item->window) {
            ComPtr<IAccessible> object = ChildObject(item->window);
            return object ? object->get_accState(Self(), state) : S_FALSE;
        }
        long flags = 0;
        if (item->invisible) flags |= STATE_SYSTEM_INVISIBLE;
        if (item->focusable) flags |= STATE_SYSTEM_FOCUSABLE;
        if (item->focused) flags |= STATE_SYSTEM_FOCUSED;
        if (item->role == ROLE_SYSTEM_LINK) flags |= STATE_SYSTEM_LINKED;
        if (item->role == ROLE_SYSTEM_STATICTEXT || item->role == ROLE_SYSTEM_PROGRESSBAR)
            flags |= STATE_SYSTEM_READONLY;
        SetI4(state, flags);
        return S_OK;
    }
    STDMETHODIMP get_accFocus(VARIANT* focus) override {
        if (!focus) return E_POINTER;
        VariantInit(focus);
        const AccessibleSource* source = Source();
        if (!source) return RPC_E_DISCONNECTED;
        const HWND focused = GetFocus();
        if (focused == hwnd_) {
            SetI4(focus, CHILDID_SELF);
            return S_OK;
        }
        const std::vector<AccessibleItem> items = source->AccessibleItems();
        for (size_t i = 0; i < items.size(); ++i) {
            const AccessibleItem& item = items[i];
            if (item.window ? (item.window == focused || IsChild(item.window, focused)) : item.focused) {
                SetI4(focus, static_cast<long>(i + 1));
                return S_OK;
            }
        }
        return S_FALSE;
    }
    STDMETHODIMP get_accSelection(VARIANT* selection) override {
        if (!selection) return E_POINTER;
        VariantInit(selection);
        return S_FALSE;
    }
    STDMETHODIMP accSelect(long flags, VARIANT child) override {
        std::vector<AccessibleItem> items;
        const AccessibleItem* item = nullptr;
        const HRESULT found = Find(child, items, item);
        if (found != S_OK) return found;
        if (!(flags & SELFLAG_TAKEFOCUS)) return S_FALSE;
        if (!item) {
            SetFocus(hwnd_);
            return S_OK;
        }
        if (item->window) {
            SetFocus(item->window);
            return S_OK;
        }
        if (!item->focus || item->invisible) return S_FALSE;
        item->focus();
        return S_OK;
    }
    STDMETHODIMP accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
        if (!left || !top || !width || !height) return E_POINTER;
        *left = *top = *width = *height = 0;
        std::vector<AccessibleItem> items;
        const AccessibleItem* item = nullptr;
        const HRESULT found = Find(child, items, item);
        if (found != S_OK) return found;
        RECT r{};
        if (!item) {
            GetClientRect(hwnd_, &r);
            MapWindowPoints(hwnd_, nullptr, reinterpret_cast<POINT*>(&r), 2);
        } else if (item->window) {
            GetWindowRect(item->window, &r);
        } else {
            r = item->screen;
        }
        *left = r.left;
        *top = r.top;
        *width = r.right - r.left;
        *height = r.bottom - r.top;
        return S_OK;
    }
    STDMETHODIMP accNavigate(long direction, VARIANT start, VARIANT* end) override {
        if (!end) return E_POINTER;
        VariantInit(end);
        std::vector<AccessibleItem> items;
        const AccessibleItem* item = nullptr;
        const HRESULT found = Find(start, items, item);
        if (found != S_OK) return found;
        const long count = static_cast<long>(items.size());
        long target = 0;
        const long from = item ? static_cast<long>(item - items.data()) + 1 : 0;
        switch (direction) {
        case NAVDIR_FIRSTCHILD: target = item ? 0 : (count ? 1 : 0); break;
        case NAVDIR_LASTCHILD: target = item ? 0 : count; break;
        case NAVDIR_NEXT: case NAVDIR_DOWN: case NAVDIR_RIGHT: target = item && from < count ? from + 1 : 0; break;
        case NAVDIR_PREVIOUS: case NAVDIR_UP: case NAVDIR_LEFT: target = item && from > 1 ? from - 1 : 0; break;
        default: return E_INVALIDARG;
        }
        if (target == 0) return S_FALSE;
        if (const HWND window = items[static_cast<size_t>(target - 1)].window) {
            ComPtr<IAccessible> object = ChildObject(window);
            if (!object) return S_FALSE;
            end->vt = VT_DISPATCH;
            return object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&end->pdispVal));
        }
        SetI4(end, target);
        return S_OK;
    }
    STDMETHODIMP accHitTest(long x, long y, VARIANT* out) override {
        if (!out) return E_POINTER;
        VariantInit(out);
        const AccessibleSource* source = Source();
        if (!source) return RPC_E_DISCONNECTED;
        const POINT pt{x, y};
        RECT client{};
        GetClientRect(hwnd_, &client);
        MapWindowPoints(hwnd_, nullptr, reinterpret_cast<POINT*>(&client), 2);
        if (!PtInRect(&client, pt)) return S_FALSE;
        const std::vector<AccessibleItem> items = source->AccessibleItems();
        // The last element listed at the point is the one drawn on top.
        for (size_t i = items.size(); i-- > 0;) {
            const AccessibleItem& item = items[i];
            RECT r = item.screen;
            if (item.window) {
                if (!IsWindowVisible(item.window)) continue;
                GetWindowRect(item.window, &r);
            } else if (item.invisible) {
                continue;
            }
            if (!PtInRect(&r, pt)) continue;
            if (item.window) {
                ComPtr<IAccessible> object = ChildObject(item.window);
                if (!object) continue;
                out->vt = VT_DISPATCH;
                return object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&out->pdispVal));
            }
            SetI4(out, static_cast<long>(i + 1));
            return S_OK;
        }
        SetI4(out, CHILDID_SELF);
        return S_OK;
    }
    STDMETHODIMP accDoDefaultAction(VARIANT child) override {
        std::vector<AccessibleItem> items;
        const AccessibleItem* item = nullptr;
        const HRESULT found = Find(child, items, item);
        if (found != S_OK) return found;
        if (!item) return DISP_E_MEMBERNOTFOUND;
        if (item->window) {
            ComPtr<IAccessible> object = ChildObject(item->window);
            return object ? object->accDoDefaultAction(Self()) : DISP_E_MEMBERNOTFOUND;
        }
        if (!item->action || item->invisible) return DISP_E_MEMBERNOTFOUND;
        const std::function<void()> action = item->action;
        action();
        return S_OK;
    }
    STDMETHODIMP put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

    // IEnumVARIANT: the children as child identifiers, 1 to the count.
    STDMETHODIMP Next(ULONG wanted, VARIANT* out, ULONG* fetched) override {
        if (fetched) *fetched = 0;
        if (!out) return E_POINTER;
        long count = 0;
        if (FAILED(get_accChildCount(&count))) return RPC_E_DISCONNECTED;
        ULONG given = 0;
        while (given < wanted && position_ < count) SetI4(&out[given++], ++position_);
        if (fetched) *fetched = given;
        return given == wanted ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG skipped) override {
        long count = 0;
        if (FAILED(get_accChildCount(&count))) return RPC_E_DISCONNECTED;
        position_ += static_cast<long>(skipped);
        if (position_ > count) {
            position_ = count;
            return S_FALSE;
        }
        return S_OK;
    }
    STDMETHODIMP Reset() override {
        position_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnumVARIANT** out) override {
        if (!out) return E_POINTER;
        auto* copy = new (std::nothrow) ClientObject(hwnd_, find_);
        if (!copy) return E_OUTOFMEMORY;
        copy->position_ = position_;
        *out = static_cast<IEnumVARIANT*>(copy);
        return S_OK;
    }

private:
    ~ClientObject() override = default;

    const AccessibleSource* Source() const { return IsWindow(hwnd_) ? find_(hwnd_) : nullptr; }

    // The element `child` names: null for the window itself. S_OK, or the error to return.
    HRESULT Find(const VARIANT& child, std::vector<AccessibleItem>& items, const AccessibleItem*& item) const {
        item = nullptr;
        const AccessibleSource* source = Source();
        if (!source) return RPC_E_DISCONNECTED;
        long id = 0;
        if (!ChildId(child, id)) return E_INVALIDARG;
        if (id == CHILDID_SELF) {
            AccessibleItem self;
            if (source->SelfItem(self)) {
                items.assign(1, std::move(self));
                item = &items.front();
            }
            return S_OK;
        }
        items = source->AccessibleItems();
        if (id < 1 || id > static_cast<long>(items.size())) return E_INVALIDARG;
        item = &items[static_cast<size_t>(id - 1)];
        return S_OK;
    }

    template <typename FromObject, typename FromSource, typename FromItem>
    HRESULT Query(const VARIANT& child, BSTR* out, FromObject fromObject, FromSource fromSource,
                  FromItem fromItem) const {
        if (!out) return E_POINTER;
        *out = nullptr;
        std::vector<AccessibleItem> items;
        const AccessibleItem* item = nullptr;
        const HRESULT found = Find(child, items, item);
        if (found != S_OK) return found;
        if (!item) return Text(fromSource(*Source()), out);
        if (item->window) {
            ComPtr<IAccessible> object = ChildObject(item->window);
            return object ? fromObject(object.Get(), out) : S_FALSE;
        }
        return Text(fromItem(*item), out);
    }

    HWND hwnd_;
    AccessibleSourceFinder find_;
    long position_ = 0;
};

// A standard control's object under another name.
class NamedObject final : public AccessibleBase {
public:
    NamedObject(ComPtr<IAccessible> inner, std::wstring name) : inner_(std::move(inner)), name_(std::move(name)) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (IsAccessibleInterface(riid)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }

    STDMETHODIMP get_accName(VARIANT child, BSTR* name) override {
        long id = 0;
        if (ChildId(child, id) && id == CHILDID_SELF) return Text(name_, name);
        return inner_->get_accName(child, name);
    }
    STDMETHODIMP get_accParent(IDispatch** p) override { return inner_->get_accParent(p); }
    STDMETHODIMP get_accChildCount(long* c) override { return inner_->get_accChildCount(c); }
    STDMETHODIMP get_accChild(VARIANT v, IDispatch** p) override { return inner_->get_accChild(v, p); }
    STDMETHODIMP get_accValue(VARIANT v, BSTR* s) override { return inner_->get_accValue(v, s); }
    STDMETHODIMP get_accDescription(VARIANT v, BSTR* s) override { return inner_->get_accDescription(v, s); }
    STDMETHODIMP get_accRole(VARIANT v, VARIANT* r) override { return inner_->get_accRole(v, r); }
    STDMETHODIMP get_accState(VARIANT v, VARIANT* s) override { return inner_->get_accState(v, s); }
    STDMETHODIMP get_accHelp(VARIANT v, BSTR* s) override { return inner_->get_accHelp(v, s); }
    STDMETHODIMP get_accHelpTopic(BSTR* f, VARIANT v, long* t) override { return inner_->get_accHelpTopic(f, v, t); }
    STDMETHODIMP get_accKeyboardShortcut(VARIANT v, BSTR* s) override {
        return inner_->get_accKeyboardShortcut(v, s);
    }
    STDMETHODIMP get_accFocus(VARIANT* v) override { return inner_->get_accFocus(v); }
    STDMETHODIMP get_accSelection(VARIANT* v) override { return inner_->get_accSelection(v); }
    STDMETHODIMP get_accDefaultAction(VARIANT v, BSTR* s) override { return inner_->get_accDefaultAction(v, s); }
    STDMETHODIMP accSelect(long f, VARIANT v) override { return inner_->accSelect(f, v); }
    STDMETHODIMP accLocation(long* l, long* t, long* w, long* h, VARIANT v) override {
        return inner_->accLocation(l, t, w, h, v);
    }
    STDMETHODIMP accNavigate(long d, VARIANT s, VARIANT* e) override { return inner_->accNavigate(d, s, e); }
    STDMETHODIMP accHitTest(long x, long y, VARIANT* v) override { return inner_->accHitTest(x, y, v); }
    STDMETHODIMP accDoDefaultAction(VARIANT v) override { return inner_->accDoDefaultAction(v); }
    STDMETHODIMP put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP put_accValue(VARIANT v, BSTR s) override { return inner_->put_accValue(v, s); }

private:
    ~NamedObject() override = default;

    ComPtr<IAccessible> inner_;
    std::wstring name_;
};

}  // namespace

LRESULT AnswerGetObject(HWND hwnd, WPARAM wParam, LPARAM lParam, AccessibleSourceFinder find) {
    if (static_cast<LONG>(lParam) != OBJID_CLIENT) return 0;
    ComPtr<IAccessible> object(new (std::nothrow) ClientObject(hwnd, find));
    return object ? oleacc::ResultFromObject(object.Get(), wParam) : 0;
}

LRESULT AnswerNamedStandardObject(HWND hwnd, WPARAM wParam, LPARAM lParam, const std::wstring& name) {
    if (static_cast<LONG>(lParam) != OBJID_CLIENT) return 0;
    ComPtr<IAccessible> standard;
    if (FAILED(oleacc::StandardObject(hwnd, OBJID_CLIENT, standard.Put())) || !standard) return 0;
    ComPtr<IAccessible> object(new (std::nothrow) NamedObject(std::move(standard), name));
    return object ? oleacc::ResultFromObject(object.Get(), wParam) : 0;
}

void NotifyAccessibleEvent(DWORD event, HWND hwnd, long childId) {
    if (hwnd) NotifyWinEvent(event, hwnd, OBJID_CLIENT, childId);
}

}  // namespace ui
