#include "Toolkit/Markup/XmlDocument.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace SkinUI {
namespace {

std::vector<std::wstring> ChildNames(const CXmlNode& parent)
{
    std::vector<std::wstring> names;
    for (CXmlNode child = parent.GetChild(); child.IsValid(); child = child.GetSibling())
        names.emplace_back(child.GetName());
    return names;
}

std::vector<std::wstring> AttributeValues(const CXmlNode& node)
{
    std::vector<std::wstring> values;
    for (int i = 0; i < node.GetAttributeCount(); ++i)
        values.emplace_back(node.GetAttributeValue(i));
    return values;
}

struct TParseError {
    const wchar_t* text;
    const wchar_t* message;
    const wchar_t* location;
};

TEST(XmlDocument, ReportsEachParseErrorWithTheTextWhereItStopped)
{
    const TParseError cases[] = {
        {L"hello", L"Expected start tag", L"hello"},
        {L"<a/> y", L"Expected start tag", L"y"},
        {L"<a><b/>x</a>", L"Expected start tag", L"x</a>"},
        {L"< a/>", L"Error parsing element name", L" a/>"},
        {L"<a><>", L"Error parsing element name", L">"},
        {L"<", L"Error parsing element name", L""},
        {L"<a b/>", L"Error while parsing attributes", L"/>"},
        {L"<a b c=\"1\"/>", L"Error while parsing attributes", L"c=\"1\"/>"},
        {L"<a b='1'/>", L"Expected attribute value", L"'1'/>"},
        {L"<a b=1/>", L"Expected attribute value", L"1/>"},
        {L"<a b=", L"Expected attribute value", L""},
        {L"<a b=\"1/>", L"Error while parsing attribute string", L"\"1/>"},
        {L"<a b=\"1\"c=\"2\"/>", L"Expected start-tag closing", L"c=\"2\"/>"},
        {L"<a/ >", L"Expected start-tag closing", L"/ >"},
        {L"<a -x=\"1\">", L"Expected start-tag closing", L"-x=\"1\">"},
        {L"<a", L"Expected start-tag closing", L""},
        {L"<a></b>", L"Unmatched closing tag", L"b>"},
        {L"<a></ab>", L"Unmatched closing tag", L"ab>"},
        {L"<ab></a>", L"Unmatched closing tag", L"a>"},
        {L"<a></a x>", L"Unmatched closing tag", L"a x>"},
        {L"<a></A>", L"Unmatched closing tag", L"A>"},
        {L"<a/></a>", L"Unmatched closing tag", L"a>"},
        {L"<a>text", L"Expected end-tag start", L""},
        {L"<a><b/>", L"Expected end-tag start", L""},
        {L"<a><b><c/></b>  ", L"Expected end-tag start", L""},
        {L"<a><!-- </a>", L"Expected end-tag start", L""},
        {L"<a><?pi </a>", L"Expected end-tag start", L""},
    };
    for (const TParseError& c : cases) {
        SCOPED_TRACE(c.text);
        CXmlDocument document;
        EXPECT_FALSE(document.Load(c.text));
        EXPECT_EQ(document.GetLastErrorMessage(), c.message);
        EXPECT_EQ(document.GetLastErrorLocation(), c.location);
        EXPECT_FALSE(document.IsValid());
        EXPECT_FALSE(document.GetRoot().IsValid());
    }
}

TEST(XmlDocument, ErrorLocationKeepsAtMost49Characters)
{
    const std::wstring name(60, L'n');
    CXmlDocument document;
    EXPECT_FALSE(document.Load(L"<a></" + name + L">"));
    EXPECT_EQ(document.GetLastErrorLocation(), name.substr(0, 49));
}

TEST(XmlDocument, AnotherLoadClearsTheLastError)
{
    CXmlDocument document;
    EXPECT_FALSE(document.Load(L"<a>"));
    EXPECT_TRUE(document.Load(L"<a/>"));
    EXPECT_EQ(document.GetLastErrorMessage(), L"");
    EXPECT_EQ(document.GetLastErrorLocation(), L"");
}

TEST(XmlDocument, ElementTableLinksChildrenSiblingsAndParents)
{
    CXmlDocument document;
    ASSERT_TRUE(document.Load(L"<a><b/><c><d/></c></a><e/>"));
    const TXmlElement expected[] = {
        // name, child, sibling, parent, data
        {1, 1, 4, -1, 3},
        {4, 0, 2, 0, 5},
        {8, 3, 0, 0, 10},
        {11, 0, 0, 2, 12},
        {23, 0, 0, -1, 24},
    };
    ASSERT_EQ(document.GetElementCount(), 5);
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        const TXmlElement& e = document.GetElement(i);
        EXPECT_EQ(e.name, expected[i].name);
        EXPECT_EQ(e.child, expected[i].child);
        EXPECT_EQ(e.sibling, expected[i].sibling);
        EXPECT_EQ(e.parent, expected[i].parent);
        EXPECT_EQ(e.data, expected[i].data);
    }
    EXPECT_STREQ(document.TextAt(8), L"c");
    EXPECT_STREQ(document.TextAt(-1), L"");
    EXPECT_STREQ(document.TextAt(document.GetTextLength() + 1), L"");
}

