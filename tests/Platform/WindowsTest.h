// Windows made by these tests record what their procedure got; the same tests run on the
// emulated desktop and, under Wine, against the real system, so they assert only what the
// system itself does.
#pragma once

#include "Platform/Draw.h"
#include "Platform/Input.h"
#include "Platform/Window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <vector>

namespace windows_test {

using namespace plat;

struct Seen {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

inline std::vector<Seen> g_seen;
inline std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT*)> g_override;

inline LRESULT RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    g_seen.push_back({window, message, wParam, lParam});
    LRESULT result = 0;
    if (g_override && g_override(window, message, wParam, lParam, &result))
        return result;
    return DefWindowProc(window, message, wParam, lParam);
}

class WindowsTest : public ::testing::Test {
protected:
    static constexpr const wchar_t* kClass = L"WindowsTestWindow";

    void SetUp() override {
        g_seen.clear();
        g_override = nullptr;
        RegisterClass(WindowClass{.name = kClass, .proc = RecordingProc, .style = CS_DBLCLKS});
    }

    void TearDown() override {
        g_override = nullptr;
        for (auto it = windows_.rbegin(); it != windows_.rend(); ++it)
            if (IsWindow(*it))
                DestroyWindow(*it);
        Drain();
    }

    HWND Make(RECT rect, DWORD style = WS_POPUP, DWORD exStyle = 0, HWND parent = nullptr) {
        HWND window = CreateWindowEx(exStyle, kClass, L"", style, static_cast<int>(rect.left),
                                     static_cast<int>(rect.top), static_cast<int>(rect.right - rect.left),
                                     static_cast<int>(rect.bottom - rect.top), parent, nullptr);
        EXPECT_NE(window, nullptr);
        windows_.push_back(window);
        return window;
    }

    // Dispatches what the queue holds now.
    static void Drain() {
        MSG message{};
        for (int i = 0; i < 10000 && PeekMessage(&message, nullptr, 0, 0, PM_REMOVE); ++i)
            DispatchMessage(&message);
    }

    static std::vector<Seen> SeenBy(HWND window, UINT message) {
        std::vector<Seen> kept;
        std::copy_if(g_seen.begin(), g_seen.end(), std::back_inserter(kept),
                     [&](const Seen& s) { return s.window == window && s.message == message; });
        return kept;
    }

    // Positions of the first of each message in what `window` got (-1 when missing).
    static std::vector<int> FirstPositions(HWND window, const std::vector<UINT>& messages) {
        std::vector<int> positions;
        for (UINT message : messages) {
            auto it = std::find_if(g_seen.begin(), g_seen.end(),
                                   [&](const Seen& s) { return s.window == window && s.message == message; });
            positions.push_back(it == g_seen.end() ? -1 : static_cast<int>(it - g_seen.begin()));
        }
        return positions;
    }

    static RECT WindowRectOf(HWND window) {
        RECT rect{};
        GetWindowRect(window, &rect);
        return rect;
    }

    std::vector<HWND> windows_;
};

} // namespace windows_test

namespace plat {

inline bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline std::ostream& operator<<(std::ostream& out, const RECT& r) {
    return out << "{" << r.left << "," << r.top << "," << r.right << "," << r.bottom << "}";
}

} // namespace plat
