// Injected input on the emulated desktop: which window gets it and as what.
#include "DesktopTest.h"

namespace {

using namespace desktop_test;

const std::vector<UINT> kButtons = {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN,
                                    WM_RBUTTONUP,   WM_NCLBUTTONDOWN, WM_NCLBUTTONUP, WM_NCLBUTTONDBLCLK};

class DesktopInput : public DesktopTest {};

TEST_F(DesktopInput, PressesGoToTheFrontMostWindowUnderThePoint) {
    HWND back = Make({100, 100, 400, 300});
    HWND front = Make({300, 200, 600, 500});
    HWND owner = Make({700, 100, 900, 300});
    HWND owned = Make({750, 150, 850, 250}, WS_POPUP | WS_VISIBLE, 0, owner);

    struct Case {
        POINT point;
        HWND expected;
    };
    const Case cases[] = {{{350, 250}, front}, {{150, 150}, back}, {{350, 250}, back},
                          {{800, 200}, owned}, {{710, 110}, owner}, {{800, 200}, owned}};
    for (const Case& c : cases) {
        test::InjectClick(c.point.x, c.point.y);
        const std::vector<Seen> seen = Pump({WM_LBUTTONDOWN});
        ASSERT_EQ(seen.size(), 1u) << c.point.x << "," << c.point.y;
        EXPECT_EQ(seen[0].window, c.expected) << c.point.x << "," << c.point.y;
    }
    // Each click raised its window (the third found the back window in front); an owner comes
    // up with its owned window still above it.
    EXPECT_EQ(GetActiveWindow(), owned);
    EXPECT_EQ(test::DescribeWindow(owned)->zOrder, 0);
    EXPECT_EQ(test::DescribeWindow(owner)->zOrder, 1);
}

TEST_F(DesktopInput, MouseMessagesCarryClientPointsAndButtonFlags) {
    HWND window = Make({100, 50, 300, 250});
    test::InjectKeyDown(VK_SHIFT);
    test::InjectMouseDown(110, 70);
    test::InjectMouseMove(120, 90);
    test::InjectMouseUp(120, 90);
    test::InjectKeyUp(VK_SHIFT);
    const std::vector<Seen> seen = Pump({WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP});
    ASSERT_EQ(Messages(seen), (std::vector<UINT>{WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_LBUTTONUP}));
    EXPECT_EQ(PointFromLParam(seen[1].lParam).x, 10);
    EXPECT_EQ(PointFromLParam(seen[1].lParam).y, 20);
    EXPECT_EQ(seen[1].wParam, MK_LBUTTON | MK_SHIFT);
    EXPECT_EQ(seen[2].wParam, MK_LBUTTON | MK_SHIFT);
    EXPECT_EQ(seen[3].wParam, MK_SHIFT);
    EXPECT_EQ(Targets(seen), std::vector<HWND>(4, window));
}

TEST_F(DesktopInput, CaptureTakesEveryMouseMessageInClientCoordinates) {
    HWND holder = Make({100, 100, 200, 200});
    HWND other = Make({300, 100, 400, 200});
    SetCapture(holder);
    test::InjectClick(350, 150);
    std::vector<Seen> seen = Pump({WM_LBUTTONDOWN, WM_LBUTTONUP, WM_NCHITTEST});
    ASSERT_EQ(Messages(seen), (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP}));
    EXPECT_EQ(Targets(seen), (std::vector<HWND>{holder, holder}));
    EXPECT_EQ(PointFromLParam(seen[0].lParam).x, 250);

    g_seen.clear();
    ReleaseCapture();
    ASSERT_EQ(g_seen.size(), 1u);
    EXPECT_EQ(g_seen[0].message, WM_CAPTURECHANGED);
    EXPECT_EQ(g_seen[0].lParam, 0);
    test::InjectClick(350, 150);
    seen = Pump({WM_LBUTTONDOWN});
    EXPECT_EQ(Targets(seen), (std::vector<HWND>{other}));
}

TEST_F(DesktopInput, DisabledWindowsGetNoInput) {
    HWND owner = Make({100, 100, 500, 400});
    HWND dialog = Make({200, 150, 400, 300}, WS_POPUP | WS_VISIBLE, 0, owner);
    EnableWindow(owner, false);
    SetFocus(dialog);
    test::InjectClick(120, 120);
    test::InjectClick(300, 200);
    test::InjectKey(VK_ESCAPE);
    const std::vector<Seen> seen = Pump({WM_LBUTTONDOWN, WM_KEYDOWN, WM_NCHITTEST, WM_SETCURSOR});
    const std::vector<HWND> targets = Targets(seen);
    EXPECT_EQ(std::count(targets.begin(), targets.end(), owner), 0);
    std::vector<UINT> delivered = Messages(seen);
    std::erase_if(delivered, [](UINT m) { return m == WM_NCHITTEST || m == WM_SETCURSOR; });
    EXPECT_EQ(delivered, (std::vector<UINT>{WM_LBUTTONDOWN, WM_KEYDOWN}));

    // Disabling takes the focus away; keys then go to the active window as system keys.
    EnableWindow(dialog, false);
    EXPECT_EQ(GetFocus(), nullptr);
    test::InjectKey('A');
    EXPECT_EQ(Messages(Pump({WM_KEYDOWN, WM_SYSKEYDOWN})), (std::vector<UINT>{WM_SYSKEYDOWN}));
}

