#include "Toolkit/Controls/HorizontalLayoutUI.h"

#include "Toolkit/Controls/StackLayout.h"
#include "Toolkit/Core/AttributeValue.h"

namespace SkinUI {

namespace {

const TAttributeSetter<CHorizontalLayoutUI> kAttributes[] = {
    {L"sepwidth", [](CHorizontalLayoutUI& c, std::wstring_view v) { c.SetSepWidth(ParseInt(v)); }},
    {L"sepimm", [](CHorizontalLayoutUI& c, std::wstring_view v) { c.SetSepImmMode(ParseBool(v)); }},
};

} // namespace

std::wstring_view CHorizontalLayoutUI::GetClass() const { return L"HorizontalLayoutUI"; }

void* CHorizontalLayoutUI::GetInterface(std::wstring_view name)
{
    if (name == L"HorizontalLayout")
        return this;
    return CContainerUI::GetInterface(name);
}

void CHorizontalLayoutUI::SetPos(const TRect& rect)
{
    CControlUI::SetPos(rect);
    const TRect inner = GetInnerRect();
    const int needed = CStackLayout::Place(*this, inner, m_childPadding, false);
    ProcessScrollBar(inner, needed, 0);
}

void CHorizontalLayoutUI::SetAttribute(std::wstring_view name, std::wstring_view value)
{
    if (!ApplyAttribute<CHorizontalLayoutUI>(kAttributes, *this, name, value))
        CContainerUI::SetAttribute(name, value);
}

} // namespace SkinUI
