#include "Toolkit/Markup/LayoutBuilder.h"

#include "Toolkit/Render/SkinArchive.h"
#include "tests/Toolkit/ToolkitFixtures.h"
#include "tests/support/ZipWriter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace SkinUI {
namespace {

using testing_support::AsContainer;
using testing_support::BuildControl;
using testing_support::BuildInline;
using testing_support::ChildNames;

// A control that logs every attribute it is given, as "name:attribute=value".
class CProbeUI : public CContainerUI {
public:
    explicit CProbeUI(std::vector<std::wstring>& log) : m_log(log) {}
    void SetAttribute(std::wstring_view name, std::wstring_view value) override
    {
        m_log.push_back(GetName() + L":" + std::wstring(name) + L"=" + std::wstring(value));
        CContainerUI::SetAttribute(name, value);
    }

private:
    std::vector<std::wstring>& m_log;
};

class CProbeFactory : public IDialogBuilderCallback {
public:
    CControlUI* CreateControl(std::wstring_view name) override
    {
        asked.emplace_back(name);
        return name == L"Probe" ? new CProbeUI(log) : nullptr;
    }

    std::vector<std::wstring> log;
    std::vector<std::wstring> asked;
};

TEST(LayoutBuilder, AppliesChildrenAttributesBeforeTheirParents)
{
    CProbeFactory factory;
    const auto root = BuildControl(L"<Probe name=\"outer\" text=\"o\"><Probe name=\"a\" text=\"1\"/>"
                                  L"<Probe name=\"b\"><Probe name=\"c\"/></Probe></Probe>",
                                  nullptr, &factory);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(factory.log, (std::vector<std::wstring>{L":name=a", L"a:text=1", L":name=c", L":name=b", L":name=outer",
                                                      L"outer:text=o"}));
    EXPECT_EQ(ChildNames(root.get()), (std::vector<std::wstring>{L"a", L"b"}));
}

TEST(LayoutBuilder, SkipsUnknownElementsWithEverythingInside)
{
    CProbeFactory factory;
    const auto root = BuildControl(L"<VerticalLayout><Bogus><Control name=\"inside\"/></Bogus>"
                                  L"<Slider name=\"reserved\"/><Control name=\"next\"/><!-- <Control name=\"x\"/> -->"
                                  L"<Probe name=\"made\"/></VerticalLayout>",
                                  nullptr, &factory);
    EXPECT_EQ(ChildNames(root.get()), (std::vector<std::wstring>{L"next", L"made"}));
    EXPECT_EQ(factory.asked, (std::vector<std::wstring>{L"Bogus", L"Slider", L"Probe"}));
}

TEST(LayoutBuilder, DefaultListsApplyBeforeOwnAttributesAndTheFirstWins)
{
    CUIManager manager;
    const auto root = BuildInline(
        L"<Window><Default name=\"Control\" value=\"bkcolor=&quot;#FFFF0000&quot; text=&quot;d&quot;\"/>"
        L"<Default name=\"Control\" value=\"bkcolor=&quot;#FF00FF00&quot;\"/>"
        L"<VerticalLayout><Control name=\"plain\"/><Control name=\"own\" bkcolor=\"#FF0000FF\"/></VerticalLayout></Window>",
        &manager);
    ASSERT_NE(root, nullptr);
    IContainerUI* list = AsContainer(root.get());
    EXPECT_EQ(list->GetItemAt(0)->GetBkColor(), 0xFFFF0000u);
    EXPECT_EQ(list->GetItemAt(0)->GetText(), L"d");
    EXPECT_EQ(list->GetItemAt(1)->GetBkColor(), 0xFF0000FFu);
    EXPECT_EQ(root->GetBkColor(), 0u); // lists apply by element name only
    EXPECT_EQ(root->GetManager(), nullptr); // bound again only when the window installs it
}

TEST(LayoutBuilder, RecordsFontsInOrderWithTheirDefaults)
{
    CUIManager manager;
    const auto root = BuildInline(L"<Window><Font name=\"宋体\" size=\"14\" bold=\"true\" default=\"true\"/>"
                                  L"<Font name=\"Plain\"/><Font size=\"9\"/>"
                                  L"<Font name=\"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789\" italic=\"true\" "
                                  L"underline=\"TRUE\"/><Control/></Window>",
                                  &manager);
    ASSERT_NE(root, nullptr);
    ASSERT_EQ(manager.GetFontCount(), 3);
    const TFontInfo& bold = manager.GetFontInfo(0);
    EXPECT_EQ(bold.face, L"宋体");
    EXPECT_EQ(bold.size, 14);
    EXPECT_TRUE(bold.bold);
    EXPECT_EQ(bold.weight, 1100);
    const TFontInfo& plain = manager.GetFontInfo(1);
    EXPECT_EQ(plain.size, 12);
    EXPECT_FALSE(plain.bold || plain.italic || plain.underline);
    EXPECT_EQ(plain.weight, 400);
    const TFontInfo& longName = manager.GetFontInfo(2);
    EXPECT_EQ(longName.face, L"ABCDEFGHIJKLMNOPQRSTUVWXYZ01234");
    EXPECT_TRUE(longName.italic);
    EXPECT_FALSE(longName.underline);
    EXPECT_EQ(manager.GetFontInfo(3).face, L"宋体"); // beyond the table: the default font
    EXPECT_EQ(manager.GetFontInfo(-1).size, 14);
}

TEST(LayoutBuilder, IncludesInlineDocumentsCountTimesIntoTheHoldingContainer)
{
    const auto root = BuildControl(
        L"<VerticalLayout><Include source=\"&lt;W&gt;&lt;Control name=&quot;inc&quot;/&gt;&lt;/W&gt;\" count=\"2\"/>"
        L"<Include source=\"&lt;W&gt;&lt;Control name=&quot;never&quot;/&gt;&lt;/W&gt;\" count=\"0\"/>"
        L"<Include count=\"3\"/>"
        L"<Control name=\"after\"/></VerticalLayout>");
    EXPECT_EQ(ChildNames(root.get()), (std::vector<std::wstring>{L"inc", L"inc", L"after"}));
}

TEST(LayoutBuilder, IncludeBudgetStopsRunawayCounts)
{
    const auto root =
        BuildControl(L"<VerticalLayout><Include source=\"&lt;W&gt;&lt;Control/&gt;&lt;/W&gt;\" count=\"1000000\"/></VerticalLayout>");
    EXPECT_EQ(AsContainer(root.get())->GetCount(), CLayoutBuilder::kMaxIncludedBuilds);
}

TEST(LayoutBuilder, AFileThatIncludesItselfStopsAtTheDepthLimit)
{
    CSkinArchive& skin = CSkinArchive::Process();
    skin.Reset();
    const std::string zip = testsupport::MakeZip(
        {{"self.xml", "<Window><VerticalLayout><Control/><Include source=\"self.xml\"/></VerticalLayout></Window>"}});
    skin.SetResourceZip(reinterpret_cast<const unsigned char*>(zip.data()), zip.size());
    CSkinArchive::InstallLayoutReader();

    CLayoutBuilder builder;
    const std::unique_ptr<CControlUI> root(builder.Build(L"self.xml"));
    int depth = 0;
    for (CControlUI* level = root.get(); level != nullptr; ++depth)
        level = AsContainer(level)->GetItemAt(1);
    EXPECT_EQ(depth, CLayoutBuilder::kMaxIncludeDepth + 1);
    skin.Reset();
}

TEST(LayoutBuilder, KeepsOnlyTheFirstTopLevelControlAndFailsOnBrokenMarkup)
{
    const auto first = BuildInline(L"<Window><Control name=\"one\"/><Control name=\"two\"/></Window>");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetName(), L"one");

    CLayoutBuilder builder;
    EXPECT_EQ(builder.Build(L"<Window><Control name='x'/></Window>"), nullptr);
    EXPECT_EQ(builder.GetLastErrorMessage(), L"Expected attribute value");
    CLayoutBuilder missing;
    EXPECT_EQ(missing.Build(L"no-such-file.xml"), nullptr);
    EXPECT_FALSE(missing.GetLastErrorMessage().empty());
}

TEST(LayoutBuilder, LaterAttributesOverrideEarlierOnes)
{
    const auto root = BuildControl(L"<Control float=\"true\" pos=\"177,237,0,0\" width=\"184\" height=\"44\" "
                                  L"text=\"a &amp; b\" tooltip=\"one&lt;n&gt;two\"/>");
    EXPECT_EQ(root->GetFixedXY(), (TSize{177, 237}));
    EXPECT_EQ(root->GetFixedWidth(), 184);
    EXPECT_EQ(root->GetFixedHeight(), 44);
    EXPECT_EQ(root->GetText(), L"a & b");
    EXPECT_EQ(root->GetToolTip(), L"one\r\ntwo");
}

} // namespace
} // namespace SkinUI
