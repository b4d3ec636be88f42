// Windows as the system makes, places, shows, minimises and maximises them.
#include "WindowsTest.h"

namespace {

using namespace windows_test;

class WindowsPlacement : public WindowsTest {};

TEST_F(WindowsPlacement, CreationMessagesComeInTheSystemsOrder) {
    HWND overlapped = Make({10, 20, 310, 220}, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    const std::vector<int> order = FirstPositions(
        overlapped, {WM_GETMINMAXINFO, WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SHOWWINDOW, WM_WINDOWPOSCHANGING,
                     WM_WINDOWPOSCHANGED});
    ASSERT_EQ(std::count(order.begin(), order.end(), -1), 0);
    EXPECT_EQ(order.front(), 0); // before WM_NCCREATE, even
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));
    EXPECT_FALSE(SeenBy(overlapped, WM_SIZE).empty());
    EXPECT_FALSE(SeenBy(overlapped, WM_MOVE).empty());

    // A popup without a sizing frame has no tracking limits to ask for.
    g_seen.clear();
    HWND popup = Make({0, 0, 100, 100});
    EXPECT_EQ(FirstPositions(popup, {WM_NCCREATE, WM_GETMINMAXINFO})[0], 0);
}

TEST_F(WindowsPlacement, PlacementReportsRectanglesAndSizeMessages) {
    HWND window = Make({50, 60, 250, 160});
    EXPECT_EQ(WindowRectOf(window), (RECT{50, 60, 250, 160}));
    RECT client{};
    ASSERT_TRUE(GetClientRect(window, &client));
    EXPECT_EQ(client, (RECT{0, 0, 200, 100}));
    POINT point{5, 7};
    ASSERT_TRUE(ClientToScreen(window, &point));
    EXPECT_EQ(point.x, 55);
    EXPECT_EQ(point.y, 67);
    ASSERT_TRUE(ScreenToClient(window, &point));
    EXPECT_EQ(point.x, 5);

    g_seen.clear();
    ASSERT_TRUE(SetWindowPos(window, nullptr, 70, 80, 300, 150, SWP_NOZORDER | SWP_NOACTIVATE));
    EXPECT_EQ(WindowRectOf(window), (RECT{70, 80, 370, 230}));
    const std::vector<Seen> sizes = SeenBy(window, WM_SIZE);
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_EQ(sizes[0].wParam, SIZE_RESTORED);
    EXPECT_EQ(sizes[0].lParam, MakeLParam(300, 150));
    const std::vector<Seen> moves = SeenBy(window, WM_MOVE);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0].lParam, MakeLParam(70, 80));

    g_seen.clear();
    ASSERT_TRUE(MoveWindow(window, 70, 80, 300, 150, true));
    EXPECT_TRUE(SeenBy(window, WM_SIZE).empty());
}

TEST_F(WindowsPlacement, ShowWindowReportsThePreviousVisibility) {
    HWND main = Make({100, 100, 300, 300});
    HWND tip = Make({120, 120, 200, 140}, WS_POPUP, WS_EX_TOOLWINDOW, main);
    EXPECT_FALSE(ShowWindow(main, SW_SHOW));
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_EQ(GetActiveWindow(), main);
    EXPECT_FALSE(ShowWindow(tip, SW_SHOWNA));
    EXPECT_TRUE(IsWindowVisible(tip));
    EXPECT_EQ(GetActiveWindow(), main);
    EXPECT_TRUE(ShowWindow(tip, SW_HIDE));
    EXPECT_FALSE(IsWindowVisible(tip));
    EXPECT_FALSE(ShowWindow(tip, SW_HIDE));
    const std::vector<Seen> shows = SeenBy(tip, WM_SHOWWINDOW);
    ASSERT_EQ(shows.size(), 2u);
    EXPECT_EQ(shows[0].wParam, 1u);
    EXPECT_EQ(shows[1].wParam, 0u);
}

TEST_F(WindowsPlacement, OwnersAndParents) {
    HWND main = Make({100, 100, 300, 300});
    HWND box = Make({120, 120, 200, 200}, WS_POPUP, 0, main);
    HWND child = Make({10, 10, 50, 50}, WS_CHILD, 0, main);
    EXPECT_EQ(GetWindowOwner(box), main);
    EXPECT_EQ(GetParent(box), main);
    EXPECT_EQ(GetParent(child), main);
    EXPECT_EQ(GetWindowOwner(child), nullptr);
    EXPECT_EQ(GetWindowOwner(main), nullptr);
    EXPECT_EQ(WindowRectOf(child), (RECT{110, 110, 150, 150}));
}

