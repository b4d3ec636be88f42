// The common-controls tooltip, tracked by hand: one tool (the owner window itself) per tooltip.
#include <windows.h>
#include <commctrl.h>

namespace {
// Taken before the shared system header removes the macros these are built on.
constexpr UINT kAddTool = TTM_ADDTOOLW;
constexpr UINT kSetToolInfo = TTM_SETTOOLINFOW;
constexpr UINT kSetMaxTipWidth = TTM_SETMAXTIPWIDTH;
constexpr UINT kTrackActivate = TTM_TRACKACTIVATE;
constexpr UINT kGetDelayTime = TTM_GETDELAYTIME;
constexpr DWORD kTipStyle = WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP;
constexpr int kDefault = CW_USEDEFAULT;
} // namespace

#include "Platform/Win32/WinHeaders.h"

#include "Platform/Win32/Handles.h"

#include "Platform/ToolTip.h"

#include <map>
#include <mutex>

namespace plat {

using win32::Native;
using win32::Neutral;

namespace {

// The text buffer a tool description points at lives as long as its tooltip.
struct TipRecord {
    ::TOOLINFOW info{};
    std::wstring text;
};

std::mutex& TipLock()
{
    static std::mutex lock;
    return lock;
}

std::map<::HWND, TipRecord>& Tips()
{
    static auto* tips = new std::map<::HWND, TipRecord>;
    return *tips;
}

} // namespace

HWND CreateToolTip(HWND owner, HINSTANCE instance)
{
    const ::HWND tip = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, kTipStyle, kDefault, kDefault, kDefault,
                                         kDefault, Native(owner), nullptr, Native(instance), nullptr);
    if (tip == nullptr)
        return nullptr;
    std::lock_guard guard(TipLock());
    TipRecord& record = Tips()[tip];
    record.info.cbSize = sizeof(::TOOLINFOW);
    record.info.uFlags = TTF_IDISHWND;
    record.info.hwnd = Native(owner);
    record.info.uId = reinterpret_cast<::UINT_PTR>(Native(owner));
    record.info.hinst = Native(instance);
    record.info.lpszText = record.text.data();
    ::SendMessageW(tip, kAddTool, 0, reinterpret_cast<::LPARAM>(&record.info));
    return Neutral(tip);
}

bool ShowToolTip(HWND toolTip, HWND owner, const RECT& tool, const std::wstring& text, int maxWidth)
{
    std::lock_guard guard(TipLock());
    const auto found = Tips().find(Native(toolTip));
    if (found == Tips().end())
        return false;
    TipRecord& record = found->second;
    record.text = text;
    record.info.hwnd = Native(owner);
    record.info.uId = reinterpret_cast<::UINT_PTR>(Native(owner));
    record.info.lpszText = record.text.data();
    record.info.rect = {tool.left, tool.top, tool.right, tool.bottom};
    ::SendMessageW(found->first, kSetMaxTipWidth, 0, maxWidth);
    ::SendMessageW(found->first, kSetToolInfo, 0, reinterpret_cast<::LPARAM>(&record.info));
    ::SendMessageW(found->first, kTrackActivate, TRUE, reinterpret_cast<::LPARAM>(&record.info));
    return true;
}

bool HideToolTip(HWND toolTip)
{
    std::lock_guard guard(TipLock());
    const auto found = Tips().find(Native(toolTip));
    if (found == Tips().end())
        return false;
    ::SendMessageW(found->first, kTrackActivate, FALSE, reinterpret_cast<::LPARAM>(&found->second.info));
    return true;
}

UINT GetToolTipInitialDelay(HWND toolTip)
{
    return static_cast<UINT>(::SendMessageW(Native(toolTip), kGetDelayTime, TTDT_INITIAL, 0));
}

} // namespace plat