TEST_F(DesktopInput, HoverAndLeaveComeOncePerRequest) {
    HWND window = Make({100, 100, 300, 300});
    // A long hover time, so that the real time the test takes never makes it due.
    g_override = [](HWND w, UINT message, WPARAM, LPARAM, LRESULT*) {
        if (message == WM_MOUSEMOVE)
            TrackMouseEvent(w, TME_HOVER | TME_LEAVE, 10000);
        return false;
    };
    test::InjectMouseMove(150, 150);
    const std::vector<UINT> tracked = {WM_MOUSEHOVER, WM_MOUSELEAVE};
    EXPECT_TRUE(Pump(tracked).empty());
    test::AdvanceClock(9000);
    EXPECT_TRUE(Pump(tracked).empty());
    test::AdvanceClock(1000);
    std::vector<Seen> seen = Pump(tracked);
    ASSERT_EQ(Messages(seen), (std::vector<UINT>{WM_MOUSEHOVER}));
    EXPECT_EQ(PointFromLParam(seen[0].lParam).x, 50);
    test::AdvanceClock(1000);
    EXPECT_TRUE(Pump(tracked).empty());

    g_override = nullptr;
    test::InjectMouseMove(500, 500);
    test::InjectMouseMove(510, 510);
    seen = Pump(tracked);
    EXPECT_EQ(Messages(seen), (std::vector<UINT>{WM_MOUSELEAVE}));
    EXPECT_EQ(Targets(seen), (std::vector<HWND>{window}));
}

TEST_F(DesktopInput, TrackingAWindowTheMouseIsNotOverLeavesAtOnce) {
    HWND window = Make({100, 100, 300, 300});
    test::InjectMouseMove(500, 500);
    Pump();
    TrackMouseEvent(window, TME_LEAVE);
    EXPECT_EQ(Messages(Pump({WM_MOUSELEAVE})), (std::vector<UINT>{WM_MOUSELEAVE}));
}

TEST_F(DesktopInput, SecondPressMakesADoubleClickOnlyWhenCloseInTimeAndPlace) {
    struct Case {
        const wchar_t* className;
        std::int64_t delayMs;
        long offset;
        UINT second;
    };
    const Case cases[] = {
        {kClass, 0, 0, WM_LBUTTONDBLCLK},  {kClass, 450, 2, WM_LBUTTONDBLCLK},
        {kClass, 600, 0, WM_LBUTTONDOWN},  {kClass, 0, 3, WM_LBUTTONDOWN},
        {kPlainClass, 0, 0, WM_LBUTTONDOWN},
    };
    for (const Case& c : cases) {
        HWND window = Make({100, 100, 300, 300}, WS_POPUP | WS_VISIBLE, 0, nullptr, c.className);
        test::InjectClick(150, 150);
        Pump();
        test::AdvanceClock(c.delayMs);
        test::InjectClick(150 + c.offset, 150);
        test::InjectClick(150 + c.offset, 150);
        const std::vector<Seen> seen = Pump({WM_LBUTTONDOWN, WM_LBUTTONDBLCLK});
        ASSERT_EQ(seen.size(), 2u);
        EXPECT_EQ(seen[0].message, c.second) << c.delayMs << " ms, " << c.offset << " px";
        // After a double click the next press starts again.
        if (c.second == WM_LBUTTONDBLCLK) {
            EXPECT_EQ(seen[1].message, WM_LBUTTONDOWN);
        }
        DestroyWindow(window);
        test::AdvanceClock(1000);
    }
}