TEST(XmlDocument, ElementTableGrowsByHalfPlus500)
{
    const std::pair<int, int> cases[] = {{0, 0}, {1, 500}, {500, 500}, {501, 1250}, {1251, 2375}};
    for (const auto& [elements, capacity] : cases) {
        SCOPED_TRACE(elements);
        std::wstring text;
        for (int i = 0; i < elements; ++i)
            text += L"<e/>";
        CXmlDocument document;
        ASSERT_TRUE(document.Load(text));
        EXPECT_EQ(document.GetElementCount(), elements);
        EXPECT_EQ(document.GetElementCapacity(), capacity);
    }
}

TEST(XmlDocument, DeepNestingParsesWithoutRecursion)
{
    constexpr int kDepth = 200000;
    std::wstring open, close;
    for (int i = 0; i < kDepth; ++i) {
        open += L"<n>";
        close += L"</n>";
    }
    CXmlDocument document;
    ASSERT_TRUE(document.Load(open + L"deepest" + close));
    ASSERT_EQ(document.GetElementCount(), kDepth);
    const CXmlNode deepest(&document, kDepth - 1);
    EXPECT_STREQ(deepest.GetValue(), L"deepest");
    EXPECT_EQ(deepest.GetParent().GetIndex(), kDepth - 2);
    EXPECT_FALSE(document.Load(open));
    EXPECT_EQ(document.GetLastErrorMessage(), L"Expected end-tag start");
}

TEST(XmlDocument, DecodesThePredefinedEntitiesAndKeepsAnyOtherAmpersand)
{
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"a&amp;b", L"a&b"},
        {L"&lt;&gt;&quot;&apos;", L"<>\"'"},
        {L"&copy;", L"&copy;"},
        {L"&amp", L"&amp"},
        {L"&amp;amp;", L"&amp;"},
        {L"&&lt;", L"&<"},
        {L"x&", L"x&"},
        {L"&AMP;", L"&AMP;"},
    };
    for (const auto& [raw, decoded] : cases) {
        SCOPED_TRACE(raw);
        CXmlDocument document;
        ASSERT_TRUE(document.Load(std::wstring(L"<a v=\"") + raw + L"\" w=\"next\">" + raw + L"</a>"));
        const CXmlNode root = document.GetRoot();
        EXPECT_STREQ(root.GetAttributeValue(0), decoded);
        EXPECT_STREQ(root.GetAttributeValue(1), L"next");
        EXPECT_STREQ(root.GetValue(), decoded);
    }
}

