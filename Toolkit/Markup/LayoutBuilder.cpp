#include "Toolkit/Markup/LayoutBuilder.h"

#include "Platform/Resource.h"
#include "Toolkit/Controls/ContainerUI.h"
#include "Toolkit/Controls/ControlUI.h"
#include "Toolkit/Controls/HorizontalLayoutUI.h"
#include "Toolkit/Controls/TabLayoutUI.h"
#include "Toolkit/Controls/VerticalLayoutUI.h"
#include "Toolkit/Core/AttributeValue.h"
#include "Toolkit/Core/UIManager.h"

#include <memory>
#include <vector>

namespace SkinUI {

namespace {

template <typename TControl>
CControlUI* Make()
{
    return new TControl;
}

struct TElementFactory {
    const wchar_t* name;
    CControlUI* (*create)();
};

// Every element name that makes a control. Reserved names (null) behave as unknown elements
// until their control exists.
const TElementFactory kElements[] = {
    {L"Control", Make<CControlUI>},
    {L"Container", Make<CContainerUI>},
    {L"VerticalLayout", Make<CVerticalLayoutUI>},
    {L"HorizontalLayout", Make<CHorizontalLayoutUI>},
    {L"TabLayout", Make<CTabLayoutUI>},
    {L"Label", nullptr},
    {L"Button", nullptr},
    {L"Option", nullptr},
    {L"Edit", nullptr},
    {L"Progress", nullptr},
    {L"Text", nullptr},
    {L"List", nullptr},
    {L"Menu", nullptr},
    {L"Combo", nullptr},
    {L"Flash", nullptr},
    {L"Slider", nullptr},
    {L"ActiveX", nullptr},
    {L"RichEdit", nullptr},
    {L"CheckBox", nullptr},
    {L"ComboBox", nullptr},
    {L"DateTime", nullptr},
    {L"TreeView", nullptr},
    {L"TreeNode", nullptr},
    {L"ScrollBar", nullptr},
    {L"ListHeader", nullptr},
    {L"TileLayout", nullptr},
    {L"WebBrowser", nullptr},
    {L"ExpandList", nullptr},
    {L"ChildLayout", nullptr},
    {L"ListHeaderItem", nullptr},
    {L"ListTextElement", nullptr},
    {L"ListLabelElement", nullptr},
    {L"ListContainerElement", nullptr},
};

void ApplyInitSize(CUIManager& manager, std::wstring_view value)
{
    // A size of 0,0 counts as none recorded: the layout then sizes the window.
    if (manager.GetInitSize() == TSize{}) {
        const TSize size = ParseSize(value);
        manager.SetInitSize(size.cx, size.cy);
    }
}

// The Window element's attributes; unknown ones are ignored.
const TAttributeSetter<CUIManager> kWindowAttributes[] = {
    {L"size", ApplyInitSize},
    {L"sizebox", [](CUIManager& m, std::wstring_view v) { m.SetSizeBox(ParseRect(v)); }},
    {L"caption", [](CUIManager& m, std::wstring_view v) { m.SetCaptionRect(ParseRect(v)); }},
    {L"roundcorner", [](CUIManager& m, std::wstring_view v) { m.SetRoundCorner(ParseSize(v)); }},
    {L"shadowcorner", [](CUIManager& m, std::wstring_view v) { m.SetShadowCorner(ParseSize(v)); }},
    {L"mininfo", [](CUIManager& m, std::wstring_view v) { m.SetMinInfo(ParseSize(v)); }},
    {L"maxinfo", [](CUIManager& m, std::wstring_view v) { m.SetMaxInfo(ParseSize(v)); }},
    {L"sizegrip", [](CUIManager& m, std::wstring_view v) { m.SetSizeGrip(ParseSize(v)); }},
    {L"showdirty", [](CUIManager& m, std::wstring_view v) { m.SetShowUpdateRect(ParseBool(v)); }},
    {L"alpha", [](CUIManager& m, std::wstring_view v) { m.SetOpacity(ParseInt(v)); }},
    {L"bktrans", [](CUIManager& m, std::wstring_view v) { m.SetBackgroundTransparent(ParseBool(v)); }},
    {L"shadow", [](CUIManager& m, std::wstring_view v) { m.SetShadow(ParseBool(v)); }},
    {L"selfshadow", [](CUIManager& m, std::wstring_view v) { m.SetSelfShadow(ParseBool(v)); }},
    {L"shadowborder", [](CUIManager& m, std::wstring_view v) { m.SetShadowBorder(ParseRect(v)); }},
    {L"shadowimage", [](CUIManager& m, std::wstring_view v) { m.SetShadowImage(v); }},
    {L"disabledfontcolor", [](CUIManager& m, std::wstring_view v) { m.SetDefaultDisabledColor(ParseColor(v)); }},
    {L"defaultfontcolor", [](CUIManager& m, std::wstring_view v) { m.SetDefaultFontColor(ParseColor(v)); }},
    {L"linkfontcolor", [](CUIManager& m, std::wstring_view v) { m.SetDefaultLinkFontColor(ParseColor(v)); }},
    {L"linkhoverfontcolor",
     [](CUIManager& m, std::wstring_view v) { m.SetDefaultLinkHoverFontColor(ParseColor(v)); }},
    {L"selectedcolor", [](CUIManager& m, std::wstring_view v) { m.SetDefaultSelectedBkColor(ParseColor(v)); }},
};

bool IsResourceElement(std::wstring_view name) { return name == L"Image" || name == L"Font" || name == L"Default"; }

void AddFontOf(const CXmlNode& node, CUIManager& manager)
{
    std::wstring face;
    int size = 12;
    bool bold = false;
    bool underline = false;
    bool italic = false;
    bool isDefault = false;
    bool named = false;
    for (int i = 0; i < node.GetAttributeCount(); ++i) {
        const std::wstring_view name = node.GetAttributeName(i);
        const std::wstring_view value = node.GetAttributeValue(i);
        if (name == L"name") {
            face = value;
            named = true;
        } else if (name == L"size") {
            size = ParseInt(value);
        } else if (name == L"bold") {
            bold = ParseBool(value);
        } else if (name == L"underline") {
            underline = ParseBool(value);
        } else if (name == L"italic") {
            italic = ParseBool(value);
        } else if (name == L"default") {
            isDefault = ParseBool(value);
        }
    }
    if (!named)
        return;
    manager.AddFont(face, size, bold, underline, italic);
    if (isDefault)
        manager.SetDefaultFont(face, size, bold, underline, italic);
}

void AddImageOf(const CXmlNode& node, CUIManager& manager)
{
    std::wstring name;
    std::wstring type;
    std::wstring mask;
    if (!node.GetAttributeValue(L"name", name))
        return;
    node.GetAttributeValue(L"restype", type);
    node.GetAttributeValue(L"mask", mask);
    manager.AddImage(name, type, ParseColor(mask));
}

void AddDefaultOf(const CXmlNode& node, CUIManager& manager)
{
    std::wstring name;
    std::wstring value;
    if (node.GetAttributeValue(L"name", name) && node.GetAttributeValue(L"value", value))
        manager.AddDefaultAttributeList(name, value);
}

bool IsSmallResourceId(std::wstring_view text)
{
    return !text.empty() && text.front() >= L'0' && text.front() <= L'9';
}

} // namespace

CControlUI* CLayoutBuilder::CreateBuiltInControl(std::wstring_view elementName)
{
    for (const TElementFactory& element : kElements) {
        if (elementName == element.name)
            return element.create != nullptr ? element.create() : nullptr;
    }
    return nullptr;
}

CControlUI* CLayoutBuilder::Build(std::wstring_view source, IDialogBuilderCallback* callback, CUIManager* manager,
                                  CControlUI* parent)
{
    const bool loaded = !source.empty() && source.front() == L'<' ? m_xml.Load(source) : m_xml.LoadFromFile(source);
    if (!loaded)
        return nullptr;
    return Create(callback, manager, parent);
}

CControlUI* CLayoutBuilder::Build(unsigned resourceId, std::wstring_view resourceType,
                                  IDialogBuilderCallback* callback, CUIManager* manager, CControlUI* parent)
{
    m_resourceType = resourceType;
    std::vector<unsigned char> bytes;
    if (!plat::LoadResourceBytes(CUIManager::GetInstance(), resourceId, m_resourceType.c_str(), bytes))
        return nullptr;
    if (!m_xml.LoadFromMem(bytes.data(), bytes.size()))
        return nullptr;
    return Create(callback, manager, parent);
}

CControlUI* CLayoutBuilder::Create(IDialogBuilderCallback* callback, CUIManager* manager, CControlUI* parent)
{
    m_callback = callback;
    const CXmlNode root = m_xml.GetRoot();
    if (!root.IsValid())
        return nullptr;
    if (manager != nullptr) {
        RegisterResources(root, *manager);
        if (manager->GetPaintWindow() != nullptr && std::wstring_view(root.GetName()) == L"Window") {
            for (int i = 0; i < root.GetAttributeCount(); ++i)
                ApplyAttribute<CUIManager>(kWindowAttributes, *manager, root.GetAttributeName(i),
                                           root.GetAttributeValue(i));
        }
    }
    return Parse(root, parent, manager);
}

void CLayoutBuilder::RegisterResources(const CXmlNode& root, CUIManager& manager) const
{
    for (CXmlNode node = root.GetChild(); node.IsValid(); node = node.GetSibling()) {
        const std::wstring_view name = node.GetName();
        if (name == L"Image")
            AddImageOf(node, manager);
        else if (name == L"Font")
            AddFontOf(node, manager);
        else if (name == L"Default")
            AddDefaultOf(node, manager);
    }
}

CControlUI* CLayoutBuilder::Parse(const CXmlNode& parentNode, CControlUI* parent, CUIManager* manager)
{
    IContainerUI* container = nullptr;
    CControlUI* first = nullptr;
    // Without a parent nobody would own a second top-level control: only the first is kept.
    std::vector<std::unique_ptr<CControlUI>> unowned;
    for (CXmlNode node = parentNode.GetChild(); node.IsValid(); node = node.GetSibling()) {
        const std::wstring_view name = node.GetName();
        if (IsResourceElement(name))
            continue;
        if (name == L"Include") {
            BuildInclude(node, parent, manager);
            continue;
        }
        std::unique_ptr<CControlUI> control(MakeControl(name));
        if (control == nullptr)
            continue;
        if (node.HasChildren())
            Parse(node, control.get(), manager);
        if (parent != nullptr) {
            if (container == nullptr)
                container = static_cast<IContainerUI*>(parent->GetInterface(L"IContainer"));
            if (container == nullptr)
                return nullptr;
            if (!container->Add(control.get()))
                continue;
        }
        CControlUI* made = parent != nullptr ? control.release() : control.get();
        ApplyAttributes(node, *made, manager);
        if (first == nullptr)
            first = made;
        if (parent == nullptr)
            unowned.push_back(std::move(control));
    }
    if (!unowned.empty())
        unowned.front().release();
    return first;
}

void CLayoutBuilder::BuildInclude(const CXmlNode& node, CControlUI* parent, CUIManager* manager)
{
    if (!node.HasAttributes())
        return;
    int count = 1;
    std::wstring source;
    for (int i = 0; i < node.GetAttributeCount(); ++i) {
        const std::wstring_view name = node.GetAttributeName(i);
        if (name == L"count")
            count = ParseInt(node.GetAttributeValue(i));
        else if (name == L"source")
            source = node.GetAttributeValue(i);
    }
    if (source.empty() || m_depth + 1 > kMaxIncludeDepth)
        return;
    for (int i = 0; i < count && m_budget->includedBuilds < kMaxIncludedBuilds; ++i) {
        ++m_budget->includedBuilds;
        CLayoutBuilder included(m_depth + 1, m_budget);
        if (!m_resourceType.empty()) {
            if (IsSmallResourceId(source))
                included.Build(static_cast<unsigned>(ParseInt(source)), m_resourceType, m_callback, manager, parent);
        } else {
            included.Build(source, m_callback, manager, parent);
        }
    }
}

CControlUI* CLayoutBuilder::MakeControl(std::wstring_view name) const
{
    if (CControlUI* control = CreateBuiltInControl(name))
        return control;
    if (m_callback != nullptr)
        return m_callback->CreateControl(name);
    return nullptr;
}

void CLayoutBuilder::ApplyAttributes(const CXmlNode& node, CControlUI& control, CUIManager* manager) const
{
    if (manager == nullptr) {
        for (int i = 0; i < node.GetAttributeCount(); ++i)
            control.SetAttribute(node.GetAttributeName(i), node.GetAttributeValue(i));
        return;
    }
    // Bound for the attributes that need the manager (option groups); a control that was
    // bound before (added to a live container) stays bound afterwards.
    CUIManager* before = control.GetManager();
    control.SetManager(manager, control.GetParent(), false);
    if (const std::wstring* defaults = manager->GetDefaultAttributeList(node.GetName()))
        control.ApplyAttributeList(*defaults);
    for (int i = 0; i < node.GetAttributeCount(); ++i)
        control.SetAttribute(node.GetAttributeName(i), node.GetAttributeValue(i));
    control.SetManager(before, control.GetParent(), false);
}

} // namespace SkinUI
