// The layout document parser: one wide-text buffer edited in place plus a flat element table.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Toolkit/Markup/XmlNode.h"

namespace SkinUI {

// One element in document order. Offsets index the document buffer; 0 in child or sibling means
// "none" (element 0 is the first element and so can be nobody's child or sibling). A top-level
// element has parent -1, so that element 0 can still be reported as the parent of its children.
struct TXmlElement {
    int name = 0;
    int child = 0;
    int sibling = 0;
    int parent = -1;
    int data = 0;
};

// Reads a named skin file as bytes, or fills error with the failure text. Installed by the skin
// archive once it exists; until then, loads by file name fail with "Error opening file".
using SkinFileReader =
    std::function<bool(std::wstring_view name, std::vector<unsigned char>& bytes, std::wstring& error)>;

class CXmlDocument {
public:
    static constexpr std::size_t kMaxErrorMessage = 99;
    static constexpr std::size_t kMaxErrorLocation = 49;

    explicit CXmlDocument(bool preserveWhitespace = true);
    CXmlDocument(const CXmlDocument&) = delete;
    CXmlDocument& operator=(const CXmlDocument&) = delete;

    // The text ends at its first NUL character, if any.
    bool Load(std::wstring_view text);
    // UTF-8 bytes, a leading byte order mark skipped; any encoding declaration is ignored.
    bool LoadFromMem(const unsigned char* bytes, std::size_t size);
    bool LoadFromFile(std::wstring_view name);
    static void SetSkinFileReader(SkinFileReader reader);

    void Release();
    bool IsValid() const { return m_elementCount > 0; }

    void SetPreserveWhitespace(bool preserve) { m_preserveWhitespace = preserve; }
    bool IsPreserveWhitespace() const { return m_preserveWhitespace; }

    const std::wstring& GetLastErrorMessage() const { return m_errorMessage; }
    const std::wstring& GetLastErrorLocation() const { return m_errorLocation; }

    CXmlNode GetRoot() const;

    int GetElementCount() const { return m_elementCount; }
    int GetElementCapacity() const { return m_elementCapacity; }
    // Precondition: 0 <= index < GetElementCount().
    const TXmlElement& GetElement(int index) const { return m_elements[index]; }
    // NUL-terminated text at offset into the buffer; "" outside it.
    const wchar_t* TextAt(int offset) const;
    int GetTextLength() const { return m_length; }

private:
    friend class CXmlParser;

    void Reset();
    bool Parse();
    bool Fail(const wchar_t* message, int position);
    int AddElement();

    std::unique_ptr<wchar_t[]> m_text;
    int m_length = 0;
    std::unique_ptr<TXmlElement[]> m_elements;
    int m_elementCount = 0;
    int m_elementCapacity = 0;
    bool m_preserveWhitespace;
    std::wstring m_errorMessage;
    std::wstring m_errorLocation;
};

} // namespace SkinUI
