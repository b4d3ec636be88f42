#include "Platform/Draw.h"
#include "Platform/Input.h"
#include "Platform/Posix/TestToolTip.h"
#include "tests/Toolkit/Posix/SkinWindowFixture.h"

#include <gtest/gtest.h>

namespace SkinUI::testing_support {
namespace {

using plat::test::InjectMouseDown;
using plat::test::InjectMouseMove;
using plat::test::InjectMouseUp;
using plat::test::PumpMessages;

constexpr const wchar_t* kTwoButtons =
    L"<Window size=\"300,200\"><HorizontalLayout><Click name=\"one\" tabstop=\"true\"/>"
    L"<Click name=\"two\" tabstop=\"true\"/><Probe name=\"off\" tabstop=\"true\" enabled=\"false\"/>"
    L"<Probe name=\"hidden\" tabstop=\"true\" visible=\"false\"/><Click name=\"three\" tabstop=\"true\"/>"
    L"</HorizontalLayout></Window>";

// Client x of the middle of each 100-pixel button of kTwoButtons.
constexpr long kOne = kOriginX + 50;
constexpr long kTwo = kOriginX + 150;
constexpr long kMid = kOriginY + 100;

using UIManagerInput = SkinWindowTest;

TEST_F(UIManagerInput, FirstPaintSendsWindowInitOnceBeforeTheFirstSetFocus)
{
    CTestWindow& window = Open(kTwoButtons);
    EXPECT_EQ(window.NoteTypes(), (std::vector<std::wstring>{L"windowinit", L"setfocus"}));
    EXPECT_EQ(window.notes[1].sender, L"one");
    EXPECT_EQ(window.initCount, 1);
    plat::InvalidateRect(window.GetHWND(), nullptr, false);
    window.GetManager().GetRoot()->NeedUpdate();
    PumpMessages();
    EXPECT_EQ(window.NoteTypes().size(), 2u);
}

TEST_F(UIManagerInput, ClickNeedsPressAndReleaseInsideTheSameControl)
{
    struct TStep {
        enum { Down, Move, Up } kind;
        long x;
    };
    struct TCase {
        const char* what;
        std::vector<TStep> steps;
        std::size_t clicks;
    };
    const TCase cases[] = {
        {"press and release inside", {{TStep::Down, kOne}, {TStep::Up, kOne}}, 1},
        {"released outside", {{TStep::Down, kOne}, {TStep::Move, kTwo}, {TStep::Up, kTwo}}, 0},
        {"back inside before the release",
         {{TStep::Down, kOne}, {TStep::Move, kTwo}, {TStep::Move, kOne + 10}, {TStep::Up, kOne + 10}}, 1},
        {"pressed elsewhere", {{TStep::Down, kTwo}, {TStep::Move, kOne}, {TStep::Up, kOne}}, 0},
    };
    CTestWindow& window = Open(kTwoButtons);
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        window.notes.clear();
        for (const TStep& step : c.steps) {
            if (step.kind == TStep::Down)
                InjectMouseDown(step.x, kMid);
            else if (step.kind == TStep::Move)
                InjectMouseMove(step.x, kMid);
            else
                InjectMouseUp(step.x, kMid);
            PumpMessages();
        }
        std::size_t clicks = 0;
        for (const TNotified& n : window.notes)
            clicks += n.type == L"click" && n.sender == L"one";
        EXPECT_EQ(clicks, c.clicks);
    }
    EXPECT_FALSE(window.GetManager().IsCaptured());
}

TEST_F(UIManagerInput, HoverFollowsTheMouseAndLeavesWithIt)
{
    CTestWindow& window = Open(L"<Window size=\"200,100\"><HorizontalLayout><Probe name=\"a\" tooltip=\"line<n>two\"/>"
                               L"<Probe name=\"b\"/></HorizontalLayout></Window>");
    auto* a = window.Find<CProbeControl>(L"a");
    auto* b = window.Find<CProbeControl>(L"b");
    InjectMouseMove(kOriginX + 10, kOriginY + 10);
    PumpMessages();
    plat::test::AdvanceClock(500);
    PumpMessages();
    const auto tip = plat::test::VisibleToolTip(window.GetHWND());
    ASSERT_TRUE(tip.has_value());
    EXPECT_EQ(tip->text, L"line\r\ntwo");
    EXPECT_EQ(tip->maxWidth, 300);
    EXPECT_EQ(tip->tool.right, 100);

    InjectMouseMove(kOriginX + 150, kOriginY + 10);
    PumpMessages();
    EXPECT_FALSE(plat::test::VisibleToolTip(window.GetHWND()).has_value());
    InjectMouseMove(5, 5); // off the window
    PumpMessages();
    EXPECT_EQ(a->events, (TEventLog{L"enter", L"hover", L"leave"}));
    EXPECT_EQ(b->events, (TEventLog{L"enter", L"leave"}));
}

TEST_F(UIManagerInput, TabOrderSkipsDisabledAndHiddenControlsAndWraps)
{
    CTestWindow& window = Open(kTwoButtons);
    CUIManager& manager = window.GetManager();
    const auto focusName = [&] { return manager.GetFocus() != nullptr ? manager.GetFocus()->GetName() : L""; };
    EXPECT_EQ(focusName(), L"one");
    const plat::MSG tab{window.GetHWND(), plat::WM_KEYDOWN, static_cast<plat::WPARAM>(plat::VK_TAB), 0, 0, {}};
    std::vector<std::wstring> forward;
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(CUIManager::TranslateMessage(tab));
        forward.push_back(focusName());
    }
    EXPECT_EQ(forward, (std::vector<std::wstring>{L"two", L"three", L"one"}));
    manager.SetNextTabControl(false);
    EXPECT_EQ(focusName(), L"three");
    manager.SetNextTabControl(false);
    EXPECT_EQ(focusName(), L"two");

