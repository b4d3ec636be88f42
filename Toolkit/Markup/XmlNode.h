// A cursor on one element of a CXmlDocument; the document must outlive it.
#pragma once

#include <string>
#include <string_view>

namespace SkinUI {

class CXmlDocument;

class CXmlNode {
public:
    // Attributes past this many on one element are parsed and checked but not reachable here.
    static constexpr int kMaxAttributes = 64;
    // Longest value the by-name lookup copies out.
    static constexpr int kMaxAttributeCopy = 500;

    CXmlNode() = default;
    CXmlNode(const CXmlDocument* document, int element);

    bool IsValid() const { return m_document != nullptr; }
    int GetIndex() const { return m_element; }

    // Never null; "" on an invalid node.
    const wchar_t* GetName() const;
    const wchar_t* GetValue() const;

    CXmlNode GetChild() const;
    CXmlNode GetSibling() const;
    CXmlNode GetParent() const;
    bool HasChildren() const;

    bool HasAttributes() const;
    int GetAttributeCount() const;
    // "" for a position out of range.
    const wchar_t* GetAttributeName(int position) const;
    const wchar_t* GetAttributeValue(int position) const;
    // First attribute of that exact name; false (and out emptied) when absent. At most
    // kMaxAttributeCopy characters are copied.
    bool GetAttributeValue(std::wstring_view name, std::wstring& out) const;
    bool HasAttribute(std::wstring_view name) const;

private:
    struct TAttribute {
        int name;
        int value;
    };

    void MapAttributes() const;
    int FindAttribute(std::wstring_view name) const;

    const CXmlDocument* m_document = nullptr;
    int m_element = 0;
    mutable int m_attributeCount = -1; // -1: index not built yet
    mutable TAttribute m_attributes[kMaxAttributes] = {};
};

} // namespace SkinUI
