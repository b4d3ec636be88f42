// Dispatches notifications to handlers through message tables: each class's table links to its
// base class's, and an entry names the notification, optionally the sending control, and the
// handler. Virtual windows (named sub-pumps) get notifications that carry their name first.
#pragma once

#include "Toolkit/Core/UIDefs.h"

#include <span>
#include <string>
#include <string_view>
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
    plat::LRESULT (CNotifyPump::*onParams)(plat::WPARAM wParam, plat::LPARAM lParam);
    void (CNotifyPump::*onMessage)(TNotifyMsg& msg);
};

struct TNotifyMap {
    const TNotifyMap* base;
    std::span<const TNotifyEntry> entries;
};

// Table rows for a handler of a class derived from CNotifyPump.
template <typename TPump>
constexpr TNotifyEntry NotifyHandler(const wchar_t* type, const wchar_t* control, void (TPump::*handler)(TNotifyMsg&))
{
    return {type, control, kNotifyEntryMessage, nullptr, static_cast<void (CNotifyPump::*)(TNotifyMsg&)>(handler)};
}

template <typename TPump>
constexpr TNotifyEntry NotifyHandler(const wchar_t* type, const wchar_t* control,
                                     plat::LRESULT (TPump::*handler)(plat::WPARAM, plat::LPARAM))
{
    return {type, control, kNotifyEntryParams,
            static_cast<plat::LRESULT (CNotifyPump::*)(plat::WPARAM, plat::LPARAM)>(handler), nullptr};
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
