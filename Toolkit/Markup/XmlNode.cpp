#include "Toolkit/Markup/XmlNode.h"

#include <algorithm>

#include "Toolkit/Markup/XmlDocument.h"
#include "Toolkit/Markup/XmlSyntax.h"

namespace SkinUI {

CXmlNode::CXmlNode(const CXmlDocument* document, int element)
{
    if (document != nullptr && element >= 0 && element < document->GetElementCount()) {
        m_document = document;
        m_element = element;
    }
}

const wchar_t* CXmlNode::GetName() const
{
    return IsValid() ? m_document->TextAt(m_document->GetElement(m_element).name) : L"";
}

const wchar_t* CXmlNode::GetValue() const
{
    return IsValid() ? m_document->TextAt(m_document->GetElement(m_element).data) : L"";
}

CXmlNode CXmlNode::GetChild() const
{
    const int child = IsValid() ? m_document->GetElement(m_element).child : 0;
    return child != 0 ? CXmlNode(m_document, child) : CXmlNode();
}

CXmlNode CXmlNode::GetSibling() const
{
    const int sibling = IsValid() ? m_document->GetElement(m_element).sibling : 0;
    return sibling != 0 ? CXmlNode(m_document, sibling) : CXmlNode();
}

CXmlNode CXmlNode::GetParent() const
{
    const int parent = IsValid() ? m_document->GetElement(m_element).parent : -1;
    return parent >= 0 ? CXmlNode(m_document, parent) : CXmlNode();
}

bool CXmlNode::HasChildren() const
{
    return IsValid() && m_document->GetElement(m_element).child != 0;
}

bool CXmlNode::HasAttributes() const
{
    return GetAttributeCount() > 0;
}

int CXmlNode::GetAttributeCount() const
{
    MapAttributes();
    return m_attributeCount;
}

const wchar_t* CXmlNode::GetAttributeName(int position) const
{
    if (position < 0 || position >= GetAttributeCount())
        return L"";
    return m_document->TextAt(m_attributes[position].name);
}

const wchar_t* CXmlNode::GetAttributeValue(int position) const
{
    if (position < 0 || position >= GetAttributeCount())
        return L"";
    return m_document->TextAt(m_attributes[position].value);
}

bool CXmlNode::GetAttributeValue(std::wstring_view name, std::wstring& out) const
{
    out.clear();
    const int position = FindAttribute(name);
    if (position < 0)
        return false;
    const std::wstring_view value(GetAttributeValue(position));
    out.assign(value.substr(0, kMaxAttributeCopy));
    return true;
}

bool CXmlNode::HasAttribute(std::wstring_view name) const
{
    return FindAttribute(name) >= 0;
}

int CXmlNode::FindAttribute(std::wstring_view name) const
{
    const int count = GetAttributeCount();
    for (int i = 0; i < count; ++i) {
        if (name == GetAttributeName(i))
            return i;
    }
    return -1;
}

// The parser left the start tag between the element name and its content as: name, NUL, then
// per attribute a NUL-terminated name, blanks or "=" up to the opening quote, and a
// NUL-terminated value whose tail is blanked. Scanning stops at the content's start.
void CXmlNode::MapAttributes() const
{
    if (m_attributeCount >= 0)
        return;
    m_attributeCount = 0;
    if (!IsValid())
        return;
    const TXmlElement& element = m_document->GetElement(m_element);
    const wchar_t* text = m_document->TextAt(0);
    const int end = std::min(element.data, m_document->GetTextLength());
    int i = element.name;
    auto skipTo = [&](auto stop) {
        while (i < end && !stop(text[i]))
            ++i;
    };
    skipTo([](wchar_t c) { return c == L'\0'; });
    while (m_attributeCount < kMaxAttributes) {
        skipTo([](wchar_t c) { return !xml::IsSpace(c); });
        if (i >= end || !xml::IsNameChar(text[i]))
            return;
        const int name = i;
        skipTo([](wchar_t c) { return c == L'"'; });
        const int value = ++i;
        skipTo([](wchar_t c) { return c == L'\0'; });
        if (i >= end)
            return;
        m_attributes[m_attributeCount++] = TAttribute{name, value};
    }
}

} // namespace SkinUI
