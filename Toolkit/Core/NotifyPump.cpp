#include "Toolkit/Core/NotifyPump.h"

#include "Toolkit/Controls/ControlUI.h"

#include <algorithm>
#include <cwctype>

namespace SkinUI {

namespace {

bool EqualsIgnoringCase(std::wstring_view a, std::wstring_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
               return std::towlower(static_cast<std::wint_t>(x)) == std::towlower(static_cast<std::wint_t>(y));
           });
}

// An entry for the sender's own name wins at once; otherwise the last general entry.
const TNotifyEntry* FindEntry(std::span<const TNotifyEntry> entries, const TNotifyMsg& msg, std::wstring_view sender)
{
    const TNotifyEntry* general = nullptr;
    for (const TNotifyEntry& entry : entries) {
        if (entry.kind == kNotifyEntryEnd)
            break;
        if (msg.type != entry.type)
            continue;
        const std::wstring_view control = entry.control != nullptr ? entry.control : L"";
        if (control.empty())
            general = &entry;
        else if (control == sender)
            return &entry;
    }
    return general;
}

} // namespace

const TNotifyMap* CNotifyPump::GetMessageTable() const
{
    static const TNotifyMap table{nullptr, {}};
    return &table;
}

bool CNotifyPump::AddVirtualWnd(std::wstring_view name, CNotifyPump* pump)
{
    const bool taken = std::any_of(m_virtualWnds.begin(), m_virtualWnds.end(),
                                   [&](const auto& entry) { return EqualsIgnoringCase(entry.first, name); });
    if (taken || pump == nullptr)
        return false;
    m_virtualWnds.emplace_back(name, pump);
    return true;
}

bool CNotifyPump::RemoveVirtualWnd(std::wstring_view name)
{
    return std::erase_if(m_virtualWnds, [&](const auto& entry) { return EqualsIgnoringCase(entry.first, name); }) > 0;
}

bool CNotifyPump::NotifyPump(TNotifyMsg& msg)
{
    if (!msg.virtualWnd.empty()) {
        for (const auto& [name, pump] : m_virtualWnds) {
            if (EqualsIgnoringCase(name, msg.virtualWnd) && pump->LoopDispatch(msg))
                return true;
        }
    }
    return LoopDispatch(msg);
}

bool CNotifyPump::LoopDispatch(TNotifyMsg& msg)
{
    const std::wstring sender = msg.sender != nullptr ? msg.sender->GetName() : std::wstring();
    for (const TNotifyMap* map = GetMessageTable(); map != nullptr; map = map->base) {
        const TNotifyEntry* entry = FindEntry(map->entries, msg, sender);
        if (entry == nullptr)
            continue;
        if (entry->kind == kNotifyEntryParams)
            entry->onParams(*this, msg.wParam, msg.lParam);
        else
            entry->onMessage(*this, msg);
        return true;
    }
    return false;
}

} // namespace SkinUI
