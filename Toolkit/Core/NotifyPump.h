// Dispatches notifications to handlers through message tables: each class's table links to its
// base class's, and an entry names the notification, optionally the sending control, and the
// handler. Virtual windows (named sub-pumps) get notifications that carry their name first.
#pragma once

#include "Toolkit/Core/UIDefs.h"

#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace SkinUI {

class CNotifyPump;

enum TNotifyEntryKind : int {
    kNotifyEntryEnd = 0,
    kNotifyEntryParams = 1,  // handler(wParam, lParam) -> result
    kNotifyEntryMessage = 2, // handler(msg)
};

struct TNotifyEntry {
    const wchar_t* type;
    const wchar_t* control; // "": any control
    int kind;
    plat::LRESULT (*onParams)(CNotifyPump& pump, plat::WPARAM wParam, plat::LPARAM lParam);
    void (*onMessage)(CNotifyPump& pump, TNotifyMsg& msg);
};

struct TNotifyMap {
    const TNotifyMap* base;
    std::span<const TNotifyEntry> entries;
};

template <typename T>
struct TMemberClass;
template <typename TClass, typename TResult, typename... TArgs>
struct TMemberClass<TResult (TClass::*)(TArgs...)> {
    using Type = TClass;
};

// A table row for a handler of a class derived from CNotifyPump, e.g.
// NotifyHandler<&CMainDlg::OnClick>(L"click", L""); the handler takes the notification, or its
// two parameters and returns a result. Virtual handlers dispatch as usual.
template <auto Handler>
TNotifyEntry NotifyHandler(const wchar_t* type, const wchar_t* control)
{
    using TPump = typename TMemberClass<decltype(Handler)>::Type;
    if constexpr (std::is_invocable_v<decltype(Handler), TPump&, TNotifyMsg&>) {
        return {type, control, kNotifyEntryMessage, nullptr,
                [](CNotifyPump& pump, TNotifyMsg& msg) { (static_cast<TPump&>(pump).*Handler)(msg); }};
    } else {
        return {type, control, kNotifyEntryParams,
                [](CNotifyPump& pump, plat::WPARAM wParam, plat::LPARAM lParam) -> plat::LRESULT {
                    return (static_cast<TPump&>(pump).*Handler)(wParam, lParam);
                },
                nullptr};
    }
}

class CNotifyPump {
public:
    CNotifyPump() = default;
    virtual ~CNotifyPump() = default;
    CNotifyPump(const CNotifyPump&) = delete;
    CNotifyPump& operator=(const CNotifyPump&) = delete;

    // Names compare ignoring case; a name already registered is refused.
    bool AddVirtualWnd(std::wstring_view name, CNotifyPump* pump);
    bool RemoveVirtualWnd(std::wstring_view name);
    // Virtual windows first, then this object's tables; false when nothing handled it.
    bool NotifyPump(TNotifyMsg& msg);
    // This object's tables only, from its class's up through the bases.
    bool LoopDispatch(TNotifyMsg& msg);

protected:
    // The class's table; CNotifyPump's own is empty and has no base.
    virtual const TNotifyMap* GetMessageTable() const;

private:
    std::vector<std::pair<std::wstring, CNotifyPump*>> m_virtualWnds;
};

} // namespace SkinUI
