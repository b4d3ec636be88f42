#include "Toolkit/Controls/TabLayoutUI.h"

#include "Toolkit/Core/AttributeValue.h"
#include "Toolkit/Core/UIManager.h"

#include <algorithm>

namespace SkinUI {

namespace {

void ApplySelectedId(CTabLayoutUI& tab, std::wstring_view value)
{
    const int index = ParseInt(value);
    if (index >= 0)
        tab.SelectItem(index);
}

const TAttributeSetter<CTabLayoutUI> kAttributes[] = {
    {L"selectedid", ApplySelectedId},
};

} // namespace

std::wstring_view CTabLayoutUI::GetClass() const { return L"TabLayoutUI"; }

void* CTabLayoutUI::GetInterface(std::wstring_view name)
{
    if (name == L"TabLayout")
        return this;
    return CContainerUI::GetInterface(name);
}

void CTabLayoutUI::TakeNewPage(CControlUI* control, int index)
{
    if (m_curSel == -1 && control->IsVisible()) {
        m_curSel = GetItemIndex(control);
        return;
    }
    if (m_curSel != -1 && index <= m_curSel)
        ++m_curSel;
    control->SetVisible(false);
}

bool CTabLayoutUI::AddAt(CControlUI* control, int index)
{
    if (!CContainerUI::AddAt(control, index))
        return false;
    TakeNewPage(control, index);
    return true;
}

bool CTabLayoutUI::RemoveAt(int index)
{
    if (!CContainerUI::RemoveAt(index))
        return false;
    if (m_curSel == index) {
        if (GetCount() > 0) {
            m_curSel = 0;
            GetItemAt(0)->SetVisible(true);
        } else {
            m_curSel = -1;
        }
        NeedParentUpdate();
    } else if (m_curSel > index) {
        --m_curSel;
    }
    return true;
}

void CTabLayoutUI::RemoveAll()
{
    m_curSel = -1;
    CContainerUI::RemoveAll();
    NeedParentUpdate();
}

bool CTabLayoutUI::SelectItem(int index)
{
    if (index < 0 || index >= GetCount())
        return false;
    if (index == m_curSel)
        return true;
    const int oldSel = m_curSel;
    m_curSel = index;
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* page = GetItemAt(i);
        if (i == index) {
            page->SetVisible(true);
            page->SetFocus();
            SetPos(m_itemRect);
        } else {
            page->SetVisible(false);
        }
    }
    NeedParentUpdate();
    if (m_manager != nullptr) {
        m_manager->SetNextTabControl();
        m_manager->SendNotify(this, kNotifyTabSelect, static_cast<plat::WPARAM>(m_curSel), oldSel);
    }
    return true;
}

bool CTabLayoutUI::SelectItem(CControlUI* control) { return SelectItem(GetItemIndex(control)); }

void CTabLayoutUI::SetPos(const TRect& rect)
{
    CControlUI::SetPos(rect);
    const TRect inner = GetInnerRect();
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* page = GetItemAt(i);
        if (!page->IsVisible())
            continue;
        if (page->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        if (i != m_curSel)
            continue;
        const TRect area = DeflateRect(inner, page->GetPadding());
        const TSize available{area.Width(), area.Height()};
        TSize size = page->EstimateSize(available);
        if (size.cx == 0)
            size.cx = std::max(0, available.cx);
        size.cx = std::min(std::max(size.cx, page->GetMinWidth()), page->GetMaxWidth());
        if (size.cy == 0)
            size.cy = std::max(0, available.cy);
        size.cy = std::min(std::max(size.cy, page->GetMinHeight()), page->GetMaxHeight());
        page->SetPos({area.left, area.top, area.left + size.cx, area.top + size.cy});
    }
}

void CTabLayoutUI::SetAttribute(std::wstring_view name, std::wstring_view value)
{
    if (!ApplyAttribute<CTabLayoutUI>(kAttributes, *this, name, value))
        CContainerUI::SetAttribute(name, value);
}

} // namespace SkinUI
