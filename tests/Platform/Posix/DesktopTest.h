// A test on the emulated desktop: recording windows of two classes (with and without double
// clicks), made on the test thread and gone at its end, on a freshly reset machine.
#pragma once

#include "Platform/Draw.h"
#include "Platform/Input.h"
#include "Platform/Posix/TestDesktop.h"
#include "Platform/Window.h"
#include "tests/Platform/WindowsTest.h" // RECT comparison and printing

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <vector>

namespace desktop_test {

using namespace plat;

struct Seen {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// How a test window answers WM_NCHITTEST: the caption band at the top, else the default.
struct HitRule {
    long captionHeight = 0;
    LRESULT code = HTCAPTION;
};

inline std::vector<Seen> g_seen;
inline std::map<HWND, HitRule> g_hitRules;
inline std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT*)> g_override;

inline LRESULT HitTestByRule(HWND window, LPARAM lParam) {
    const auto rule = g_hitRules.find(window);
    POINT point = PointFromLParam(lParam);
    const LRESULT standard = DefWindowProc(window, WM_NCHITTEST, 0, lParam);
    if (rule == g_hitRules.end() || standard != HTCLIENT)
        return standard;
    ScreenToClient(window, &point);
    return point.y < rule->second.captionHeight ? rule->second.code : HTCLIENT;
}

inline LRESULT RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    g_seen.push_back({window, message, wParam, lParam});
    LRESULT result = 0;
    if (g_override && g_override(window, message, wParam, lParam, &result))
        return result;
    if (message == WM_NCHITTEST)
        return HitTestByRule(window, lParam);
    return DefWindowProc(window, message, wParam, lParam);
}

class DesktopTest : public ::testing::Test {
protected:
    static constexpr const wchar_t* kClass = L"DesktopTestWindow";
    static constexpr const wchar_t* kPlainClass = L"DesktopTestPlainWindow";

    void SetUp() override {
        test::ResetMachine();
        g_seen.clear();
        g_hitRules.clear();
        g_override = nullptr;
        RegisterClass(WindowClass{.name = kClass, .proc = RecordingProc, .style = CS_DBLCLKS});
        RegisterClass(WindowClass{.name = kPlainClass, .proc = RecordingProc});
    }

    void TearDown() override {
        g_override = nullptr;
        for (auto it = windows_.rbegin(); it != windows_.rend(); ++it)
            if (IsWindow(*it))
                DestroyWindow(*it);
        test::PumpMessages();
        test::ResetMachine();
    }

    HWND Make(RECT rect, DWORD style = WS_POPUP | WS_VISIBLE, DWORD exStyle = 0, HWND owner = nullptr,
              const wchar_t* className = kClass) {
        HWND window = CreateWindowEx(exStyle, className, L"", style, static_cast<int>(rect.left),
                                     static_cast<int>(rect.top), static_cast<int>(rect.right - rect.left),
                                     static_cast<int>(rect.bottom - rect.top), owner, nullptr);
        EXPECT_NE(window, nullptr);
        windows_.push_back(window);
        return window;
    }

    // Pumps, then returns the input and focus messages each window got, in order.
    static std::vector<Seen> Pump(std::vector<UINT> interesting = {}) {
        g_seen.clear();
        test::PumpMessages();
        if (interesting.empty())
            return g_seen;
        std::vector<Seen> kept;
        std::copy_if(g_seen.begin(), g_seen.end(), std::back_inserter(kept), [&](const Seen& seen) {
            return std::find(interesting.begin(), interesting.end(), seen.message) != interesting.end();
        });
        return kept;
    }

    static std::vector<UINT> Messages(const std::vector<Seen>& seen) {
        std::vector<UINT> messages;
        for (const Seen& s : seen)
            messages.push_back(s.message);
        return messages;
    }

    static std::vector<HWND> Targets(const std::vector<Seen>& seen) {
        std::vector<HWND> targets;
        for (const Seen& s : seen)
            targets.push_back(s.window);
        return targets;
    }

    static RECT WindowRectOf(HWND window) {
        RECT rect{};
        GetWindowRect(window, &rect);
        return rect;
    }

    std::vector<HWND> windows_;
};

} // namespace desktop_test
