// What DefWindowProc does on the emulated desktop for the messages a skinned window passes on.
#include "Platform/Draw.h"
#include "Platform/Input.h"
#include "Platform/Window.h"

#include "Platform/Posix/Desktop.h"

namespace plat::posix {
namespace {

constexpr UINT kSystemCommandMask = 0xFFF0;
constexpr LRESULT kSizeCommandBase = HTLEFT - 1; // SC_SIZE + (hit - 9) names the edge

HWND ParentOf(HWND window) {
    const std::optional<WindowRecord> record = FindWindowRecord(window);
    return record && (record->style & WS_CHILD) && record->parent != HWND_MESSAGE ? record->parent : nullptr;
}

LRESULT HitTest(HWND window, LPARAM lParam) {
    const POINT point = PointFromLParam(lParam);
    RECT rect{};
    GetWindowRect(window, &rect);
    if (point.x < rect.left || point.x >= rect.right || point.y < rect.top || point.y >= rect.bottom)
        return HTNOWHERE;
    POINT client = point;
    ScreenToClient(window, &client);
    RECT area{};
    GetClientRect(window, &area);
    const bool inClient = client.x >= 0 && client.y >= 0 && client.x < area.right && client.y < area.bottom;
    return inClient ? HTCLIENT : HTBORDER;
}

int CursorFor(LRESULT hit) {
    switch (hit) {
    case HTLEFT:
    case HTRIGHT:
        return IDC_SIZEWE;
    case HTTOP:
    case HTBOTTOM:
        return IDC_SIZENS;
    case HTTOPLEFT:
    case HTBOTTOMRIGHT:
        return IDC_SIZENWSE;
    case HTTOPRIGHT:
    case HTBOTTOMLEFT:
        return IDC_SIZENESW;
    default:
        return IDC_ARROW;
    }
}

LRESULT SetCursorFor(HWND window, WPARAM wParam, LPARAM lParam) {
    if (HWND parent = ParentOf(window))
        if (SendMessage(parent, WM_SETCURSOR, wParam, lParam))
            return 1;
    SetCursor(LoadStandardCursor(CursorFor(static_cast<short>(LowWord(static_cast<std::uintptr_t>(lParam))))));
    return 1;
}

// The press that starts a move or resize, or the mouse's place when a keyboard started it.
POINT CommandPoint(LPARAM lParam) {
    POINT point = PointFromLParam(lParam);
    if (lParam == 0)
        GetCursorPos(&point);
    return point;
}

LRESULT SystemCommand(HWND window, WPARAM wParam, LPARAM lParam) {
    const UINT command = static_cast<UINT>(wParam) & kSystemCommandMask;
    switch (command) {
    case SC_MINIMIZE:
        ShowWindow(window, SW_MINIMIZE);
        break;
    case SC_MAXIMIZE:
        ShowWindow(window, SW_MAXIMIZE);
        break;
    case SC_RESTORE:
        ShowWindow(window, SW_RESTORE);
        break;
    case SC_CLOSE:
        SendMessage(window, WM_CLOSE, 0, 0);
        break;
    case SC_MOVE:
        BeginDrag(window, HTCAPTION, CommandPoint(lParam));
        break;
    case SC_SIZE:
        BeginDrag(window, static_cast<LRESULT>(wParam & 0xF) + kSizeCommandBase, CommandPoint(lParam));
        break;
    default:
        break;
    }
    return 0;
}

LRESULT NonClientPress(HWND window, WPARAM hit, LPARAM lParam) {
    const auto code = static_cast<LRESULT>(hit);
    if (code == HTCAPTION)
        SendMessage(window, WM_SYSCOMMAND, SC_MOVE + HTCAPTION, lParam);
    else if (code >= HTLEFT && code <= HTBOTTOMRIGHT)
        SendMessage(window, WM_SYSCOMMAND, SC_SIZE + static_cast<WPARAM>(code - kSizeCommandBase), lParam);
    return 0;
}

LRESULT NonClientDoubleClick(HWND window, WPARAM hit) {
    const std::optional<WindowRecord> record = FindWindowRecord(window);
    if (static_cast<LRESULT>(hit) == HTCAPTION && record && (record->style & WS_MAXIMIZEBOX))
        SendMessage(window, WM_SYSCOMMAND, IsZoomed(window) ? SC_RESTORE : SC_MAXIMIZE, 0);
    return 0;
}

// WM_MOVE and WM_SIZE for what changed, the client area's position in the parent's coordinates.
LRESULT PositionChanged(HWND window, LPARAM lParam) {
    const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
    const std::optional<WindowRecord> record = FindWindowRecord(window);
    if (!pos || !record)
        return 0;
    if (!(pos->flags & SWP_NOCLIENTMOVE))
        SendMessage(window, WM_MOVE, 0, MakeLParam(record->client.left, record->client.top));
    if (!(pos->flags & SWP_NOCLIENTSIZE)) {
        const UINT state = (record->style & WS_MINIMIZE)   ? SIZE_MINIMIZED
                           : (record->style & WS_MAXIMIZE) ? SIZE_MAXIMIZED
                                                           : SIZE_RESTORED;
        SendMessage(window, WM_SIZE, state, MakeLParam(record->client.Width(), record->client.Height()));
    }
    return 0;
}

// Alt+F4 closes through the system menu, so a greyed close item stops it.
LRESULT SystemKey(HWND window, WPARAM key, LPARAM lParam) {
    const std::optional<WindowRecord> record = FindWindowRecord(window);
    const bool alt = (static_cast<std::uintptr_t>(lParam) >> 29) & 1;
    if (static_cast<int>(key) == VK_F4 && alt && record && record->systemCloseEnabled)
        PostMessage(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    return 0;
}

LRESULT ToParent(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND parent = ParentOf(window);
    return parent ? SendMessage(parent, message, wParam, lParam) : 0;
}

LRESULT Paint(HWND window) {
    PaintPass pass;
    BeginPaint(window, &pass);
    EndPaint(window, &pass);
    return 0;
}

} // namespace

LRESULT DefaultWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCHITTEST:
        return HitTest(window, lParam);
    case WM_SETCURSOR:
        return SetCursorFor(window, wParam, lParam);
    case WM_MOUSEACTIVATE: {
        const LRESULT parentAnswer = ToParent(window, message, wParam, lParam);
        return parentAnswer ? parentAnswer : MA_ACTIVATE;
    }
    case WM_NCACTIVATE:
        return 1;
    case WM_ACTIVATE:
        if (LowWord(wParam) != WA_INACTIVE && !HighWord(wParam))
            SetFocus(window);
        return 0;
    case WM_WINDOWPOSCHANGING:
        ClampToTrackingLimits(window, reinterpret_cast<WINDOWPOS*>(lParam));
        return 0;
    case WM_WINDOWPOSCHANGED:
        return PositionChanged(window, lParam);
    case WM_SYSCOMMAND:
        return SystemCommand(window, wParam, lParam);
    case WM_NCLBUTTONDOWN:
        return NonClientPress(window, wParam, lParam);
    case WM_NCLBUTTONDBLCLK:
        return NonClientDoubleClick(window, wParam);
    case WM_SYSKEYDOWN:
        return SystemKey(window, wParam, lParam);
    case WM_RBUTTONUP: {
        POINT point = PointFromLParam(lParam);
        ClientToScreen(window, &point);
        SendMessage(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window), LParamFromPoint(point));
        return 0;
    }
    case WM_CONTEXTMENU:
    case WM_MOUSEWHEEL:
        return ToParent(window, message, wParam, lParam);
    case WM_CANCELMODE:
        if (GetCapture() == window)
            ReleaseCapture();
        return 0;
    case WM_PAINT:
        return Paint(window);
    default:
        return 0;
    }
}

} // namespace plat::posix
