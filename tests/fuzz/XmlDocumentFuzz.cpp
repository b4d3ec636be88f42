// Layout documents as bytes: any input either fails with a message or yields a consistent table.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "Toolkit/Markup/XmlDocument.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// Measuring reads up to the terminator, so a string running off the buffer shows.
void CheckText(const wchar_t* text, int textLength)
{
    Check(std::wstring_view(text).size() <= static_cast<std::size_t>(textLength));
}

void WalkAttributes(const SkinUI::CXmlNode& node, int textLength)
{
    const int count = node.GetAttributeCount();
    Check(count >= 0 && count <= SkinUI::CXmlNode::kMaxAttributes);
    std::wstring value;
    for (int i = -1; i <= count; ++i) {
        const std::wstring_view name(node.GetAttributeName(i));
        Check(name.empty() == (i < 0 || i == count));
        CheckText(node.GetAttributeValue(i), textLength);
        if (!name.empty()) {
            Check(node.GetAttributeValue(name, value));
            Check(value.size() <= static_cast<std::size_t>(SkinUI::CXmlNode::kMaxAttributeCopy));
        }
    }
}

// Child and sibling links only point forward, so every element is visited exactly once.
void CheckTable(const SkinUI::CXmlDocument& document)
{
    const int count = document.GetElementCount();
    for (int i = 0; i < count; ++i) {
        const SkinUI::TXmlElement& e = document.GetElement(i);
        Check(e.child == 0 || (e.child > i && e.child < count));
        Check(e.sibling == 0 || (e.sibling > i && e.sibling < count));
        Check(e.parent >= -1 && e.parent < i);
        Check(e.child == 0 || document.GetElement(e.child).parent == i);
        Check(e.name > 0 && e.name <= document.GetTextLength() && e.data <= document.GetTextLength());
        const SkinUI::CXmlNode node(&document, i);
        Check(!std::wstring_view(node.GetName()).empty());
        CheckText(node.GetValue(), document.GetTextLength());
        WalkAttributes(node, document.GetTextLength());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    for (bool preserve : {true, false}) {
        SkinUI::CXmlDocument document(preserve);
        if (document.LoadFromMem(data, size)) {
            Check(document.GetLastErrorMessage().empty());
            CheckTable(document);
        } else {
            Check(!document.GetLastErrorMessage().empty());
            Check(document.GetLastErrorMessage().size() <= SkinUI::CXmlDocument::kMaxErrorMessage);
            Check(document.GetLastErrorLocation().size() <= SkinUI::CXmlDocument::kMaxErrorLocation);
            Check(!document.GetRoot().IsValid());
        }
    }
    // The bytes as wide characters reach the parser without the UTF-8 decoder in between.
    const std::wstring wide(data, data + size);
    SkinUI::CXmlDocument document;
    if (document.Load(wide))
        CheckTable(document);
    return 0;
}
