// Windows on the emulated desktop as the test API sees them: listing, the screen and work area,
// minimised owners, painting and the pixels each window shows.
#include "DesktopTest.h"

namespace {

using namespace desktop_test;

class DesktopWindows : public DesktopTest {};

TEST_F(DesktopWindows, ListsWindowsWithTheirState) {
    HWND main = Make({100, 100, 640, 455}, WS_POPUP | WS_VISIBLE | WS_MINIMIZEBOX);
    HWND box = Make({200, 150, 500, 350}, WS_POPUP | WS_VISIBLE, 0, main);
    EnableWindow(main, false);
    HWND helper = CreateWindowEx(0, kClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr);
    windows_.push_back(helper);

    const std::vector<test::WindowInfo> listed = test::ListWindows();
    auto find = [&](HWND window) {
        return std::find_if(listed.begin(), listed.end(), [&](const auto& info) { return info.handle == window; });
    };
    EXPECT_EQ(find(helper), listed.end());
    ASSERT_NE(find(main), listed.end());
    ASSERT_NE(find(box), listed.end());
    const test::WindowInfo& mainInfo = *find(main);
    EXPECT_EQ(mainInfo.className, kClass);
    EXPECT_EQ(mainInfo.rect, (RECT{100, 100, 640, 455}));
    EXPECT_EQ(mainInfo.client, (RECT{100, 100, 640, 455}));
    EXPECT_TRUE(mainInfo.visible);
    EXPECT_FALSE(mainInfo.enabled);
    EXPECT_EQ(mainInfo.zOrder, 1);
    const test::WindowInfo& boxInfo = *find(box);
    EXPECT_EQ(boxInfo.owner, main);
    EXPECT_TRUE(boxInfo.active && boxInfo.focused);
    EXPECT_EQ(boxInfo.zOrder, 0);
    EXPECT_EQ(test::FindWindowOf(kClass), main);
}

TEST_F(DesktopWindows, WorkAreaAndMaximisedPlacement) {
    test::SetScreen(1366, 768, RECT{0, 0, 1366, 728});
    MonitorArea area{};
    ASSERT_TRUE(GetNearestMonitorArea(nullptr, &area));
    EXPECT_EQ(area.monitor, (RECT{0, 0, 1366, 768}));
    EXPECT_EQ(area.work, (RECT{0, 0, 1366, 728}));

    HWND borderless = Make({100, 100, 400, 300});
    HWND framed = Make({100, 100, 400, 300}, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    HWND skinned = Make({100, 100, 400, 300}, WS_POPUP | WS_VISIBLE | WS_THICKFRAME);
    HWND unframedSkin = Make({100, 100, 400, 300});
    // The skinned window's way: the work area as its largest tracking size, which only a window
    // with a sizing frame keeps to.
    g_override = [&](HWND window, UINT message, WPARAM, LPARAM lParam, LRESULT*) {
        if ((window == skinned || window == unframedSkin) && message == WM_GETMINMAXINFO)
            reinterpret_cast<MINMAXINFO*>(lParam)->ptMaxTrackSize = POINT{1366, 728};
        return false;
    };
    struct Case {
        HWND window;
        RECT maximized;
    };
    for (const Case& c : {Case{borderless, {0, 0, 1366, 768}}, Case{framed, {0, 0, 1366, 728}},
                          Case{skinned, {0, 0, 1366, 728}}, Case{unframedSkin, {0, 0, 1366, 768}}}) {
        SendMessage(c.window, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
        EXPECT_TRUE(IsZoomed(c.window));
        EXPECT_EQ(WindowRectOf(c.window), c.maximized);
        SendMessage(c.window, WM_SYSCOMMAND, SC_RESTORE, 0);
        EXPECT_EQ(WindowRectOf(c.window), (RECT{100, 100, 400, 300}));
    }
}

TEST_F(DesktopWindows, MinimisingHidesOwnedWindowsAndHandsActivationOn) {
    HWND other = Make({900, 100, 1000, 200});
    HWND main = Make({100, 100, 640, 455});
    HWND shadow = Make({86, 86, 654, 469}, WS_POPUP, WS_EX_LAYERED | WS_EX_TRANSPARENT, main);
    ShowWindow(shadow, SW_SHOWNA);
    EXPECT_EQ(GetActiveWindow(), main);

    g_seen.clear();
    SendMessage(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(IsIconic(main));
    EXPECT_FALSE(IsWindowVisible(shadow));
    EXPECT_EQ(GetActiveWindow(), other);
    const auto size = std::find_if(g_seen.begin(), g_seen.end(),
                                   [&](const Seen& s) { return s.window == main && s.message == WM_SIZE; });
    ASSERT_NE(size, g_seen.end());
    EXPECT_EQ(size->wParam, SIZE_MINIMIZED);

    SendMessage(main, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(IsIconic(main));
    EXPECT_TRUE(IsWindowVisible(shadow));
    EXPECT_EQ(WindowRectOf(main), (RECT{100, 100, 640, 455}));
}

TEST_F(DesktopWindows, CreationAndShowMessagesComeInTheSystemsOrder) {
    HWND window = Make({10, 20, 110, 220}, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    (void)window;
    const std::vector<UINT> expected = {WM_GETMINMAXINFO, WM_NCCREATE,   WM_NCCALCSIZE,        WM_CREATE,
                                        WM_SIZE,          WM_MOVE,       WM_SHOWWINDOW,        WM_WINDOWPOSCHANGING,
                                        WM_NCACTIVATE,    WM_ACTIVATE,   WM_SETFOCUS,          WM_NCPAINT,
                                        WM_ERASEBKGND,    WM_WINDOWPOSCHANGED};
    const std::vector<UINT> seen = Messages(g_seen);
    std::vector<UINT> kept;
    std::copy_if(seen.begin(), seen.end(), std::back_inserter(kept), [&](UINT m) {
        return std::find(expected.begin(), expected.end(), m) != expected.end();
    });
    EXPECT_EQ(kept, expected);
}

TEST_F(DesktopWindows, PaintComesAfterPostedMessagesWithTheInvalidBounds) {
    HWND window = Make({100, 100, 300, 300});
    Pump();
    std::vector<RECT> painted;
    std::vector<bool> erased;
    g_override = [&](HWND w, UINT message, WPARAM, LPARAM, LRESULT* result) {
        if (message == WM_PAINT) {
            PaintPass pass;
            BeginPaint(w, &pass);
            painted.push_back(pass.paint);
            erased.push_back(pass.erase);
            EndPaint(w, &pass);
            *result = 0;
            return true;
        }
        return false;
    };
    const RECT first{10, 10, 20, 20};
    const RECT second{50, 40, 60, 70};
    InvalidateRect(window, &first, false);
    InvalidateRect(window, &second, true);
    PostMessage(window, WM_USER, 0, 0);
    EXPECT_EQ(Messages(Pump({WM_USER, WM_PAINT, WM_ERASEBKGND})),
              (std::vector<UINT>{WM_USER, WM_PAINT, WM_ERASEBKGND}));
    EXPECT_EQ(painted, (std::vector<RECT>{{10, 10, 60, 70}}));
    EXPECT_EQ(erased, std::vector<bool>{true});
    EXPECT_TRUE(Pump({WM_PAINT}).empty());

    const RECT outside{300, 300, 400, 400};
    InvalidateRect(window, &outside, false);
    EXPECT_FALSE(GetUpdateRect(window, nullptr));
}

TEST_F(DesktopWindows, PresentedPixelsAreKeptPerWindow) {
    HWND window = Make({100, 100, 104, 103});
    const std::uint32_t source[] = {0x11111111u, 0x22222222u, 0x33333333u, 0x44444444u};
    // A 2x2 bitmap 1:1 at the top left, then stretched over the two right columns.
    ASSERT_TRUE(PresentBitmap(window, RECT{0, 0, 2, 2}, source, 8, 2, 2));
    ASSERT_TRUE(PresentBitmap(window, RECT{2, 0, 4, 3}, source, 8, 1, 2));
    const test::Pixels pixels = test::WindowPixels(window);
    ASSERT_EQ(pixels.width, 4);
    ASSERT_EQ(pixels.height, 3);
    EXPECT_EQ(pixels.bgra, (std::vector<std::uint32_t>{0x11111111u, 0x22222222u, 0x11111111u, 0x11111111u,
                                                        0x33333333u, 0x44444444u, 0x11111111u, 0x11111111u,
                                                        0, 0, 0x33333333u, 0x33333333u}));
    EXPECT_FALSE(PresentBitmap(window, RECT{0, 0, 2, 2}, source, 4, 2, 2));
}

TEST_F(DesktopWindows, LayeredContentPlacementAndOpacity) {
    HWND plain = Make({0, 0, 10, 10});
    HWND layered = Make({0, 0, 0, 0}, WS_POPUP, WS_EX_LAYERED | WS_EX_TOOLWINDOW);
    const std::vector<std::uint32_t> shadow(6 * 4, 0x40141414u);
    const POINT at{86, 86};
    EXPECT_FALSE(UpdateLayeredWindow(plain, &at, 6, 4, shadow.data(), 24, 255));
    EXPECT_FALSE(SetLayeredOpacity(plain, 128));

    ASSERT_TRUE(UpdateLayeredWindow(layered, &at, 6, 4, shadow.data(), 24, 255));
    EXPECT_EQ(WindowRectOf(layered), (RECT{86, 86, 92, 90}));
    const test::Pixels pixels = test::WindowPixels(layered);
    EXPECT_EQ(pixels.width, 6);
    EXPECT_EQ(pixels.AlphaAt(5, 3), 0x40);
    EXPECT_EQ(test::LayeredOpacity(layered), std::nullopt);

    SetWindowLongPtr(plain, GWL_EXSTYLE, WS_EX_LAYERED);
    EXPECT_TRUE(SetLayeredOpacity(plain, 200));
    EXPECT_EQ(test::LayeredOpacity(plain), std::optional<std::uint8_t>(200));
    SetWindowLongPtr(plain, GWL_EXSTYLE, 0);
    EXPECT_EQ(test::LayeredOpacity(plain), std::nullopt);
}

TEST_F(DesktopWindows, RoundRegionShapesTheMouseArea) {
    HWND below = Make({100, 100, 300, 300});
    HWND rounded = Make({100, 100, 300, 300});
    ASSERT_TRUE(SetWindowRoundRegion(rounded, 0, 0, 201, 201, 40, 40, true));
    const std::optional<test::RoundRegion> region = test::WindowRegion(rounded);
    ASSERT_TRUE(region);
    EXPECT_EQ(region->rect, (RECT{0, 0, 201, 201}));
    for (const auto& [point, expected] : {std::pair{POINT{101, 101}, below}, std::pair{POINT{120, 120}, rounded},
                                          std::pair{POINT{200, 101}, rounded}}) {
        test::InjectMouseMove(point.x, point.y);
        EXPECT_EQ(Targets(Pump({WM_MOUSEMOVE})), std::vector<HWND>{expected}) << point.x << "," << point.y;
    }
    ClearWindowRegion(rounded, false);
    test::InjectMouseMove(101, 102);
    EXPECT_EQ(Targets(Pump({WM_MOUSEMOVE})), std::vector<HWND>{rounded});
}

} // namespace
