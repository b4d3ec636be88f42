#include "Toolkit/Core/UIManager.h"

#include "tests/Toolkit/ToolkitFixtures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace SkinUI {
namespace {

using testing_support::BuildControl;
using testing_support::CNotifyLog;
using testing_support::TNotified;

TEST(UIManager, IndexesNamesLastRegisteredWinsAndForgetsDestroyedControls)
{
    CUIManager manager;
    CControlUI* root = BuildControl(L"<VerticalLayout name=\"root\"><Control name=\"twin\" text=\"first\"/>"
                                    L"<HorizontalLayout><Control name=\"twin\" text=\"second\"/></HorizontalLayout>"
                                    L"<Control name=\"gone\"/></VerticalLayout>")
                           .release();
    ASSERT_TRUE(manager.AttachRoot(root));
    EXPECT_EQ(manager.FindControl(L"root"), root);
    EXPECT_EQ(manager.FindControl(L"twin")->GetText(), L"second");
    EXPECT_EQ(manager.FindControl(L"Root"), nullptr);

    CControlUI* gone = manager.FindControl(L"gone");
    auto* list = static_cast<CContainerUI*>(root);
    list->SetDelayedDestroy(false);
    manager.SetFocus(gone);
    EXPECT_EQ(manager.GetFocus(), gone);
    EXPECT_TRUE(list->Remove(gone));
    EXPECT_EQ(manager.FindControl(L"gone"), nullptr);
    EXPECT_EQ(manager.GetFocus(), nullptr);

    // Removing the twin that owns the name entry drops it; the other twin is not re-entered.
    CControlUI* second = manager.FindControl(L"twin");
    auto* row = static_cast<CContainerUI*>(list->GetItemAt(1));
    row->SetDelayedDestroy(false);
    EXPECT_TRUE(row->Remove(second));
    EXPECT_EQ(manager.FindControl(L"twin"), nullptr);
}

TEST(UIManager, DeliversToTheSendersListenersFirstThenEveryReceiverInOrder)
{
    CUIManager manager;
    CControlUI* root = BuildControl(L"<Control name=\"c\" virtualwnd=\"page\"/>", &manager).release();
    manager.AttachRoot(root);
    std::vector<std::wstring> order;
    root->OnNotify += [&](TNotifyMsg& msg) {
        order.push_back(L"sender " + msg.type + L" " + msg.virtualWnd);
        return true;
    };
    CNotifyLog first;
    CNotifyLog second;
    manager.AddNotifier(&first);
    EXPECT_FALSE(manager.AddNotifier(&first));
    manager.AddNotifier(&second);
    manager.SendNotify(root, L"ping", 3, 4);
    EXPECT_EQ(order, (std::vector<std::wstring>{L"sender ping page"}));
    EXPECT_EQ(first.log, (std::vector<TNotified>{{L"ping", L"c", 3, 4}}));
    EXPECT_EQ(second.log, first.log);
    EXPECT_EQ(manager.GetMousePos(), (TPoint{-1, -1}));
}

TEST(UIManager, OptionGroupsRefuseDuplicatesAndVanishWhenEmpty)
{
    CUIManager manager;
    CControlUI a;
    CControlUI b;
    EXPECT_TRUE(manager.AddOptionGroup(L"g", &a));
    EXPECT_FALSE(manager.AddOptionGroup(L"g", &a));
    EXPECT_TRUE(manager.AddOptionGroup(L"g", &b));
    ASSERT_NE(manager.GetOptionGroup(L"g"), nullptr);
    EXPECT_EQ(*manager.GetOptionGroup(L"g"), (std::vector<CControlUI*>{&a, &b}));
    manager.RemoveOptionGroup(L"g", &a);
    manager.RemoveOptionGroup(L"g", &b);
    EXPECT_EQ(manager.GetOptionGroup(L"g"), nullptr);
}

TEST(UIManager, FocusMovesOnlyToVisibleEnabledControlsOfItsOwnTree)
{
    CUIManager manager;
    CControlUI* root = BuildControl(L"<VerticalLayout><Control name=\"a\"/><Control name=\"off\" enabled=\"false\"/>"
                                    L"</VerticalLayout>")
                           .release();
    manager.AttachRoot(root);
    CNotifyLog log;
    manager.AddNotifier(&log);
    CControlUI stranger;
    manager.SetFocus(manager.FindControl(L"off"));
    manager.SetFocus(&stranger);
    EXPECT_EQ(manager.GetFocus(), nullptr);
    manager.SetFocus(manager.FindControl(L"a"));
    manager.SetFocus(manager.FindControl(L"a"));
    manager.SetFocus(nullptr);
    EXPECT_EQ(log.log, (std::vector<TNotified>{{L"setfocus", L"a", 0, 0}, {L"killfocus", L"a", 0, 0}}));
    EXPECT_FALSE(manager.FindControl(L"a")->IsFocused());
}

} // namespace
} // namespace SkinUI
