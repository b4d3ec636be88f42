// Focus, capture, cursors, painting and putting pixels on windows, as the system does them.
#include "WindowsTest.h"

#include <cstdint>

namespace {

using namespace windows_test;

class WindowsInputAndPaint : public WindowsTest {};

TEST_F(WindowsInputAndPaint, FocusMovesWithKillAndSetFocusMessages) {
    HWND parent = Make({100, 100, 300, 300}, WS_POPUP | WS_VISIBLE);
    HWND child = Make({10, 10, 60, 40}, WS_CHILD | WS_VISIBLE, 0, parent);
    SetFocus(parent);
    g_seen.clear();
    EXPECT_EQ(SetFocus(child), parent);
    EXPECT_EQ(GetFocus(), child);
    const std::vector<Seen> killed = SeenBy(parent, WM_KILLFOCUS);
    const std::vector<Seen> set = SeenBy(child, WM_SETFOCUS);
    ASSERT_EQ(killed.size(), 1u);
    ASSERT_EQ(set.size(), 1u);
    EXPECT_EQ(killed[0].wParam, reinterpret_cast<WPARAM>(child));
    EXPECT_EQ(set[0].wParam, reinterpret_cast<WPARAM>(parent));
}

TEST_F(WindowsInputAndPaint, CaptureChangesAreAnnouncedToTheFormerHolder) {
    HWND first = Make({100, 100, 200, 200}, WS_POPUP | WS_VISIBLE);
    HWND second = Make({300, 100, 400, 200}, WS_POPUP | WS_VISIBLE);
    SetCapture(first);
    EXPECT_EQ(GetCapture(), first);
    g_seen.clear();
    EXPECT_EQ(SetCapture(second), first);
    std::vector<Seen> changed = SeenBy(first, WM_CAPTURECHANGED);
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_EQ(changed[0].lParam, reinterpret_cast<LPARAM>(second));
    EXPECT_TRUE(ReleaseCapture());
    EXPECT_EQ(GetCapture(), nullptr);
    changed = SeenBy(second, WM_CAPTURECHANGED);
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_EQ(changed[0].lParam, 0);
}

TEST_F(WindowsInputAndPaint, StandardCursorsLoadAndSet) {
    const HCURSOR arrow = LoadStandardCursor(IDC_ARROW);
    const HCURSOR hand = LoadStandardCursor(IDC_HAND);
    ASSERT_NE(arrow, nullptr);
    ASSERT_NE(hand, nullptr);
    EXPECT_NE(arrow, hand);
    EXPECT_EQ(LoadStandardCursor(IDC_ARROW), arrow);
    EXPECT_EQ(LoadStandardCursor(1), nullptr);
    SetCursor(hand);
    EXPECT_EQ(SetCursor(arrow), hand);
    EXPECT_EQ(GetCursor(), arrow);
    POINT cursor{};
    EXPECT_TRUE(GetCursorPos(&cursor));
    EXPECT_GE(GetKeyState(VK_SHIFT), 0);
}

TEST_F(WindowsInputAndPaint, PaintPassCoversTheInvalidBounds) {
    HWND window = Make({100, 100, 300, 300}, WS_POPUP | WS_VISIBLE);
    Drain();
    std::vector<RECT> painted;
    g_override = [&](HWND w, UINT message, WPARAM, LPARAM, LRESULT* result) {
        if (w != window || message != WM_PAINT)
            return false;
        PaintPass pass;
        if (BeginPaint(w, &pass)) {
            painted.push_back(pass.paint);
            EndPaint(w, &pass);
        }
        *result = 0;
        return true;
    };
    ValidateRect(window, nullptr);
    EXPECT_FALSE(GetUpdateRect(window, nullptr));
    const RECT first{10, 10, 20, 20};
    const RECT second{50, 40, 60, 70};
    InvalidateRect(window, &first, false);
    InvalidateRect(window, &second, false);
    RECT update{};
    EXPECT_TRUE(GetUpdateRect(window, &update));
    EXPECT_EQ(update, (RECT{10, 10, 60, 70}));
    UpdateWindow(window);
    EXPECT_EQ(painted, (std::vector<RECT>{{10, 10, 60, 70}}));
    EXPECT_FALSE(GetUpdateRect(window, nullptr));
}

TEST_F(WindowsInputAndPaint, BitmapsReachPlainAndLayeredWindows) {
    HWND plain = Make({100, 100, 140, 130}, WS_POPUP | WS_VISIBLE);
    HWND layered = Make({0, 0, 0, 0}, WS_POPUP, WS_EX_LAYERED | WS_EX_TOOLWINDOW);
    HWND faded = Make({0, 0, 50, 50}, WS_POPUP, WS_EX_LAYERED);
    std::vector<std::uint32_t> pixels(40 * 30, 0x80402010u);
    EXPECT_TRUE(PresentBitmap(plain, RECT{0, 0, 40, 30}, pixels.data(), 40 * 4, 40, 30));
    EXPECT_TRUE(PresentBitmap(plain, RECT{10, 10, 30, 20}, pixels.data(), 40 * 4, 10, 5));
    EXPECT_FALSE(PresentBitmap(plain, RECT{0, 0, 40, 30}, pixels.data(), 8, 40, 30));

    const POINT at{86, 86};
    EXPECT_FALSE(UpdateLayeredWindow(plain, &at, 40, 30, pixels.data(), 40 * 4, 255));
    EXPECT_FALSE(SetLayeredOpacity(plain, 128));
    ASSERT_TRUE(UpdateLayeredWindow(layered, &at, 40, 30, pixels.data(), 40 * 4, 255));
    EXPECT_EQ(WindowRectOf(layered), (RECT{86, 86, 126, 116}));
    ShowWindow(layered, SW_SHOWNA);
    EXPECT_TRUE(UpdateLayeredWindow(layered, nullptr, 40, 30, pixels.data(), 40 * 4, 255));
    EXPECT_TRUE(SetLayeredOpacity(faded, 200));
}

} // namespace
