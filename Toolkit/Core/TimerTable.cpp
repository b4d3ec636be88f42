#include "Toolkit/Core/TimerTable.h"

#include <algorithm>

namespace SkinUI {

bool CTimerTable::Set(plat::HWND window, CControlUI* control, plat::UINT localId, plat::UINT elapseMs)
{
    for (TTimer& timer : m_timers) {
        if (timer.control != control || timer.window != window || timer.localId != localId)
            continue;
        if (!timer.killed)
            return false;
        if (plat::SetTimer(window, timer.nativeId, elapseMs, nullptr) == 0)
            return false;
        timer.killed = false;
        return true;
    }
    m_lastId = (m_lastId + 1) % 0xFF;
    if (plat::SetTimer(window, m_lastId, elapseMs, nullptr) == 0)
        return false;
    m_timers.push_back({control, localId, window, m_lastId, false});
    return true;
}

bool CTimerTable::Kill(plat::HWND window, CControlUI* control, plat::UINT localId)
{
    for (TTimer& timer : m_timers) {
        if (timer.control == control && timer.window == window && timer.localId == localId && !timer.killed) {
            if (plat::IsWindow(window))
                plat::KillTimer(window, timer.nativeId);
            timer.killed = true;
            return true;
        }
    }
    return false;
}

void CTimerTable::KillAll(plat::HWND window, CControlUI* control)
{
    std::erase_if(m_timers, [&](const TTimer& timer) {
        if (timer.control != control || timer.window != window)
            return false;
        if (!timer.killed)
            plat::KillTimer(window, timer.nativeId);
        return true;
    });
}

void CTimerTable::Clear(plat::HWND window)
{
    std::erase_if(m_timers, [&](const TTimer& timer) {
        if (timer.window != window)
            return false;
        if (!timer.killed && plat::IsWindow(window))
            plat::KillTimer(window, timer.nativeId);
        return true;
    });
}

const CTimerTable::TTimer* CTimerTable::FindLive(plat::HWND window, plat::UINT_PTR nativeId) const
{
    for (const TTimer& timer : m_timers) {
        if (timer.window == window && timer.nativeId == nativeId && !timer.killed)
            return &timer;
    }
    return nullptr;
}

} // namespace SkinUI
