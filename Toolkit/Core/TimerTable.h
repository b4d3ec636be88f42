// The control timers of a manager, each backed by a native window timer. Native ids are handed
// out as (previous + 1) modulo 255 starting after 4096, so the first is 17 and they wrap
// through 0; a killed record keeps its native id and is revived by the next Set.
#pragma once

#include "Platform/Window.h"

#include <vector>

namespace SkinUI {

class CControlUI;

class CTimerTable {
public:
    struct TTimer {
        CControlUI* control;
        plat::UINT localId;
        plat::HWND window;
        plat::UINT_PTR nativeId;
        bool killed;
    };

    CTimerTable() = default;
    CTimerTable(const CTimerTable&) = delete;
    CTimerTable& operator=(const CTimerTable&) = delete;

    // Fails when a live timer with that id exists or the native timer cannot start.
    bool Set(plat::HWND window, CControlUI* control, plat::UINT localId, plat::UINT elapseMs);
    // Stops a live timer; its record stays for reuse.
    bool Kill(plat::HWND window, CControlUI* control, plat::UINT localId);
    // Stops and forgets every timer of the control.
    void KillAll(plat::HWND window, CControlUI* control);
    // Stops and forgets every timer of the window.
    void Clear(plat::HWND window);
    // The live timer of the window with that native id, or null.
    const TTimer* FindLive(plat::HWND window, plat::UINT_PTR nativeId) const;
    int GetCount() const { return static_cast<int>(m_timers.size()); }

private:
    std::vector<TTimer> m_timers;
    plat::UINT m_lastId = 0x1000;
};

} // namespace SkinUI