TEST_F(DesktopInput, CaptionPressDragsTheWindowUntilRelease) {
    HWND window = Make({100, 100, 400, 300});
    g_hitRules[window] = HitRule{30};
    test::InjectMouseDown(200, 110);
    test::InjectMouseMove(250, 130);
    test::InjectMouseMove(260, 150);
    test::InjectMouseUp(260, 150);
    test::InjectMouseMove(270, 160);
    const std::vector<Seen> seen =
        Pump({WM_NCLBUTTONDOWN, WM_ENTERSIZEMOVE, WM_MOVE, WM_EXITSIZEMOVE, WM_NCLBUTTONUP, WM_LBUTTONUP});
    EXPECT_EQ(Messages(seen), (std::vector<UINT>{WM_NCLBUTTONDOWN, WM_ENTERSIZEMOVE, WM_MOVE, WM_MOVE,
                                                 WM_EXITSIZEMOVE}));
    EXPECT_EQ(WindowRectOf(window), (RECT{160, 140, 460, 340}));
    EXPECT_EQ(GetCapture(), nullptr);

    // A press below the caption is a client press and moves nothing.
    test::InjectMouseDown(300, 300);
    test::InjectMouseMove(350, 320);
    test::InjectMouseUp(350, 320);
    EXPECT_EQ(Messages(Pump({WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOVE})),
              (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP}));
    EXPECT_EQ(WindowRectOf(window), (RECT{160, 140, 460, 340}));
}

TEST_F(DesktopInput, BorderPressResizesWithinTheTrackingLimits) {
    HWND window = Make({100, 100, 400, 300}, WS_POPUP | WS_VISIBLE | WS_THICKFRAME);
    g_hitRules[window] = HitRule{300, HTBOTTOMRIGHT};
    g_override = [](HWND, UINT message, WPARAM, LPARAM lParam, LRESULT*) {
        if (message == WM_GETMINMAXINFO)
            reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = POINT{250, 150};
        return false;
    };
    test::InjectMouseDown(390, 290);
    test::InjectMouseMove(420, 310);
    EXPECT_FALSE(Pump({WM_SIZE}).empty());
    EXPECT_EQ(WindowRectOf(window), (RECT{100, 100, 430, 320}));
    test::InjectMouseMove(100, 100);
    test::InjectMouseUp(100, 100);
    Pump();
    EXPECT_EQ(WindowRectOf(window), (RECT{100, 100, 350, 250}));
}

TEST_F(DesktopInput, CaptionDoubleClickMaximizesAndRestores) {
    HWND window = Make({100, 100, 400, 300}, WS_POPUP | WS_VISIBLE | WS_MAXIMIZEBOX);
    g_hitRules[window] = HitRule{30};
    test::InjectDoubleClick(200, 110);
    Pump();
    EXPECT_TRUE(IsZoomed(window));
    test::AdvanceClock(1000);
    test::InjectDoubleClick(200, 10);
    Pump();
    EXPECT_FALSE(IsZoomed(window));
    EXPECT_EQ(WindowRectOf(window), (RECT{100, 100, 400, 300}));
}

TEST_F(DesktopInput, ClickActivatesAndFocusesItsTopLevelWindow) {
    HWND first = Make({100, 100, 200, 200});
    HWND second = Make({300, 100, 400, 200});
    EXPECT_EQ(GetActiveWindow(), second);
    test::InjectClick(150, 150);
    const std::vector<Seen> seen =
        Pump({WM_MOUSEACTIVATE, WM_NCACTIVATE, WM_ACTIVATE, WM_KILLFOCUS, WM_SETFOCUS, WM_LBUTTONDOWN});
    EXPECT_EQ(Messages(seen), (std::vector<UINT>{WM_MOUSEACTIVATE, WM_NCACTIVATE, WM_ACTIVATE, WM_NCACTIVATE,
                                                 WM_ACTIVATE, WM_KILLFOCUS, WM_SETFOCUS, WM_LBUTTONDOWN}));
    EXPECT_EQ(Targets(seen), (std::vector<HWND>{first, second, second, first, first, second, first, first}));
    EXPECT_EQ(LowWord(seen[4].wParam), WA_CLICKACTIVE);
    EXPECT_EQ(GetFocus(), first);
}

TEST_F(DesktopInput, ClickThroughLayeredWindowsAndTransparentPixels) {
    HWND below = Make({100, 100, 300, 300});
    HWND shadow = Make({90, 90, 310, 310}, WS_POPUP | WS_VISIBLE, WS_EX_LAYERED | WS_EX_TRANSPARENT);
    HWND tip = Make({0, 0, 0, 0}, WS_POPUP | WS_VISIBLE, WS_EX_LAYERED);
    std::vector<std::uint32_t> pixels(40 * 40, 0xFF000000u);
    pixels[0] = 0; // the top-left pixel lets the mouse through
    const POINT at{200, 200};
    ASSERT_TRUE(UpdateLayeredWindow(tip, &at, 40, 40, pixels.data(), 40 * 4, 255));
    ASSERT_TRUE(UpdateLayeredWindow(shadow, nullptr, 220, 220, std::vector<std::uint32_t>(220 * 220, 0x40000000u).data(),
                                    220 * 4, 255));

    struct Case {
        POINT point;
        HWND expected;
    };
    for (const Case& c : {Case{{95, 95}, nullptr}, Case{{210, 210}, tip}, Case{{200, 200}, below},
                          Case{{150, 150}, below}}) {
        test::InjectClick(c.point.x, c.point.y);
        const std::vector<Seen> seen = Pump({WM_LBUTTONDOWN});
        EXPECT_EQ(Targets(seen), c.expected ? std::vector<HWND>{c.expected} : std::vector<HWND>{})
            << c.point.x << "," << c.point.y;
    }
}

