#include "Toolkit/Controls/TabLayoutUI.h"
#include "Toolkit/Controls/VerticalLayoutUI.h"

#include "tests/Toolkit/ToolkitFixtures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace SkinUI {
namespace {

using testing_support::AsContainer;
using testing_support::BuildControl;
using testing_support::ChildRects;
using testing_support::CNotifyLog;
using testing_support::TNotified;

struct TLayoutCase {
    const char* what;
    const wchar_t* markup;
    TRect placed;
    std::vector<TRect> children;
};

// Each layout is placed at `placed` with no window; its direct children land exactly here.
TEST(ContainerLayout, PlacesChildrenExactly)
{
    const TLayoutCase cases[] = {
        {"stretch child over a fixed footer", L"<VerticalLayout><Control/><Control height=\"42\"/></VerticalLayout>",
         {0, 0, 540, 355}, {{0, 0, 540, 313}, {0, 313, 540, 355}}},
        {"rounding leftovers go to the last stretch child",
         L"<VerticalLayout><Control/><Control/><Control/></VerticalLayout>", {0, 0, 540, 100},
         {{0, 0, 540, 33}, {0, 33, 540, 66}, {0, 66, 540, 100}}},
        {"horizontal stretch children", L"<HorizontalLayout><Control/><Control/><Control/></HorizontalLayout>",
         {10, 20, 110, 50}, {{10, 20, 43, 50}, {43, 20, 76, 50}, {76, 20, 110, 50}}},
        // The last stretch child's leftover counts the paddings placed before it a second time.
        {"paddings and child padding",
         L"<VerticalLayout childpadding=\"10\"><Control height=\"20\" padding=\"1,2,3,4\"/>"
         L"<Control padding=\"0,5,0,5\"/><Control/></VerticalLayout>",
         {0, 0, 540, 100}, {{1, 2, 537, 26}, {0, 41, 540, 68}, {0, 78, 540, 78}}},
        {"inset shrinks the stacking area",
         L"<VerticalLayout inset=\"5,6,7,8\"><Control/><Control height=\"10\"/></VerticalLayout>",
         {0, 0, 100, 100}, {{5, 6, 93, 82}, {5, 82, 93, 92}}},
        {"fixed widths and heights across the axis",
         L"<VerticalLayout><Control width=\"40\" height=\"10\"/><Control height=\"10\" padding=\"3,0,4,0\"/>"
         L"</VerticalLayout>",
         {0, 0, 100, 100}, {{0, 0, 40, 10}, {3, 10, 96, 20}}},
        {"minimum first, so a maximum below it wins",
         L"<HorizontalLayout><Control width=\"50\" minwidth=\"80\"/><Control minwidth=\"60\" maxwidth=\"40\"/>"
         L"<Control/></HorizontalLayout>",
         {0, 0, 300, 20}, {{0, 0, 80, 20}, {80, 0, 120, 20}, {120, 0, 300, 20}}},
        {"hidden children take no room and keep their old place",
         L"<VerticalLayout><Control visible=\"false\" height=\"30\"/><Control/></VerticalLayout>",
         {0, 0, 50, 50}, {{0, 0, 0, 0}, {0, 0, 50, 50}}},
        {"floating children stay out of the stacking",
         L"<VerticalLayout><Control float=\"true\" pos=\"5,5,15,15\"/><Control/><Control height=\"10\"/>"
         L"</VerticalLayout>",
         {0, 0, 50, 50}, {{5, 5, 15, 15}, {0, 0, 50, 40}, {0, 40, 50, 50}}},
        {"negative floating offsets count from the right and bottom edges",
         L"<Container inset=\"10,10,10,10\"><Control float=\"true\" pos=\"-30,-30,-10,-10\"/>"
         L"<Control float=\"true\" pos=\"177,237,0,0\" width=\"184\" height=\"44\"/>"
         L"<Control float=\"true\" pos=\"0,0,600,30\"/></Container>",
         {0, 0, 540, 355}, {{510, 325, 530, 345}, {177, 237, 361, 281}, {0, 0, 600, 30}}},
        {"a plain container overlaps its children over the inset area",
         L"<Container inset=\"1,2,3,4\"><Control/><Control width=\"5\"/></Container>", {0, 0, 20, 20},
         {{1, 2, 17, 16}, {1, 2, 17, 16}}},
        {"width 0 after pos stretches again, a negative width is ignored",
         L"<HorizontalLayout><Control pos=\"0,0,30,10\" width=\"0\"/><Control width=\"20\" height=\"-5\" "
         L"width=\"-5\"/></HorizontalLayout>",
         {0, 0, 100, 40}, {{0, 0, 80, 10}, {80, 0, 100, 40}}},
    };
    for (const TLayoutCase& c : cases) {
        SCOPED_TRACE(c.what);
        const auto root = BuildControl(c.markup);
        ASSERT_NE(root, nullptr);
        root->SetPos(c.placed);
        EXPECT_EQ(ChildRects(root.get()), c.children);
    }
}

TEST(ContainerLayout, TabLayoutShowsOnlyTheSelectedPage)
{
    CUIManager manager;
    CNotifyLog notes;
    manager.AddNotifier(&notes);
    CControlUI* root =
        BuildControl(L"<TabLayout inset=\"1,1,1,1\"><Control name=\"a\"/><Control name=\"b\" padding=\"2,2,2,2\"/>"
                    L"<Control name=\"c\" height=\"10\"/></TabLayout>")
            .release();
    auto& tab = dynamic_cast<CTabLayoutUI&>(*root);
    EXPECT_EQ(tab.GetCurSel(), 0);
    tab.SetPos({0, 0, 100, 50});
    EXPECT_EQ(ChildRects(root), (std::vector<TRect>{{1, 1, 99, 49}, {0, 0, 0, 0}, {0, 0, 0, 0}}));
    manager.AttachRoot(root);
    EXPECT_TRUE(tab.SelectItem(1));
    EXPECT_TRUE(tab.SelectItem(1)); // the current page: no notification
    EXPECT_FALSE(tab.SelectItem(3));
    EXPECT_FALSE(tab.SelectItem(-1));
    EXPECT_EQ(notes.Of(L"tabselect"), (std::vector<TNotified>{{L"tabselect", L"", 1, 0}}));
    const std::vector<bool> visible{tab.GetItemAt(0)->IsVisible(), tab.GetItemAt(1)->IsVisible(),
                                    tab.GetItemAt(2)->IsVisible()};
    EXPECT_EQ(visible, (std::vector<bool>{false, true, false}));
    EXPECT_EQ(tab.GetItemAt(1)->GetPos(), (TRect{3, 3, 97, 47}));

    tab.SelectItem(2);
    EXPECT_EQ(tab.GetItemAt(2)->GetPos(), (TRect{1, 1, 99, 11}));
    EXPECT_EQ(notes.Of(L"tabselect").back(), (TNotified{L"tabselect", L"", 2, 1}));
}

TEST(ContainerLayout, TabPagesAreAttachedBeforeTheSelectionAttribute)
{
    const auto root = BuildControl(L"<TabLayout selectedid=\"2\"><Control/><Control/><Control/></TabLayout>");
    auto& tab = dynamic_cast<CTabLayoutUI&>(*root);
    EXPECT_EQ(tab.GetCurSel(), 2);
    EXPECT_FALSE(tab.GetItemAt(0)->IsVisible());
    EXPECT_TRUE(tab.GetItemAt(2)->IsVisible());
}

TEST(ContainerLayout, TabSelectionFollowsInsertionsAndRemovals)
{
    CTabLayoutUI tab;
    tab.SetDelayedDestroy(false);
    for (int i = 0; i < 3; ++i)
        tab.Add(new CControlUI);
    tab.SelectItem(1);
    tab.AddAt(new CControlUI, 0);
    EXPECT_EQ(tab.GetCurSel(), 2);
    EXPECT_FALSE(tab.GetItemAt(0)->IsVisible());
    tab.RemoveAt(0);
    EXPECT_EQ(tab.GetCurSel(), 1);
    tab.RemoveAt(1);
    EXPECT_EQ(tab.GetCurSel(), 0);
    EXPECT_TRUE(tab.GetItemAt(0)->IsVisible());
    tab.RemoveAll();
    EXPECT_EQ(tab.GetCurSel(), -1);
}

TEST(ContainerLayout, HiddenAndDisabledAncestorsReachEveryDescendant)
{
    const auto root = BuildControl(L"<VerticalLayout><HorizontalLayout><Control/></HorizontalLayout></VerticalLayout>");
    CControlUI* middle = AsContainer(root.get())->GetItemAt(0);
    CControlUI* leaf = AsContainer(middle)->GetItemAt(0);

    root->SetVisible(false);
    EXPECT_FALSE(middle->IsVisible());
    EXPECT_FALSE(leaf->IsVisible());
    leaf->SetVisible(true); // its own flag never changed
    root->SetVisible(true);
    EXPECT_TRUE(leaf->IsVisible());

    middle->SetEnabled(false);
    EXPECT_TRUE(root->IsEnabled());
    EXPECT_FALSE(leaf->IsEnabled());
    middle->SetEnabled(true);
    EXPECT_TRUE(leaf->IsEnabled());

    // A child added to a hidden container starts hidden by it.
    root->SetVisible(false);
    auto* late = new CControlUI;
    AsContainer(middle)->Add(late);
    EXPECT_FALSE(late->IsVisible());
}

TEST(ContainerLayout, ChildListOperationsRefuseBadIndices)
{
    CContainerUI box;
    box.SetDelayedDestroy(false);
    auto* a = new CControlUI;
    auto* b = new CControlUI;
    EXPECT_FALSE(box.Add(nullptr));
    EXPECT_TRUE(box.Add(a));
    EXPECT_FALSE(box.Add(a));
    EXPECT_FALSE(box.AddAt(b, 2));
    EXPECT_TRUE(box.AddAt(b, 0));
    EXPECT_EQ(box.GetItemIndex(a), 1);
    EXPECT_EQ(box.GetItemAt(5), nullptr);
    EXPECT_TRUE(box.SetItemIndex(a, 0));
    EXPECT_EQ(box.GetItemAt(0), a);
    EXPECT_FALSE(box.RemoveAt(2));
    EXPECT_EQ(a->GetParent(), &box);

    box.SetAutoDestroy(false);
    EXPECT_TRUE(box.Remove(a));
    EXPECT_EQ(box.GetItemIndex(a), -1);
    delete a; // without auto-destroy the removed child is the caller's again
    EXPECT_EQ(box.GetCount(), 1);
}

TEST(ContainerLayout, HitTestFindsTheTopmostInnermostControl)
{
    CUIManager manager;
    CControlUI* root = BuildControl(
        L"<Container name=\"root\" inset=\"10,10,10,10\"><Control name=\"under\"/>"
        L"<VerticalLayout name=\"over\"><Control name=\"leaf\" height=\"20\"/><Control name=\"mute\" mouse=\"false\"/>"
        L"</VerticalLayout><Control name=\"float\" float=\"true\" pos=\"0,0,5,5\"/></Container>")
                           .release();
    manager.AttachRoot(root);
    root->SetPos({0, 0, 100, 100});
    const std::pair<TPoint, const wchar_t*> cases[] = {
        {{50, 15}, L"leaf"}, {{50, 50}, L"over"}, {{2, 2}, L"float"}, {{5, 50}, L"root"}, {{150, 5}, nullptr},
    };
    for (const auto& [point, name] : cases) {
        CControlUI* found = manager.FindControl(point);
        EXPECT_EQ(found != nullptr ? found->GetName() : L"", name != nullptr ? name : L"")
            << point.x << "," << point.y;
    }
}

} // namespace
} // namespace SkinUI
