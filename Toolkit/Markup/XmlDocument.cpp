#include "Toolkit/Markup/XmlDocument.h"

#include <algorithm>
#include <climits>
#include <string>
#include <utility>

#include "Runtime/TextConv.h"
#include "Toolkit/Markup/XmlSyntax.h"

namespace SkinUI {

namespace {

// Offsets are ints and the buffer carries one terminator past the text.
constexpr std::size_t kMaxTextLength = INT_MAX - 1;

SkinFileReader& InstalledReader()
{
    static SkinFileReader reader;
    return reader;
}

struct TEntity {
    std::wstring_view text;
    wchar_t character;
};

constexpr TEntity kEntities[] = {
    {L"&amp;", L'&'}, {L"&lt;", L'<'}, {L"&gt;", L'>'}, {L"&quot;", L'"'}, {L"&apos;", L'\''},
};

} // namespace

// One pass over the buffer without recursion: the open element and the last element closed at
// its level are all the state nesting needs, the rest is in the element table.
class CXmlParser {
public:
    explicit CXmlParser(CXmlDocument& document)
        : m_doc(document), m_s(document.m_text.get()), m_len(document.m_length)
    {
    }

    bool Run();

private:
    wchar_t Peek(int i) const { return i < m_len ? m_s[i] : L'\0'; }
    TXmlElement& Element(int index) { return m_doc.m_elements[index]; }
    bool Fail(const wchar_t* message, int position) { return m_doc.Fail(message, position); }

    int SkipSpace(int i) const;
    int ScanName(int i) const;
    int Find(int from, wchar_t c) const;
    int FindPair(int from, wchar_t first, wchar_t second) const;
    int Decode(int from, int to, bool collapseSpace);
    int MatchEntity(int at, int to, wchar_t& character) const;
    bool NameEquals(int element, int from, int to) const;

    bool ParseConstruct();
    bool SkipPast(wchar_t first, wchar_t second);
    bool ParseEndTag(int name);
    bool ParseElement(int name);
    bool ParseAttributes(int& pos);
    bool ParseContent(int element, int start);
    void Link(int element, int name);

