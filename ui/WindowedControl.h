// A real Windows control (edit box, button, ...) placed on a container. The container forwards the
// control's notifications to the object; keyboard and screen readers reach the native control.
#pragma once

#include <windows.h>

#include <string>

namespace ui {

struct ControlArgs {
    int left = 0, top = 0, width = 0, height = 0;
    const wchar_t* text = L"";
    DWORD style = 0;
    DWORD exStyle = 0;
    HFONT font = nullptr;
};

class WindowedControl {
public:
    WindowedControl() = default;
    virtual ~WindowedControl();
    WindowedControl(const WindowedControl&) = delete;
    WindowedControl& operator=(const WindowedControl&) = delete;

    static WindowedControl* FromHandle(HWND hwnd);

    HWND Handle() const { return hwnd_; }
    int Id() const { return GetDlgCtrlID(hwnd_); }

    void SetText(const std::wstring& text) const { SetWindowTextW(hwnd_, text.c_str()); }
    std::wstring Text() const;
    // How wide the text is in the control's font, in pixels.
    int TextWidth() const;
    void SetEnabled(bool enabled) const { EnableWindow(hwnd_, enabled ? TRUE : FALSE); }
    bool Enabled() const { return IsWindowEnabled(hwnd_) != FALSE; }
    void SetVisible(bool visible) const { ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE); }
    bool Visible() const { return (GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0; }
    void SetFont(HFONT font) const { SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE); }
    void SetBounds(int left, int top, int width, int height) const;
    RECT Bounds() const;  // in the parent's client coordinates
    void Focus() const { SetFocus(hwnd_); }
    // The name screen readers give the control when the text naming it is drawn without a window.
    void SetAccessibleName(const std::wstring& name);
    const std::wstring& AccessibleName() const { return accessibleName_; }
    bool Focused() const { return GetFocus() == hwnd_; }

    virtual void OnCommand(WORD notification) {}
    virtual LRESULT OnNotify(const NMHDR* header) { return 0; }
    virtual HBRUSH OnCtlColor(HDC dc) { return nullptr; }
    virtual void OnScroll(WORD code, short position) {}

protected:
    [[nodiscard]] bool CreateControl(HWND parent, const wchar_t* className, const ControlArgs& args);
    // Messages sent to the native control itself; return true when handled (result in `result`).
    virtual bool OnControlMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) { return false; }
    void Subclass();

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR data);
    HWND hwnd_ = nullptr;
    bool subclassed_ = false;
    std::wstring accessibleName_;
};

}  // namespace ui