    // Focus leaves a control that is hidden.
    manager.FindControl(L"two")->SetVisible(false);
    EXPECT_EQ(manager.GetFocus(), nullptr);
    ASSERT_FALSE(window.notes.empty());
    EXPECT_EQ(window.notes.back(), (TNotified{L"killfocus", L"two", 0, 0}));
}

TEST_F(UIManagerInput, ControlTimersFireAsTimerNotificationsAndAreReused)
{
    CTestWindow& window = Open(kTwoButtons);
    CUIManager& manager = window.GetManager();
    CControlUI* one = manager.FindControl(L"one");
    EXPECT_TRUE(manager.SetTimer(one, 5, 20));
    EXPECT_FALSE(manager.SetTimer(one, 5, 20)); // live already
    window.notes.clear();
    plat::test::AdvanceClock(25);
    PumpMessages();
    EXPECT_EQ(window.notes, (std::vector<TNotified>{{L"timer", L"one", 5, 0}}));

    EXPECT_TRUE(manager.KillTimer(one, 5));
    EXPECT_FALSE(manager.KillTimer(one, 5));
    plat::test::AdvanceClock(100);
    PumpMessages();
    EXPECT_EQ(window.notes.size(), 1u);
    EXPECT_TRUE(manager.SetTimer(one, 5, 20)); // revived
    plat::test::AdvanceClock(25);
    PumpMessages();
    EXPECT_EQ(window.notes.size(), 2u);
}

TEST_F(UIManagerInput, NativeTimerIdsStartAt17AndWrapModulo255)
{
    CTestWindow& window = Open(kTwoButtons);
    CTimerTable timers;
    CControlUI control;
    const plat::HWND hwnd = window.GetHWND();
    ASSERT_TRUE(timers.Set(hwnd, &control, 1, 1000));
    EXPECT_NE(timers.FindLive(hwnd, 17), nullptr);
    for (plat::UINT id = 2; id <= 239; ++id)
        ASSERT_TRUE(timers.Set(hwnd, &control, id, 1000)) << id;
    const CTimerTable::TTimer* wrapped = timers.FindLive(hwnd, 0);
    ASSERT_NE(wrapped, nullptr);
    EXPECT_EQ(wrapped->localId, 239u);

    EXPECT_TRUE(timers.Kill(hwnd, &control, 1));
    EXPECT_EQ(timers.FindLive(hwnd, 17), nullptr);
    EXPECT_TRUE(timers.Set(hwnd, &control, 1, 1000));
    EXPECT_NE(timers.FindLive(hwnd, 17), nullptr);
    EXPECT_EQ(timers.GetCount(), 239);
    timers.KillAll(hwnd, &control);
    EXPECT_EQ(timers.GetCount(), 0);
}

TEST_F(UIManagerInput, PaintsThroughTheOffscreenSurfaceAndOutlinesDirtyRectangles)
{
    CTestWindow& window =
        Open(L"<Window size=\"40,30\" showdirty=\"true\"><Container bkcolor=\"#FF0000FF\">"
             L"<Control name=\"patch\" float=\"true\" pos=\"10,10,20,20\" bkcolor=\"#FFFF0000\"/></Container></Window>");
    const plat::test::Pixels first = plat::test::WindowPixels(window.GetHWND());
    ASSERT_EQ(first.width, 40);
    EXPECT_EQ(first.At(15, 15), Premultiply(0xFFFF0000u));
    EXPECT_EQ(first.At(20, 0), Premultiply(0xFFDC0000u)); // the first paint covers the whole window
    EXPECT_EQ(first.At(39, 29), Premultiply(0xFFDC0000u));
    EXPECT_EQ(first.At(20, 5), Premultiply(0xFF0000FFu));

    window.GetManager().FindControl(L"patch")->SetBkColor(0xFF00FF00u);
    PumpMessages();
    const plat::test::Pixels second = plat::test::WindowPixels(window.GetHWND());
    EXPECT_EQ(second.At(10, 10), Premultiply(0xFFDC0000u)); // the repainted rectangle's outline
    EXPECT_EQ(second.At(15, 15), Premultiply(0xFF00FF00u));
    EXPECT_EQ(second.At(25, 25), Premultiply(0xFF0000FFu));
}

TEST_F(UIManagerInput, PerPixelAlphaWindowsPresentTheirWholeSurface)
{
    CTestWindow& window = Open(L"<Window size=\"20,20\" bktrans=\"true\"><Container bkcolor=\"#80FF0000\"/></Window>");
    const auto info = plat::test::DescribeWindow(window.GetHWND());
    ASSERT_TRUE(info.has_value());
    EXPECT_NE(info->exStyle & plat::WS_EX_LAYERED, 0u);
    const plat::test::Pixels pixels = plat::test::WindowPixels(window.GetHWND());
    ASSERT_EQ(pixels.width, 20);
    EXPECT_EQ(pixels.At(19, 19), Premultiply(0x80FF0000u));
}

} // namespace
} // namespace SkinUI::testing_support
