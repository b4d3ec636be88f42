// Turns a layout document into a tree of controls: resource elements (Image, Font, Default)
// go to the manager, the Window element's attributes configure it, Include elements pull in
// other documents, and every other element becomes a control through the element table, the
// manager-independent callback, or is skipped with its content. Children are created and
// attached before any attribute of their parent is applied.
#pragma once

#include "Toolkit/Markup/XmlDocument.h"

#include <string>
#include <string_view>

namespace SkinUI {

class CControlUI;
class CUIManager;

// Makes controls for element names the toolkit does not know; null for "not mine".
class IDialogBuilderCallback {
public:
    virtual ~IDialogBuilderCallback() = default;
    virtual CControlUI* CreateControl(std::wstring_view elementName) = 0;
};

class CLayoutBuilder {
public:
    // How deep Include may nest and how many included documents one build may read in all.
    static constexpr int kMaxIncludeDepth = 8;
    static constexpr int kMaxIncludedBuilds = 4096;

    CLayoutBuilder() = default;
    CLayoutBuilder(const CLayoutBuilder&) = delete;
    CLayoutBuilder& operator=(const CLayoutBuilder&) = delete;

    // source is inline markup when it starts with "<", else a skin file name. Returns the first
    // control made at the top level (attached to parent when one is given), or null.
    CControlUI* Build(std::wstring_view source, IDialogBuilderCallback* callback = nullptr,
                      CUIManager* manager = nullptr, CControlUI* parent = nullptr);
    // The document is the executable resource id of resourceType; Include then reads decimal
    // resource ids of the same type.
    CControlUI* Build(unsigned resourceId, std::wstring_view resourceType, IDialogBuilderCallback* callback = nullptr,
                      CUIManager* manager = nullptr, CControlUI* parent = nullptr);

    const CXmlDocument& GetMarkup() const { return m_xml; }
    const std::wstring& GetLastErrorMessage() const { return m_xml.GetLastErrorMessage(); }
    const std::wstring& GetLastErrorLocation() const { return m_xml.GetLastErrorLocation(); }

    // Creates the control an element name stands for in the toolkit's own table; null for a
    // name the table does not have (or reserves without a control).
    static CControlUI* CreateBuiltInControl(std::wstring_view elementName);

private:
    struct TBudget {
        int includedBuilds = 0;
    };

    CLayoutBuilder(int depth, TBudget* budget) : m_depth(depth), m_budget(budget) {}

    CControlUI* Create(IDialogBuilderCallback* callback, CUIManager* manager, CControlUI* parent);
    void RegisterResources(const CXmlNode& root, CUIManager& manager) const;
    CControlUI* Parse(const CXmlNode& parentNode, CControlUI* parent, CUIManager* manager);
    void BuildInclude(const CXmlNode& node, CControlUI* parent, CUIManager* manager);
    CControlUI* MakeControl(std::wstring_view name) const;
    void ApplyAttributes(const CXmlNode& node, CControlUI& control, CUIManager* manager) const;

    CXmlDocument m_xml;
    IDialogBuilderCallback* m_callback = nullptr;
    std::wstring m_resourceType;
    int m_depth = 0;
    TBudget m_ownBudget;
    TBudget* m_budget = &m_ownBudget;
};

} // namespace SkinUI
