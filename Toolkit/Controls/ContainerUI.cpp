#include "Toolkit/Controls/ContainerUI.h"

#include "Toolkit/Core/AttributeValue.h"
#include "Toolkit/Core/UIManager.h"

#include <algorithm>

namespace SkinUI {

namespace {

const TAttributeSetter<CContainerUI> kAttributes[] = {
    {L"inset", [](CContainerUI& c, std::wstring_view v) { c.SetInset(ParseRect(v)); }},
    {L"mousechild", [](CContainerUI& c, std::wstring_view v) { c.SetMouseChildEnabled(ParseBool(v)); }},
    {L"childpadding", [](CContainerUI& c, std::wstring_view v) { c.SetChildPadding(ParseInt(v)); }},
};

} // namespace

CContainerUI::CContainerUI() = default;

CContainerUI::~CContainerUI()
{
    // Children go first, while this container is still whole for their listeners.
    for (std::unique_ptr<CControlUI>& child : m_items)
        child.reset();
    m_items.clear();
}

std::wstring_view CContainerUI::GetClass() const { return L"ContainerUI"; }

void* CContainerUI::GetInterface(std::wstring_view name)
{
    if (name == L"IContainer")
        return static_cast<IContainerUI*>(this);
    if (name == L"Container")
        return static_cast<CContainerUI*>(this);
    return CControlUI::GetInterface(name);
}

CControlUI* CContainerUI::GetItemAt(int index) const
{
    if (index < 0 || index >= GetCount())
        return nullptr;
    return m_items[static_cast<std::size_t>(index)].get();
}

int CContainerUI::GetItemIndex(CControlUI* control) const
{
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i].get() == control)
            return static_cast<int>(i);
    }
    return -1;
}

bool CContainerUI::SetItemIndex(CControlUI* control, int index)
{
    const int from = GetItemIndex(control);
    if (from < 0 || index < 0 || index >= GetCount())
        return false;
    std::unique_ptr<CControlUI> moved = std::move(m_items[static_cast<std::size_t>(from)]);
    m_items.erase(m_items.begin() + from);
    m_items.insert(m_items.begin() + index, std::move(moved));
    NeedUpdate();
    return true;
}

int CContainerUI::GetCount() const { return static_cast<int>(m_items.size()); }

bool CContainerUI::Add(CControlUI* control) { return AddAt(control, GetCount()); }

bool CContainerUI::AddAt(CControlUI* control, int index)
{
    if (control == nullptr || index < 0 || index > GetCount() || GetItemIndex(control) >= 0)
        return false;
    if (m_manager != nullptr)
        m_manager->InitControls(control, this);
    else
        control->SetManager(nullptr, this, false);
    if (IsVisible())
        NeedUpdate();
    else
        control->SetInternVisible(false);
    m_items.emplace(m_items.begin() + index, control);
    return true;
}

bool CContainerUI::Remove(CControlUI* control) { return RemoveAt(GetItemIndex(control)); }

bool CContainerUI::RemoveAt(int index)
{
    if (index < 0 || index >= GetCount())
        return false;
    NeedUpdate();
    std::unique_ptr<CControlUI> child = std::move(m_items[static_cast<std::size_t>(index)]);
    m_items.erase(m_items.begin() + index);
    DisposeChild(std::move(child));
    return true;
}

void CContainerUI::RemoveAll()
{
    std::vector<std::unique_ptr<CControlUI>> removed = std::move(m_items);
    m_items.clear();
    for (std::unique_ptr<CControlUI>& child : removed)
        DisposeChild(std::move(child));
    NeedUpdate();
}

void CContainerUI::DisposeChild(std::unique_ptr<CControlUI> child)
{
    if (!m_autoDestroy) {
        child.release()->SetManager(m_manager, nullptr, false);
        return;
    }
    if (m_delayedDestroy && m_manager != nullptr)
        m_manager->AddDelayedCleanup(child.release());
}

TRect CContainerUI::GetInset() const { return m_inset; }

void CContainerUI::SetInset(const TRect& inset)
{
    m_inset = inset;
    NeedUpdate();
}

int CContainerUI::GetChildPadding() const { return m_childPadding; }

void CContainerUI::SetChildPadding(int padding)
{
    m_childPadding = padding;
    NeedUpdate();
}

bool CContainerUI::IsAutoDestroy() const { return m_autoDestroy; }
void CContainerUI::SetAutoDestroy(bool autoDestroy) { m_autoDestroy = autoDestroy; }
bool CContainerUI::IsDelayedDestroy() const { return m_delayedDestroy; }
void CContainerUI::SetDelayedDestroy(bool delayed) { m_delayedDestroy = delayed; }
bool CContainerUI::IsMouseChildEnabled() const { return m_mouseChildEnabled; }
void CContainerUI::SetMouseChildEnabled(bool enabled) { m_mouseChildEnabled = enabled; }

int CContainerUI::FindSelectable(int index, bool forward) const
{
    if (m_items.empty())
        return -1;
    index = std::clamp(index, 0, GetCount() - 1);
    const auto selectable = [this](int i) {
        CControlUI* item = GetItemAt(i);
        return item->GetInterface(L"ListItem") != nullptr && item->IsVisible() && item->IsEnabled();
    };
    if (forward) {
        for (int i = index; i < GetCount(); ++i) {
            if (selectable(i))
                return i;
        }
        return -1;
    }
    for (int i = index; i >= 0; --i) {
        if (selectable(i))
            return i;
    }
    return FindSelectable(0, true);
}