TEST_F(DesktopInput, KeysGoToTheFocusAndTranslateToCharacters) {
    HWND window = Make({100, 100, 300, 300});
    SetFocus(window);
    short shiftDuringKey = 0;
    g_override = [&](HWND, UINT message, WPARAM wParam, LPARAM, LRESULT*) {
        if (message == WM_KEYDOWN && wParam == 'A')
            shiftDuringKey = GetKeyState(VK_SHIFT);
        return false;
    };
    test::InjectKeyDown(VK_SHIFT);
    test::InjectKey('A');
    test::InjectKeyUp(VK_SHIFT);
    test::InjectKey('B');
    test::InjectKey(VK_RETURN);
    test::InjectText(L"中");
    const std::vector<Seen> seen = Pump({WM_CHAR});
    std::vector<WPARAM> characters;
    for (const Seen& s : seen)
        characters.push_back(s.wParam);
    EXPECT_EQ(characters, (std::vector<WPARAM>{'A', 'b', '\r', L'中'}));
    EXPECT_LT(shiftDuringKey, 0);
    EXPECT_GE(GetKeyState(VK_SHIFT), 0);
}

TEST_F(DesktopInput, WheelGoesToTheFocusWithTheScreenPoint) {
    HWND focused = Make({100, 100, 300, 300});
    HWND under = Make({400, 100, 600, 300}, WS_POPUP | WS_VISIBLE, WS_EX_NOACTIVATE);
    SetFocus(focused);
    test::InjectKeyDown(VK_CONTROL);
    test::InjectWheel(450, 150, -WHEEL_DELTA);
    test::InjectKeyUp(VK_CONTROL);
    const std::vector<Seen> seen = Pump({WM_MOUSEWHEEL, WM_MOUSEMOVE});
    ASSERT_EQ(Messages(seen), (std::vector<UINT>{WM_MOUSEMOVE, WM_MOUSEWHEEL}));
    EXPECT_EQ(Targets(seen), (std::vector<HWND>{under, focused}));
    EXPECT_EQ(WheelDeltaOf(seen[1].wParam), -WHEEL_DELTA);
    EXPECT_EQ(LowWord(seen[1].wParam), MK_CONTROL);
    EXPECT_EQ(PointFromLParam(seen[1].lParam).x, 450);
}

TEST_F(DesktopInput, AltF4ClosesOnlyWithTheCloseItemEnabled) {
    for (bool enabled : {true, false}) {
        HWND window = Make({100, 100, 300, 300}, WS_POPUP | WS_VISIBLE | WS_SYSMENU);
        EnableSystemMenuClose(window, enabled);
        EXPECT_EQ(test::SystemMenuCloseEnabled(window), enabled);
        test::InjectKeyDown(VK_MENU);
        test::InjectKey(VK_F4);
        test::InjectKeyUp(VK_MENU);
        Pump();
        EXPECT_EQ(IsWindow(window), !enabled);
        if (IsWindow(window))
            DestroyWindow(window);
    }
}

TEST_F(DesktopInput, DefaultCursorFollowsTheHitTest) {
    HWND window = Make({100, 100, 300, 300});
    struct Case {
        LRESULT hit;
        int cursor;
    };
    for (const Case& c : {Case{HTCLIENT, IDC_ARROW}, Case{HTLEFT, IDC_SIZEWE}, Case{HTBOTTOM, IDC_SIZENS},
                          Case{HTTOPLEFT, IDC_SIZENWSE}, Case{HTBOTTOMLEFT, IDC_SIZENESW}}) {
        g_hitRules[window] = HitRule{300, c.hit};
        test::InjectMouseMove(150, 150 + static_cast<long>(c.hit));
        Pump();
        EXPECT_EQ(test::CurrentCursor(), c.cursor) << c.hit;
    }
    EXPECT_EQ(test::TakeCursorChanges(),
              (std::vector<int>{IDC_ARROW, IDC_SIZEWE, IDC_SIZENS, IDC_SIZENWSE, IDC_SIZENESW}));
}

} // namespace