TEST(XmlDocument, TextKeepsWhitespaceOnlyWhenPreserving)
{
    const wchar_t* text = L"<a v=\" x \t y \">\n  two\t\twords \n</a>";
    CXmlDocument preserving;
    ASSERT_TRUE(preserving.Load(text));
    EXPECT_STREQ(preserving.GetRoot().GetValue(), L"\n  two\t\twords \n");
    CXmlDocument collapsing(false);
    ASSERT_TRUE(collapsing.Load(text));
    EXPECT_STREQ(collapsing.GetRoot().GetValue(), L" two words ");
    EXPECT_STREQ(collapsing.GetRoot().GetAttributeValue(0), L" x \t y ");
}

TEST(XmlDocument, TextContentIsTheRunBeforeTheFirstChild)
{
    CXmlDocument document;
    ASSERT_TRUE(document.Load(L"<a>head<b>inner</b> \n <c/></a>"));
    const CXmlNode root = document.GetRoot();
    EXPECT_STREQ(root.GetValue(), L"head");
    EXPECT_STREQ(root.GetChild().GetValue(), L"inner");
    EXPECT_STREQ(root.GetChild().GetSibling().GetValue(), L"");
}

TEST(XmlDocument, CommentsAndDeclarationsAreNotElements)
{
    const std::pair<const wchar_t*, std::vector<std::wstring>> cases[] = {
        {L"<r><!-- <b/> <c x=\"1\"/> <d></d> --><e/></r>", {L"e"}},
        {L"<r><!- <b/> -> <c/></r>", {L"c"}},
        {L"<r><!-- <b/> --> <c/> <!-- <d/> --></r>", {L"c"}},
        {L"<r><!DOCTYPE x> <b/> -><c/></r>", {L"c"}},
        {L"<r><?pi <b/> ?><c/></r>", {L"c"}},
        {L"<r>text<!-- c --> <c/></r>", {L"c"}},
    };
    for (const auto& [text, children] : cases) {
        SCOPED_TRACE(text);
        CXmlDocument document;
        ASSERT_TRUE(document.Load(text));
        EXPECT_EQ(ChildNames(document.GetRoot()), children);
    }
}

TEST(XmlDocument, LeadingDeclarationAndCommentsLeaveTheFirstElementAsRoot)
{
    const wchar_t* cases[] = {
        L"<?xml version=\"1.0\" encoding=\"GBK\"?>\r\n<!-- layout --><Window><A/></Window>",
        L"<Window><A/></Window><!-- trailing <B/>",
        L" \t\r\n<Window><A/></Window> \n",
    };
    for (const wchar_t* text : cases) {
        SCOPED_TRACE(text);
        CXmlDocument document;
        ASSERT_TRUE(document.Load(text));
        EXPECT_EQ(document.GetElementCount(), 2);
        EXPECT_STREQ(document.GetRoot().GetName(), L"Window");
        EXPECT_EQ(ChildNames(document.GetRoot()), std::vector<std::wstring>{L"A"});
    }
}

TEST(XmlDocument, EmptyDocumentLoadsWithoutRoot)
{
    for (const wchar_t* text : {L"", L"  \n", L"<!-- nothing -->"}) {
        CXmlDocument document;
        EXPECT_TRUE(document.Load(text));
        EXPECT_FALSE(document.GetRoot().IsValid());
    }
}

TEST(XmlDocument, TextEndsAtTheFirstNul)
{
    CXmlDocument document;
    ASSERT_TRUE(document.Load(std::wstring_view(L"<a/>\0<<garbage", 14)));
    EXPECT_EQ(document.GetElementCount(), 1);
    EXPECT_EQ(document.GetTextLength(), 4);
}

TEST(XmlDocument, BytesSkipTheByteOrderMarkAndDecodeUtf8)
{
    const std::string body = "<?xml version=\"1.0\" encoding=\"utf-8\"?><Window t=\"\xE5\xAE\x89\xE8\xA3\x85\"><L/></Window>";
    for (const std::string& bytes : {body, "\xEF\xBB\xBF" + body}) {
        CXmlDocument document;
        ASSERT_TRUE(document.LoadFromMem(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()));
        const CXmlNode root = document.GetRoot();
        EXPECT_STREQ(root.GetName(), L"Window");
        EXPECT_STREQ(root.GetAttributeValue(0), L"\u5B89\u88C5");
        EXPECT_EQ(ChildNames(root), std::vector<std::wstring>{L"L"});
    }
}

