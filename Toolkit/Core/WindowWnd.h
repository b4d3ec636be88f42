// A native top-level window owned by an object: the object registers its class, creates the
// window, receives every message in HandleMessage and hears OnFinalMessage once the native
// window is gone.
#pragma once

#include "Platform/Window.h"

#include <string_view>

namespace SkinUI {

class CWindowWnd {
public:
    CWindowWnd() = default;
    // A native window that outlives its object falls back to the platform's default handling.
    virtual ~CWindowWnd();
    CWindowWnd(const CWindowWnd&) = delete;
    CWindowWnd& operator=(const CWindowWnd&) = delete;

    plat::HWND GetHWND() const { return m_window; }

    // Registers the class on first use and creates the window; null on failure.
    virtual plat::HWND Create(plat::HWND parent, const wchar_t* title, plat::DWORD style, plat::DWORD exStyle,
                              int x = plat::CW_USEDEFAULT, int y = plat::CW_USEDEFAULT, int cx = plat::CW_USEDEFAULT,
                              int cy = plat::CW_USEDEFAULT);
    // Hidden when show is false, else shown, activated only with takeFocus.
    virtual void ShowWindow(bool show = true, bool takeFocus = true);
    // Centres on the owner (or the work area without one), kept inside the work area.
    virtual void CenterWindow();

    // Disables the owner and runs a message loop (with the managers' translation step) until
    // the window is gone; returns the code of the close request that ended it (0 otherwise).
    unsigned ShowModal();
    // Posts a close request carrying code; does nothing without a native window.
    void Close(unsigned code = 1);

    plat::LRESULT SendMessage(plat::UINT message, plat::WPARAM wParam = 0, plat::LPARAM lParam = 0);
    bool PostMessage(plat::UINT message, plat::WPARAM wParam = 0, plat::LPARAM lParam = 0);

protected:
    virtual std::wstring_view GetWindowClassName() const = 0;
    // A platform class to superclass: not supported, every window gets a class of its own.
    virtual std::wstring_view GetSuperClassName() const;
    virtual plat::UINT GetClassStyle() const;
    // The default passes the message to the platform.
    virtual plat::LRESULT HandleMessage(plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam);
    // After the native window is gone and the handle cleared; the object may delete itself here.
    virtual void OnFinalMessage(plat::HWND window);

    bool RegisterWindowClass();

    plat::HWND m_window = nullptr;
    plat::WNDPROC m_oldWndProc = plat::DefWindowProc;
    bool m_subclassed = false;

private:
    static plat::LRESULT WindowProc(plat::HWND window, plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam);
};

} // namespace SkinUI