void CContainerUI::SetFloatPos(int index)
{
    CControlUI* child = GetItemAt(index);
    if (child == nullptr || !child->IsVisible() || !child->IsFloat())
        return;
    const TSize xy = child->GetFixedXY();
    const TSize size{child->GetFixedWidth(), child->GetFixedHeight()};
    TRect placed;
    if (xy.cx >= 0) {
        placed.left = m_itemRect.left + xy.cx;
        placed.right = placed.left + size.cx;
    } else {
        placed.right = m_itemRect.right + xy.cx;
        placed.left = placed.right - size.cx;
    }
    if (xy.cy >= 0) {
        placed.top = m_itemRect.top + xy.cy;
        placed.bottom = placed.top + size.cy;
    } else {
        placed.bottom = m_itemRect.bottom + xy.cy;
        placed.top = placed.bottom - size.cy;
    }
    child->SetPos(placed);
}

void CContainerUI::ProcessScrollBar(const TRect& /*inner*/, int /*cxRequired*/, int /*cyRequired*/) {}

void CContainerUI::PropagateVisibility()
{
    for (const std::unique_ptr<CControlUI>& child : m_items)
        child->SetInternVisible(IsVisible());
}

void CContainerUI::SetVisible(bool visible)
{
    if (m_visible == visible)
        return;
    CControlUI::SetVisible(visible);
    PropagateVisibility();
}

void CContainerUI::SetInternVisible(bool visible)
{
    CControlUI::SetInternVisible(visible);
    PropagateVisibility();
}

void CContainerUI::SetManager(CUIManager* manager, CControlUI* parent, bool init)
{
    for (const std::unique_ptr<CControlUI>& child : m_items)
        child->SetManager(manager, this, init);
    CControlUI::SetManager(manager, parent, init);
}

CControlUI* CContainerUI::FindControl(FindControlProc proc, void* data, unsigned flags)
{
    if ((flags & kFindVisible) != 0 && !IsVisible())
        return nullptr;
    if ((flags & kFindEnabled) != 0 && !IsEnabled())
        return nullptr;
    const bool hitTest = (flags & kFindHitTest) != 0;
    const TPoint* point = static_cast<const TPoint*>(data);
    if (hitTest) {
        if (!m_itemRect.Contains(point->x, point->y))
            return nullptr;
        if (!m_mouseChildEnabled)
            return CControlUI::FindControl(proc, data, flags);
    }
    if ((flags & kFindMeFirst) != 0) {
        if (CControlUI* self = CControlUI::FindControl(proc, data, flags))
            return self;
    }
    const TRect inner = GetInnerRect();
    const auto answer = [&](CControlUI* child) -> CControlUI* {
        CControlUI* found = child->FindControl(proc, data, flags);
        if (found != nullptr && hitTest && !found->IsFloat() && !inner.Contains(point->x, point->y))
            return nullptr;
        return found;
    };
    if ((flags & kFindTopFirst) != 0) {
        for (int i = GetCount() - 1; i >= 0; --i) {
            if (CControlUI* found = answer(GetItemAt(i)))
                return found;
        }
    } else {
        for (int i = 0; i < GetCount(); ++i) {
            if (CControlUI* found = answer(GetItemAt(i)))
                return found;
        }
    }
    if ((flags & kFindMeFirst) == 0)
        return CControlUI::FindControl(proc, data, flags);
    return nullptr;
}

TRect CContainerUI::GetInnerRect() const { return DeflateRect(m_itemRect, m_inset); }

void CContainerUI::SetPos(const TRect& rect)
{
    CControlUI::SetPos(rect);
    if (m_items.empty())
        return;
    const TRect inner = GetInnerRect();
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* child = GetItemAt(i);
        if (!child->IsVisible())
            continue;
        if (child->IsFloat())
            SetFloatPos(i);
        else
            child->SetPos(inner);
    }
}

void CContainerUI::DoEvent(TUIEvent& event)
{
    if (!IsMouseEnabled() && IsMouseEvent(event.type)) {
        if (m_parent != nullptr)
            m_parent->DoEvent(event);
        else
            CControlUI::DoEvent(event);
        return;
    }
    if (event.type == kEventSetFocus) {
        m_focused = true;
        return;
    }
    if (event.type == kEventKillFocus) {
        m_focused = false;
        return;
    }
    CControlUI::DoEvent(event);
}

void CContainerUI::DoPaint(CDrawContext& context, const TRect& paint)
{
    const TRect visible = paint.Intersect(m_itemRect);
    if (visible.IsEmpty())
        return;
    CRenderClip itemClip(context, visible);
    CControlUI::DoPaint(context, paint);
    const TRect innerPaint = paint.Intersect(GetInnerRect());
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* child = GetItemAt(i);
        if (!child->IsVisible() || !paint.Intersects(child->GetPos()))
            continue;
        if (child->IsFloat()) {
            // Floating children may reach over the inset: only the item rectangle clips them.
            if (m_itemRect.Intersects(child->GetPos()))
                child->DoPaint(context, paint);
        } else if (!innerPaint.IsEmpty() && innerPaint.Intersects(child->GetPos())) {
            CRenderClip innerClip(context, innerPaint);
            child->DoPaint(context, paint);
        }
    }
}

void CContainerUI::SetAttribute(std::wstring_view name, std::wstring_view value)
{
    if (!ApplyAttribute<CContainerUI>(kAttributes, *this, name, value))
        CControlUI::SetAttribute(name, value);
}

} // namespace SkinUI
