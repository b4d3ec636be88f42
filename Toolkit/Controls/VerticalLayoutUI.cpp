#include "Toolkit/Controls/VerticalLayoutUI.h"

#include "Toolkit/Controls/StackLayout.h"
#include "Toolkit/Core/AttributeValue.h"

namespace SkinUI {

namespace {

const TAttributeSetter<CVerticalLayoutUI> kAttributes[] = {
    {L"sepheight", [](CVerticalLayoutUI& c, std::wstring_view v) { c.SetSepHeight(ParseInt(v)); }},
    {L"sepimm", [](CVerticalLayoutUI& c, std::wstring_view v) { c.SetSepImmMode(ParseBool(v)); }},
};

} // namespace

std::wstring_view CVerticalLayoutUI::GetClass() const { return L"VerticalLayoutUI"; }

void* CVerticalLayoutUI::GetInterface(std::wstring_view name)
{
    if (name == L"VerticalLayout")
        return this;
    return CContainerUI::GetInterface(name);
}

void CVerticalLayoutUI::SetPos(const TRect& rect)
{
    CControlUI::SetPos(rect);
    const TRect inner = GetInnerRect();
    const int needed = CStackLayout::Place(*this, inner, m_childPadding, true);
    ProcessScrollBar(inner, 0, needed);
}

void CVerticalLayoutUI::SetAttribute(std::wstring_view name, std::wstring_view value)
{
    if (!ApplyAttribute<CVerticalLayoutUI>(kAttributes, *this, name, value))
        CContainerUI::SetAttribute(name, value);
}

} // namespace SkinUI