TEST(XmlDocument, ByteOrderMarkIsSkippedOnlyAtTheStart)
{
    const std::string bytes = "<a/>\xEF\xBB\xBF";
    CXmlDocument document;
    EXPECT_FALSE(document.LoadFromMem(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()));
    EXPECT_EQ(document.GetLastErrorMessage(), L"Expected start tag");
    EXPECT_EQ(document.GetLastErrorLocation(), L"\uFEFF");
    EXPECT_TRUE(document.LoadFromMem(nullptr, 0));
    EXPECT_FALSE(document.GetRoot().IsValid());
}

TEST(XmlDocument, LoadFromFileGoesThroughTheInstalledReader)
{
    CXmlDocument document;
    EXPECT_FALSE(document.LoadFromFile(L"main.xml"));
    EXPECT_EQ(document.GetLastErrorMessage(), L"Error opening file");

    std::wstring requested;
    CXmlDocument::SetSkinFileReader([&](std::wstring_view name, std::vector<unsigned char>& bytes, std::wstring& error) {
        requested = name;
        if (name != L"main.xml") {
            error = L"Could not find ziped file";
            return false;
        }
        const std::string text = "\xEF\xBB\xBF<Window/>";
        bytes.assign(text.begin(), text.end());
        return true;
    });
    EXPECT_TRUE(document.LoadFromFile(L"main.xml"));
    EXPECT_STREQ(document.GetRoot().GetName(), L"Window");
    EXPECT_FALSE(document.LoadFromFile(L"other.xml"));
    EXPECT_EQ(requested, L"other.xml");
    EXPECT_EQ(document.GetLastErrorMessage(), L"Could not find ziped file");
    EXPECT_EQ(document.GetLastErrorLocation(), L"");
    CXmlDocument::SetSkinFileReader(nullptr);
}

TEST(XmlNode, AttributesByPositionInDocumentOrder)
{
    CXmlDocument document;
    ASSERT_TRUE(document.Load(L"<a first=\"1\"\n\tsecond = \"it's\" first=\"3\" empty=\"\" tag=\"x/>y\"/>"));
    const CXmlNode root = document.GetRoot();
    EXPECT_TRUE(root.HasAttributes());
    ASSERT_EQ(root.GetAttributeCount(), 5);
    const wchar_t* names[] = {L"first", L"second", L"first", L"empty", L"tag"};
    for (int i = 0; i < 5; ++i)
        EXPECT_STREQ(root.GetAttributeName(i), names[i]);
    EXPECT_EQ(AttributeValues(root), (std::vector<std::wstring>{L"1", L"it's", L"3", L"", L"x/>y"}));
    for (int outside : {-1, 5, 64}) {
        EXPECT_STREQ(root.GetAttributeName(outside), L"");
        EXPECT_STREQ(root.GetAttributeValue(outside), L"");
    }
}

TEST(XmlNode, AttributeByNameIsTheFirstExactMatch)
{
    CXmlDocument document;
    ASSERT_TRUE(document.Load(L"<a first=\"1\" First=\"2\" first=\"3\" empty=\"\">text</a>"));
    const CXmlNode root = document.GetRoot();
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"first", L"1"}, {L"First", L"2"}, {L"empty", L""}, {L"FIRST", nullptr}, {L"firs", nullptr}, {L"", nullptr},
    };
    for (const auto& [name, value] : cases) {
        SCOPED_TRACE(name);
        std::wstring out = L"stale";
        EXPECT_EQ(root.GetAttributeValue(name, out), value != nullptr);
        EXPECT_EQ(out, value != nullptr ? value : L"");
        EXPECT_EQ(root.HasAttribute(name), value != nullptr);
    }
}