    CXmlDocument& m_doc;
    wchar_t* m_s;
    int m_len;
    int m_pos = 0;
    int m_parent = -1;
    int m_last = -1;
    // The '<' that ended a text run may already be overwritten by the run's terminator.
    bool m_afterLt = false;
};

bool CXmlParser::Run()
{
    for (;;) {
        if (!m_afterLt) {
            m_pos = SkipSpace(m_pos);
            if (m_pos >= m_len)
                return m_parent < 0 || Fail(L"Expected end-tag start", m_pos);
            if (m_s[m_pos] != L'<')
                return Fail(L"Expected start tag", m_pos);
            ++m_pos;
        }
        m_afterLt = false;
        if (!ParseConstruct())
            return false;
    }
}

bool CXmlParser::ParseConstruct()
{
    switch (Peek(m_pos)) {
    case L'!':
        return SkipPast(L'-', L'>');
    case L'?':
        return SkipPast(L'?', L'>');
    case L'/':
        return ParseEndTag(m_pos + 1);
    default:
        return ParseElement(m_pos);
    }
}

bool CXmlParser::SkipPast(wchar_t first, wchar_t second)
{
    const int at = FindPair(m_pos + 1, first, second);
    m_pos = at < 0 ? m_len : at + 2;
    return true;
}

bool CXmlParser::ParseEndTag(int name)
{
    if (m_parent < 0)
        return Fail(L"Unmatched closing tag", name);
    const int nameEnd = ScanName(name);
    const int close = SkipSpace(nameEnd);
    if (!NameEquals(m_parent, name, nameEnd) || Peek(close) != L'>')
        return Fail(L"Unmatched closing tag", name);
    m_pos = close + 1;
    m_last = m_parent;
    m_parent = Element(m_parent).parent;
    return true;
}

bool CXmlParser::ParseElement(int name)
{
    const int nameEnd = ScanName(name);
    if (nameEnd == name)
        return Fail(L"Error parsing element name", name);
    const int element = m_doc.AddElement();
    Link(element, name);
    int pos = nameEnd;
    if (!ParseAttributes(pos))
        return false;
    if (Peek(pos) == L'/' && Peek(pos + 1) == L'>') {
        Element(element).data = pos;
        m_s[pos] = L'\0';
        m_s[nameEnd] = L'\0';
        m_pos = pos + 2;
        m_last = element;
        return true;
    }
    if (Peek(pos) != L'>')
        return Fail(L"Expected start-tag closing", pos);
    m_s[nameEnd] = L'\0';
    return ParseContent(element, pos + 1);
}

void CXmlParser::Link(int element, int name)
{
    TXmlElement& entry = Element(element);
    entry = TXmlElement{};
    entry.name = name;
    entry.parent = m_parent;
    if (m_last >= 0)
        Element(m_last).sibling = element;
    else if (m_parent >= 0)
        Element(m_parent).child = element;
}

// Leaves each name and value NUL-terminated and blanks the rest of each value up to and
// including its closing quote, so that CXmlNode can find them again between name and content.
bool CXmlParser::ParseAttributes(int& pos)
{
    while (pos < m_len && xml::IsSpace(m_s[pos])) {
        const int name = SkipSpace(pos);
        if (!xml::IsNameChar(Peek(name))) {
            pos = name;
            return true;
        }
        const int nameEnd = ScanName(name);
        const int equals = SkipSpace(nameEnd);
        if (Peek(equals) != L'=')
            return Fail(L"Error while parsing attributes", equals);
        const int quote = SkipSpace(equals + 1);
        if (Peek(quote) != L'"')
            return Fail(L"Expected attribute value", quote);
        const int close = Find(quote + 1, L'"');
        if (close >= m_len)
            return Fail(L"Error while parsing attribute string", quote);
        const int valueEnd = Decode(quote + 1, close, false);
        m_s[nameEnd] = L'\0';
        m_s[valueEnd] = L'\0';
        std::fill(m_s + valueEnd + 1, m_s + close + 1, L' ');
        pos = close + 1;
    }
    return true;
}

bool CXmlParser::ParseContent(int element, int start)
{
    Element(element).data = start;
    const int lt = Find(start, L'<');
    m_s[Decode(start, lt, !m_doc.m_preserveWhitespace)] = L'\0';
    m_parent = element;
    m_last = -1;
    if (lt >= m_len)
        return Fail(L"Expected end-tag start", lt);
    m_pos = lt + 1;
    m_afterLt = true;
    return true;
}

int CXmlParser::SkipSpace(int i) const
{
    while (i < m_len && xml::IsSpace(m_s[i]))
        ++i;
    return i;
}

int CXmlParser::ScanName(int i) const
{
    while (i < m_len && xml::IsNameChar(m_s[i]))
        ++i;
    return i;
}

int CXmlParser::Find(int from, wchar_t c) const
{
    while (from < m_len && m_s[from] != c)
        ++from;
    return from;
}

int CXmlParser::FindPair(int from, wchar_t first, wchar_t second) const
{
    for (int i = from; i + 1 < m_len; ++i) {
        if (m_s[i] == first && m_s[i + 1] == second)
            return i;
    }
    return -1;
}

bool CXmlParser::NameEquals(int element, int from, int to) const
{
    const wchar_t* open = m_s + m_doc.m_elements[element].name;
    const std::wstring_view closing(m_s + from, static_cast<std::size_t>(to - from));
    return closing == std::wstring_view(open);
}

// Decodes [from, to) in place (the output never outruns the input) and returns its new end.
int CXmlParser::Decode(int from, int to, bool collapseSpace)
{
    int out = from;
    for (int in = from; in < to;) {
        wchar_t c = m_s[in];
        int consumed = 1;
        if (c == L'&') {
            consumed = std::max(1, MatchEntity(in, to, c));
        } else if (collapseSpace && xml::IsSpace(c)) {
            c = L' ';
            while (in + consumed < to && xml::IsSpace(m_s[in + consumed]))
                ++consumed;
        }
        m_s[out++] = c;
        in += consumed;
    }
    return out;
}

int CXmlParser::MatchEntity(int at, int to, wchar_t& character) const
{
    const std::wstring_view rest(m_s + at, static_cast<std::size_t>(to - at));
    for (const TEntity& entity : kEntities) {
        if (rest.substr(0, entity.text.size()) == entity.text) {
            character = entity.character;
            return static_cast<int>(entity.text.size());
        }
    }
    return 0;
}

CXmlDocument::CXmlDocument(bool preserveWhitespace) : m_preserveWhitespace(preserveWhitespace) {}

void CXmlDocument::SetSkinFileReader(SkinFileReader reader)
{
    InstalledReader() = std::move(reader);
}

bool CXmlDocument::Load(std::wstring_view text)
{
    Reset();
    text = text.substr(0, text.find(L'\0'));
    if (text.size() > kMaxTextLength)
        return Fail(L"File too large", -1);
    m_length = static_cast<int>(text.size());
    m_text = std::make_unique<wchar_t[]>(text.size() + 1);
    std::copy(text.begin(), text.end(), m_text.get());
    m_text[text.size()] = L'\0';
    return Parse();
}

bool CXmlDocument::LoadFromMem(const unsigned char* bytes, std::size_t size)
{
    static constexpr unsigned char kByteOrderMark[] = {0xEF, 0xBB, 0xBF};
    if (bytes == nullptr)
        size = 0;
    if (size >= 3 && std::equal(kByteOrderMark, kByteOrderMark + 3, bytes)) {
        bytes += 3;
        size -= 3;
    }
    if (size > kMaxTextLength) {
        Reset();
        return Fail(L"File too large", -1);
    }
    const std::string narrow(reinterpret_cast<const char*>(bytes), size);
    return Load(Utf8ToWide(narrow));
}

bool CXmlDocument::LoadFromFile(std::wstring_view name)
{
    std::vector<unsigned char> bytes;
    std::wstring error = L"Error opening file";
    const SkinFileReader& reader = InstalledReader();
    if (!reader || !reader(name, bytes, error)) {
        Reset();
        return Fail(error.c_str(), -1);
    }
    return LoadFromMem(bytes.data(), bytes.size());
}

void CXmlDocument::Release()
{
    Reset();
}

void CXmlDocument::Reset()
{
    m_text.reset();
    m_length = 0;
    m_elements.reset();
    m_elementCount = 0;
    m_elementCapacity = 0;
    m_errorMessage.clear();
    m_errorLocation.clear();
}

bool CXmlDocument::Parse()
{
    return CXmlParser(*this).Run();
}

// Nothing of a document that failed is kept but the buffer, so the error location stays readable.
bool CXmlDocument::Fail(const wchar_t* message, int position)
{
    m_errorMessage.assign(message, std::min(std::wstring_view(message).size(), kMaxErrorMessage));
    m_errorLocation.clear();
    if (position >= 0 && position < m_length) {
        const std::size_t room = std::min(kMaxErrorLocation, static_cast<std::size_t>(m_length - position));
        const std::wstring_view rest(m_text.get() + position, room);
        m_errorLocation.assign(rest.substr(0, rest.find(L'\0')));
    }
    m_elementCount = 0;
    return false;
}

int CXmlDocument::AddElement()
{
    if (m_elementCount == m_elementCapacity) {
        const int capacity = m_elementCapacity + m_elementCapacity / 2 + 500;
        auto grown = std::make_unique<TXmlElement[]>(static_cast<std::size_t>(capacity));
        std::copy(m_elements.get(), m_elements.get() + m_elementCount, grown.get());
        m_elements = std::move(grown);
        m_elementCapacity = capacity;
    }
    return m_elementCount++;
}

CXmlNode CXmlDocument::GetRoot() const
{
    return IsValid() ? CXmlNode(this, 0) : CXmlNode();
}

const wchar_t* CXmlDocument::TextAt(int offset) const
{
    if (!m_text || offset < 0 || offset > m_length)
        return L"";
    return m_text.get() + offset;
}

} // namespace SkinUI
