#include "GUI/OptionsFolderBrowser.h"

#include <objbase.h>
#include <shlobj.h>

namespace {

// Frees a shell item list or a shell-allocated text.
template <typename T>
class CoTaskMemPtr {
public:
    CoTaskMemPtr() = default;
    ~CoTaskMemPtr() { CoTaskMemFree(pointer_); }
    CoTaskMemPtr(const CoTaskMemPtr&) = delete;
    CoTaskMemPtr& operator=(const CoTaskMemPtr&) = delete;
    T* Get() const { return pointer_; }
    T** Receive() { return &pointer_; }
    void Reset(T* pointer) {
        CoTaskMemFree(pointer_);
        pointer_ = pointer;
    }

private:
    T* pointer_ = nullptr;
};

struct BrowseState {
    std::wstring startFolder;
    HWND centreOn = nullptr;
};

bool FolderExists(const std::wstring& path) {
    if (path.empty()) return false;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void CentreOnMonitorOf(HWND window, HWND reference) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!GetMonitorInfoW(MonitorFromWindow(reference, MONITOR_DEFAULTTONEAREST), &monitor)) return;
    RECT rc{};
    GetWindowRect(window, &rc);
    const RECT& area = monitor.rcWork;
    const int x = area.left + ((area.right - area.left) - (rc.right - rc.left)) / 2;
    const int y = area.top + ((area.bottom - area.top) - (rc.bottom - rc.top)) / 2;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int OnBrowseMessage(HWND window, UINT message, LPARAM lParam, const BrowseState& state) {
    switch (message) {
    case BFFM_INITIALIZED:
        CentreOnMonitorOf(window, state.centreOn);
        if (FolderExists(state.startFolder))
            SendMessageW(window, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(state.startFolder.c_str()));
        break;
    case BFFM_VALIDATEFAILEDW: {
        const std::wstring text = L"\"" + std::wstring(reinterpret_cast<const wchar_t*>(lParam)) + L"\" is an invalid path";
        MessageBoxW(window, text.c_str(), L"Error", MB_OK | MB_ICONERROR);
        return 1;  // keep the browser open
    }
    default:
        break;
    }
    return 0;
}

int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM lParam, LPARAM data) {
    // Nothing may unwind into the shell.
    try {
        return OnBrowseMessage(window, message, lParam, *reinterpret_cast<const BrowseState*>(data));
    } catch (...) {
        return 0;
    }
}

std::wstring FileSystemPath(PCIDLIST_ABSOLUTE item) {
    // The whole path, however long: a path the list cannot take is refused, never cut short.
    CoTaskMemPtr<wchar_t> name;
    if (SUCCEEDED(SHGetNameFromIDList(item, SIGDN_FILESYSPATH, name.Receive())) && name.Get()) return name.Get();
    wchar_t path[MAX_PATH] = {};
    if (SHGetPathFromIDListW(item, path)) return path;
    return {};
}

}  // namespace

std::optional<std::wstring> BrowseForMusicFolder(HWND owner, const std::wstring& startFolder) {
    BrowseState state{startFolder, GetWindow(owner, GW_OWNER)};
    if (!state.centreOn) state.centreOn = owner;
    wchar_t displayName[MAX_PATH] = {};
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.pidlRoot = nullptr;  // the desktop
    info.pszDisplayName = displayName;
    info.lpszTitle = L"Select path to add to the list";
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_VALIDATE | BIF_NEWDIALOGSTYLE | BIF_NONEWFOLDERBUTTON;
    info.lpfn = &BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(&state);

    CoTaskMemPtr<ITEMIDLIST> chosen;
    chosen.Reset(SHBrowseForFolderW(&info));
    if (!chosen.Get()) return std::nullopt;
    return FileSystemPath(chosen.Get());
}