TEST(XmlNode, AttributeByNameCopiesAtMost500Characters)
{
    for (std::size_t length : {499u, 500u, 501u, 2000u}) {
        const std::wstring value(length, L'v');
        CXmlDocument document;
        ASSERT_TRUE(document.Load(L"<a v=\"" + value + L"\"/>"));
        std::wstring out;
        ASSERT_TRUE(document.GetRoot().GetAttributeValue(L"v", out));
        EXPECT_EQ(out.size(), std::min<std::size_t>(length, 500));
        EXPECT_EQ(std::wstring_view(document.GetRoot().GetAttributeValue(0)).size(), length);
    }
}

TEST(XmlNode, AttributesPast64AreCheckedButNotIndexed)
{
    std::wstring text = L"<a";
    for (int i = 0; i < 66; ++i)
        text += L" n" + std::to_wstring(i) + L"=\"" + std::to_wstring(i) + L"\"";
    CXmlDocument document;
    ASSERT_TRUE(document.Load(text + L"><b/></a>"));
    const CXmlNode root = document.GetRoot();
    EXPECT_EQ(root.GetAttributeCount(), 64);
    EXPECT_STREQ(root.GetAttributeValue(63), L"63");
    EXPECT_FALSE(root.HasAttribute(L"n64"));
    EXPECT_STREQ(root.GetChild().GetName(), L"b");

    EXPECT_FALSE(document.Load(text + L" bad='x'/>"));
    EXPECT_EQ(document.GetLastErrorMessage(), L"Expected attribute value");
}

TEST(XmlNode, ElementWithoutAttributesHasNone)
{
    for (const wchar_t* text : {L"<a>b=\"1\"</a>", L"<a/>", L"<a >x=\"1\"</a>", L"<a\n/>"}) {
        SCOPED_TRACE(text);
        CXmlDocument document;
        ASSERT_TRUE(document.Load(text));
        EXPECT_FALSE(document.GetRoot().HasAttributes());
        EXPECT_EQ(document.GetRoot().GetAttributeCount(), 0);
    }
}

TEST(XmlNode, NavigatesChildrenSiblingsAndParents)
{
    CXmlDocument document;
    ASSERT_TRUE(document.Load(L"<Window><V><L/><B/></V><H/></Window><Extra/>"));
    const CXmlNode root = document.GetRoot();
    EXPECT_STREQ(root.GetName(), L"Window");
    EXPECT_TRUE(root.HasChildren());
    EXPECT_FALSE(root.GetParent().IsValid());
    EXPECT_STREQ(root.GetSibling().GetName(), L"Extra");
    EXPECT_FALSE(root.GetSibling().GetSibling().IsValid());

    const CXmlNode v = root.GetChild();
    EXPECT_EQ(ChildNames(root), (std::vector<std::wstring>{L"V", L"H"}));
    EXPECT_EQ(ChildNames(v), (std::vector<std::wstring>{L"L", L"B"}));
    EXPECT_EQ(v.GetParent().GetIndex(), root.GetIndex());
    EXPECT_EQ(v.GetChild().GetSibling().GetParent().GetIndex(), v.GetIndex());
    EXPECT_FALSE(v.GetChild().HasChildren());
    EXPECT_FALSE(v.GetChild().GetChild().IsValid());
}

TEST(XmlNode, InvalidNodeAnswersEmpty)
{
    CXmlDocument document;
    ASSERT_TRUE(document.Load(L"<a/>"));
    for (const CXmlNode& node : {CXmlNode(), CXmlNode(&document, 1), CXmlNode(&document, -1)}) {
        EXPECT_FALSE(node.IsValid());
        EXPECT_STREQ(node.GetName(), L"");
        EXPECT_STREQ(node.GetValue(), L"");
        EXPECT_FALSE(node.GetChild().IsValid());
        EXPECT_FALSE(node.GetSibling().IsValid());
        EXPECT_FALSE(node.GetParent().IsValid());
        EXPECT_FALSE(node.HasChildren());
        EXPECT_EQ(node.GetAttributeCount(), 0);
        EXPECT_STREQ(node.GetAttributeValue(0), L"");
    }
}

} // namespace
} // namespace SkinUI