TEST_F(WindowsPlacement, SystemCommandsMinimiseMaximiseAndRestore) {
    HWND window = Make({100, 100, 500, 400}, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    const RECT normal = WindowRectOf(window);
    SendMessage(window, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    EXPECT_TRUE(IsZoomed(window));
    SendMessage(window, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(IsZoomed(window));
    EXPECT_EQ(WindowRectOf(window), normal);

    g_seen.clear();
    SendMessage(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(IsIconic(window));
    const std::vector<Seen> sizes = SeenBy(window, WM_SIZE);
    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(sizes.back().wParam, SIZE_MINIMIZED);
    SendMessage(window, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(IsIconic(window));
    EXPECT_EQ(WindowRectOf(window), normal);
}

TEST_F(WindowsPlacement, AFramedPopupMaximisesIntoItsTrackingLimit) {
    MonitorArea area{};
    ASSERT_TRUE(GetNearestMonitorArea(nullptr, &area));
    EXPECT_LE(area.monitor.left, area.work.left);
    EXPECT_GE(area.monitor.right, area.work.right);
    EXPECT_LT(area.work.left, area.work.right);

    // The skinned window's way: the work area as the maximised position and largest tracking size.
    HWND window = Make({100, 100, 400, 300}, WS_POPUP | WS_VISIBLE | WS_THICKFRAME | WS_MAXIMIZEBOX);
    g_override = [&](HWND w, UINT message, WPARAM, LPARAM lParam, LRESULT*) {
        if (w != window || message != WM_GETMINMAXINFO)
            return false;
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMaxPosition = POINT{area.work.left - area.monitor.left, area.work.top - area.monitor.top};
        info->ptMaxTrackSize = POINT{area.work.right - area.work.left, area.work.bottom - area.work.top};
        return false;
    };
    SendMessage(window, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    EXPECT_TRUE(IsZoomed(window));
    EXPECT_EQ(WindowRectOf(window), area.work);
}

TEST_F(WindowsPlacement, EnablingReportsThePreviousStateAndTakesTheFocus) {
    HWND window = Make({100, 100, 300, 300}, WS_POPUP | WS_VISIBLE);
    SetFocus(window);
    EXPECT_EQ(GetFocus(), window);
    EXPECT_FALSE(EnableWindow(window, false));
    EXPECT_FALSE(IsWindowEnabled(window));
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_TRUE(EnableWindow(window, false));
    EXPECT_TRUE(EnableWindow(window, true));
    EXPECT_TRUE(IsWindowEnabled(window));
    const std::vector<Seen> enables = SeenBy(window, WM_ENABLE);
    ASSERT_EQ(enables.size(), 2u);
    EXPECT_EQ(enables[0].wParam, 0u);
    EXPECT_EQ(enables[1].wParam, 1u);
}

TEST_F(WindowsPlacement, RegionsAndTheSystemMenu) {
    HWND window = Make({100, 100, 300, 300}, WS_POPUP | WS_SYSMENU);
    EXPECT_TRUE(SetWindowRoundRegion(window, 0, 0, 201, 201, 8, 8, true));
    EXPECT_TRUE(ClearWindowRegion(window, true));
    EXPECT_TRUE(EnableSystemMenuClose(window, false));
    EXPECT_TRUE(EnableSystemMenuClose(window, true));
}

TEST_F(WindowsPlacement, ParameterHelpersKeepSignedCoordinates) {
    struct Case {
        int x;
        int y;
    };
    for (const Case& c : {Case{0, 0}, Case{-5, 7}, Case{32767, -32768}, Case{-1, -1}}) {
        const POINT point = PointFromLParam(MakeLParam(c.x, c.y));
        EXPECT_EQ(point.x, c.x);
        EXPECT_EQ(point.y, c.y);
    }
    EXPECT_EQ(WheelDeltaOf(MakeWParam(static_cast<unsigned>(MK_SHIFT), static_cast<unsigned>(-WHEEL_DELTA))),
              -WHEEL_DELTA);
    EXPECT_EQ(LowWord(MakeWParam(WA_CLICKACTIVE, 1)), WA_CLICKACTIVE);
    EXPECT_EQ(HighWord(MakeWParam(WA_CLICKACTIVE, 1)), 1u);
}

} // namespace
