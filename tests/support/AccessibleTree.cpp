#include "AccessibleTree.h"

#include "ui/ComPtr.h"
#include "ui/Oleacc.h"

#include <oleauto.h>

#include <cstdio>

namespace tests {

namespace {

VARIANT Child(long id) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

// A text property of element `id`, empty when it has none.
template <typename Getter>
std::wstring TextOf(Getter get) {
    BSTR text = nullptr;
    const HRESULT hr = get(&text);
    std::wstring result;
    if (SUCCEEDED(hr) && text) result.assign(text, SysStringLen(text));
    SysFreeString(text);
    return result;
}

void ReadProperties(IAccessible* object, long id, AccessibleNode& node) {
    const VARIANT child = Child(id);
    node.name = TextOf([&](BSTR* t) { return object->get_accName(child, t); });
    node.value = TextOf([&](BSTR* t) { return object->get_accValue(child, t); });
    node.description = TextOf([&](BSTR* t) { return object->get_accDescription(child, t); });
    node.defaultAction = TextOf([&](BSTR* t) { return object->get_accDefaultAction(child, t); });
    VARIANT v;
    VariantInit(&v);
    if (SUCCEEDED(object->get_accRole(child, &v)) && v.vt == VT_I4) node.role = v.lVal;
    VariantClear(&v);
    if (SUCCEEDED(object->get_accState(child, &v)) && v.vt == VT_I4) node.state = v.lVal;
    VariantClear(&v);
    long left = 0, top = 0, width = 0, height = 0;
    if (SUCCEEDED(object->accLocation(&left, &top, &width, &height, child)))
        node.location = RECT{left, top, left + width, top + height};
    node.roleText = ui::oleacc::RoleText(static_cast<DWORD>(node.role));
}

void ReadObject(IAccessible* object, AccessibleNode& node, int depth) {
    ReadProperties(object, CHILDID_SELF, node);
    if (depth <= 0) return;
    long count = 0;
    if (FAILED(object->get_accChildCount(&count))) return;
    for (long id = 1; id <= count; ++id) {
        AccessibleNode child;
        IDispatch* dispatch = nullptr;
        const HRESULT hr = object->get_accChild(Child(id), &dispatch);
        ui::ComPtr<IDispatch> own(dispatch);
        ui::ComPtr<IAccessible> childObject;
        if (hr == S_OK && own) own->QueryInterface(ui::oleacc::kIID_IAccessible, childObject.PutVoid());
        if (childObject) ReadObject(childObject.Get(), child, depth - 1);
        else ReadProperties(object, id, child);
        node.children.push_back(std::move(child));
    }
}

std::wstring States(long state) {
    static const struct {
        long flag;
        const wchar_t* word;
    } words[] = {{0x1, L"unavailable"},   {0x4, L"focused"},   {0x40, L"readonly"},  {0x8000, L"invisible"},
                 {0x100000, L"focusable"}, {0x400000, L"linked"}, {0x20000000, L"protected"}};
    std::wstring text;
    for (const auto& w : words) {
        if (!(state & w.flag)) continue;
        if (!text.empty()) text += L",";
        text += w.word;
    }
    return text;
}

void Format(const AccessibleNode& node, int depth, bool withInvisible, std::wstring& out) {
    out += std::wstring(static_cast<size_t>(depth) * 2, L' ');
    out += node.roleText.empty() ? L"role " + std::to_wstring(node.role) : node.roleText;
    out += L" \"" + node.name + L"\"";
    if (!node.value.empty()) out += L" [" + node.value + L"]";
    if (!node.description.empty()) out += L" (" + node.description + L")";
    if (!node.defaultAction.empty()) out += L" {" + node.defaultAction + L"}";
    const std::wstring states = States(node.state);
    if (!states.empty()) out += L" <" + states + L">";
    out += L"\n";
    for (const AccessibleNode& child : node.children) {
        if (withInvisible || !child.Invisible()) Format(child, depth + 1, withInvisible, out);
    }
}

}  // namespace

const AccessibleNode* AccessibleNode::Find(const std::wstring& wanted) const {
    if (name == wanted) return this;
    for (const AccessibleNode& child : children) {
        if (const AccessibleNode* found = child.Find(wanted)) return found;
    }
    return nullptr;
}

bool ReadAccessibleTree(HWND hwnd, AccessibleNode& root, int depth) {
    ui::ComPtr<IAccessible> object;
    if (FAILED(ui::oleacc::ObjectFromWindow(hwnd, OBJID_CLIENT, object.Put())) || !object) return false;
    root = AccessibleNode();
    ReadObject(object.Get(), root, depth);
    return true;
}

std::wstring FormatAccessibleTree(const AccessibleNode& root, bool withInvisible) {
    std::wstring out;
    Format(root, 0, withInvisible, out);
    return out;
}

std::vector<std::wstring> VisibleChildren(const AccessibleNode& node) {
    std::vector<std::wstring> result;
    for (const AccessibleNode& child : node.children) {
        if (!child.Invisible()) result.push_back(child.roleText + L": " + child.name);
    }
    return result;
}

void PrintAccessibleTree(const char* heading, const AccessibleNode& root) {
    const std::wstring text = FormatAccessibleTree(root);
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string utf8(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), size, nullptr,
                        nullptr);
    std::printf("---- %s\n%s", heading, utf8.c_str());
    std::fflush(stdout);
}

}  // namespace tests
