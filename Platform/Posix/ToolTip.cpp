// A minimal tooltip for the emulation: a hidden popup of the standard class whose shown text and
// placement tests can read (Platform/Posix/TestToolTip.h).
#include "Platform/ToolTip.h"

#include "Platform/Input.h"
#include "Platform/Posix/TestToolTip.h"

#include <map>
#include <mutex>

namespace plat {

namespace {

constexpr const wchar_t* kClassName = L"tooltips_class32";
constexpr UINT kInitialDelayMs = 500;
constexpr int kCursorHeight = 20;

struct TipState {
    HWND owner = nullptr;
    std::wstring text;
    RECT tool{};
    int maxWidth = 0;
    bool shown = false;
};

std::mutex& TipLock()
{
    static std::mutex lock;
    return lock;
}

std::map<HWND, TipState>& Tips()
{
    static auto* tips = new std::map<HWND, TipState>;
    return *tips;
}

LRESULT TipProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCDESTROY) {
        std::lock_guard guard(TipLock());
        Tips().erase(window);
    }
    if (message == WM_NCHITTEST)
        return HTTRANSPARENT;
    return DefWindowProc(window, message, wParam, lParam);
}

} // namespace

HWND CreateToolTip(HWND owner, HINSTANCE instance)
{
    RegisterClass({kClassName, TipProc, 0, nullptr});
    HWND tip = CreateWindowEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kClassName, L"", WS_POPUP, 0, 0, 0, 0, owner,
                              nullptr, instance);
    if (tip != nullptr) {
        std::lock_guard guard(TipLock());
        Tips()[tip].owner = owner;
    }
    return tip;
}

bool ShowToolTip(HWND toolTip, HWND owner, const RECT& tool, const std::wstring& text, int maxWidth)
{
    {
        std::lock_guard guard(TipLock());
        const auto found = Tips().find(toolTip);
        if (found == Tips().end())
            return false;
        found->second = {owner, text, tool, maxWidth, true};
    }
    POINT cursor{};
    GetCursorPos(&cursor);
    SetWindowPos(toolTip, HWND_TOPMOST, static_cast<int>(cursor.x), static_cast<int>(cursor.y) + kCursorHeight,
                 maxWidth > 0 ? maxWidth : 300, kCursorHeight, SWP_NOACTIVATE);
    ShowWindow(toolTip, SW_SHOWNA);
    return true;
}

bool HideToolTip(HWND toolTip)
{
    {
        std::lock_guard guard(TipLock());
        const auto found = Tips().find(toolTip);
        if (found == Tips().end())
            return false;
        found->second.shown = false;
    }
    ShowWindow(toolTip, SW_HIDE);
    return true;
}

UINT GetToolTipInitialDelay(HWND /*toolTip*/) { return kInitialDelayMs; }

namespace test {

std::optional<ShownToolTip> VisibleToolTip(HWND owner)
{
    std::lock_guard guard(TipLock());
    for (const auto& [tip, state] : Tips()) {
        if (state.owner == owner && state.shown)
            return ShownToolTip{tip, state.text, state.tool, state.maxWidth};
    }
    return std::nullopt;
}

} // namespace test

} // namespace plat
