#include "Toolkit/Core/WindowWnd.h"

#include "Platform/Input.h"
#include "Toolkit/Core/UIManager.h"

#include <string>

namespace SkinUI {

CWindowWnd::~CWindowWnd()
{
    if (m_window != nullptr && plat::IsWindow(m_window))
        plat::SetWindowLongPtr(m_window, plat::GWLP_USERDATA, 0);
}

std::wstring_view CWindowWnd::GetSuperClassName() const { return {}; }
plat::UINT CWindowWnd::GetClassStyle() const { return 0; }

bool CWindowWnd::RegisterWindowClass()
{
    const std::wstring name(GetWindowClassName());
    plat::WindowClass windowClass;
    windowClass.name = name.c_str();
    windowClass.proc = WindowProc;
    windowClass.style = GetClassStyle();
    windowClass.instance = CUIManager::GetInstance();
    return plat::RegisterClass(windowClass) || plat::GetLastError() == plat::ERROR_CLASS_ALREADY_EXISTS;
}

plat::HWND CWindowWnd::Create(plat::HWND parent, const wchar_t* title, plat::DWORD style, plat::DWORD exStyle, int x,
                              int y, int cx, int cy)
{
    if (!GetSuperClassName().empty() || !RegisterWindowClass())
        return nullptr;
    const std::wstring name(GetWindowClassName());
    // WindowProc stores the handle at the first message, before Create returns.
    const plat::HWND window = plat::CreateWindowEx(exStyle, name.c_str(), title, style, x, y, cx, cy, parent, this,
                                                   CUIManager::GetInstance());
    if (window != nullptr)
        m_window = window;
    return window;
}

plat::LRESULT CWindowWnd::WindowProc(plat::HWND window, plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam)
{
    CWindowWnd* self = nullptr;
    if (message == plat::WM_NCCREATE) {
        self = static_cast<CWindowWnd*>(plat::CreateParamOf(lParam));
        self->m_window = window;
        plat::SetWindowLongPtr(window, plat::GWLP_USERDATA, reinterpret_cast<plat::LONG_PTR>(self));
    } else {
        self = reinterpret_cast<CWindowWnd*>(plat::GetWindowLongPtr(window, plat::GWLP_USERDATA));
        if (message == plat::WM_NCDESTROY && self != nullptr) {
            const plat::LRESULT result = self->m_oldWndProc(window, message, wParam, lParam);
            plat::SetWindowLongPtr(window, plat::GWLP_USERDATA, 0);
            self->m_window = nullptr;
            self->OnFinalMessage(window);
            return result;
        }
    }
    if (self == nullptr)
        return plat::DefWindowProc(window, message, wParam, lParam);
    return self->HandleMessage(message, wParam, lParam);
}

plat::LRESULT CWindowWnd::HandleMessage(plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam)
{
    return m_oldWndProc(m_window, message, wParam, lParam);
}

void CWindowWnd::OnFinalMessage(plat::HWND /*window*/) {}

void CWindowWnd::ShowWindow(bool show, bool takeFocus)
{
    if (m_window == nullptr || !plat::IsWindow(m_window))
        return;
    plat::ShowWindow(m_window, show ? (takeFocus ? plat::SW_SHOWNORMAL : plat::SW_SHOWNOACTIVATE) : plat::SW_HIDE);
}

void CWindowWnd::CenterWindow()
{
    if (m_window == nullptr)
        return;
    plat::RECT dialog{};
    plat::GetWindowRect(m_window, &dialog);
    const plat::HWND owner = plat::GetWindowOwner(m_window);
    plat::MonitorArea monitor{};
    plat::GetNearestMonitorArea(owner != nullptr ? owner : m_window, &monitor);
    const plat::RECT& area = monitor.work;
    plat::RECT center = area;
    if (owner != nullptr)
        plat::GetWindowRect(owner, &center);
    const long width = dialog.right - dialog.left;
    const long height = dialog.bottom - dialog.top;
    long left = (center.left + center.right) / 2 - width / 2;
    long top = (center.top + center.bottom) / 2 - height / 2;
    if (left < area.left)
        left = area.left;
    else if (left + width > area.right)
        left = area.right - width;
    if (top < area.top)
        top = area.top;
    else if (top + height > area.bottom)
        top = area.bottom - height;
    plat::SetWindowPos(m_window, nullptr, static_cast<int>(left), static_cast<int>(top), -1, -1,
                       plat::SWP_NOSIZE | plat::SWP_NOZORDER | plat::SWP_NOACTIVATE);
}

unsigned CWindowWnd::ShowModal()
{
    // The object may be gone after any dispatch (a window that deletes itself when it closes):
    // from here on only these locals are used.
    const plat::HWND window = m_window;
    if (window == nullptr || !plat::IsWindow(window))
        return 0;
    const plat::HWND owner = plat::GetWindowOwner(window);
    unsigned result = 0;
    plat::ShowWindow(window, plat::SW_SHOWNORMAL);
    if (owner != nullptr)
        plat::EnableWindow(owner, false);
    plat::MSG msg{};
    bool quit = false;
    while (plat::IsWindow(window)) {
        const int got = plat::GetMessage(&msg, nullptr, 0, 0);
        if (got <= 0) {
            quit = got == 0;
            break;
        }
        if (msg.message == plat::WM_CLOSE && msg.hwnd == window) {
            result = static_cast<unsigned>(msg.wParam);
            if (owner != nullptr) {
                plat::EnableWindow(owner, true);
                plat::SetFocus(owner);
            }
        }
        if (!CUIManager::TranslateMessage(msg)) {
            plat::TranslateMessage(&msg);
            plat::DispatchMessage(&msg);
        }
    }
    if (owner != nullptr) {
        plat::EnableWindow(owner, true);
        plat::SetFocus(owner);
    }
    if (quit)
        plat::PostQuitMessage(static_cast<int>(msg.wParam));
    return result;
}

void CWindowWnd::Close(unsigned code)
{
    if (m_window == nullptr || !plat::IsWindow(m_window))
        return;
    plat::PostMessage(m_window, plat::WM_CLOSE, code, 0);
}

plat::LRESULT CWindowWnd::SendMessage(plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam)
{
    return plat::SendMessage(m_window, message, wParam, lParam);
}

bool CWindowWnd::PostMessage(plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam)
{
    return plat::PostMessage(m_window, message, wParam, lParam);
}

} // namespace SkinUI
