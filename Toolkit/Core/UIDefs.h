// Records and constants shared by the controls, their manager and the window base.
#pragma once

#include "Platform/Types.h"
#include "Toolkit/Render/Bitmap.h"

#include <cstdint>
#include <string>

namespace SkinUI {

class CControlUI;

struct TSize {
    int cx = 0;
    int cy = 0;

    friend bool operator==(const TSize&, const TSize&) = default;
};

struct TPoint {
    int x = 0;
    int y = 0;

    friend bool operator==(const TPoint&, const TPoint&) = default;
};

// Event types; the ranges (key 2..7, mouse 8..19) are part of the numbering.
enum TEventType : int {
    kEventFirst = 1,
    kEventKeyBegin,
    kEventKeyDown,
    kEventKeyUp,
    kEventChar,
    kEventSysKey,
    kEventKeyEnd,
    kEventMouseBegin,
    kEventMouseMove,
    kEventMouseLeave,
    kEventMouseEnter,
    kEventMouseHover,
    kEventButtonDown,
    kEventButtonUp,
    kEventRButtonDown,
    kEventDblClick,
    kEventContextMenu,
    kEventScrollWheel,
    kEventMouseEnd,
    kEventKillFocus,
    kEventSetFocus,
    kEventWindowSize,
    kEventSetCursor,
    kEventTimer,
    kEventNotify,
    kEventCommand,
    kEventLast,
};
static_assert(kEventMouseMove == 9 && kEventScrollWheel == 18 && kEventLast == 27);

constexpr bool IsMouseEvent(int type) { return type > kEventMouseBegin && type < kEventMouseEnd; }

// Key state bits of TUIEvent: each set while held.
enum : std::uint16_t {
    kKeyStateLButton = 1,
    kKeyStateRButton = 2,
    kKeyStateShift = 4,
    kKeyStateControl = 8,
    kKeyStateAlt = 32,
};

struct TUIEvent {
    int type = 0;
    CControlUI* sender = nullptr;
    std::uint32_t timestamp = 0;
    TPoint mousePos;
    std::uint16_t key = 0;
    std::uint16_t keyState = 0;
    plat::WPARAM wParam = 0;
    plat::LPARAM lParam = 0;
};

struct TNotifyMsg {
    std::wstring type;
    std::wstring virtualWnd;
    CControlUI* sender = nullptr;
    std::uint32_t timestamp = 0;
    TPoint mousePos;
    plat::WPARAM wParam = 0;
    plat::LPARAM lParam = 0;
};

// Flags of the tree search (CControlUI::FindControl).
inline constexpr unsigned kFindAll = 0;
inline constexpr unsigned kFindVisible = 1;
inline constexpr unsigned kFindEnabled = 2;
inline constexpr unsigned kFindHitTest = 4;
inline constexpr unsigned kFindTopFirst = 8;
inline constexpr unsigned kFindMeFirst = 0x80000000u;

// Bits of CControlUI::GetControlFlags.
inline constexpr unsigned kControlFlagTabStop = 1;
inline constexpr unsigned kControlFlagSetCursor = 2;

// The test of a tree search: the control itself when it matches, else null.
using FindControlProc = CControlUI* (*)(CControlUI* control, void* data);

// Notification names raised by the toolkit.
inline constexpr const wchar_t* kNotifyWindowInit = L"windowinit";
inline constexpr const wchar_t* kNotifySetFocus = L"setfocus";
inline constexpr const wchar_t* kNotifyKillFocus = L"killfocus";
inline constexpr const wchar_t* kNotifyClick = L"click";
inline constexpr const wchar_t* kNotifySelectChanged = L"selectchanged";
inline constexpr const wchar_t* kNotifyTabSelect = L"tabselect";
inline constexpr const wchar_t* kNotifyTextChanged = L"textchanged";
inline constexpr const wchar_t* kNotifyReturn = L"return";
inline constexpr const wchar_t* kNotifyTimer = L"timer";
inline constexpr const wchar_t* kNotifyMenu = L"menu";

// The union of two rectangles (an empty one counts like any other).
constexpr TRect JoinRect(const TRect& a, const TRect& b)
{
    return {a.left < b.left ? a.left : b.left, a.top < b.top ? a.top : b.top,
            a.right > b.right ? a.right : b.right, a.bottom > b.bottom ? a.bottom : b.bottom};
}

// The rectangle shrunk by the four widths of inset.
constexpr TRect DeflateRect(const TRect& rect, const TRect& inset)
{
    return {rect.left + inset.left, rect.top + inset.top, rect.right - inset.right, rect.bottom - inset.bottom};
}

} // namespace SkinUI
