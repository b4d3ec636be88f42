#include "Platform/Win32/WinHeaders.h"

#include "Platform/Win32/Handles.h"

#include "Platform/Input.h"
#include "Platform/Window.h"

#include <map>
#include <mutex>
#include <utility>

namespace plat {

static_assert(WM_NULL == sys::WM_NULL_);
static_assert(WM_CREATE == sys::WM_CREATE_);
static_assert(WM_DESTROY == sys::WM_DESTROY_);
static_assert(WM_CLOSE == sys::WM_CLOSE_);
static_assert(WM_QUIT == sys::WM_QUIT_);
static_assert(WM_NCCREATE == sys::WM_NCCREATE_);
static_assert(WM_NCDESTROY == sys::WM_NCDESTROY_);
static_assert(WM_TIMER == sys::WM_TIMER_);
static_assert(WM_USER == sys::WM_USER_);
static_assert(WM_APP == sys::WM_APP_);
static_assert(GWLP_WNDPROC == sys::GWLP_WNDPROC_);
static_assert(GWLP_USERDATA == sys::GWLP_USERDATA_);
static_assert(CS_VREDRAW == sys::CS_VREDRAW_);
static_assert(CS_HREDRAW == sys::CS_HREDRAW_);
static_assert(CS_DBLCLKS == sys::CS_DBLCLKS_);
static_assert(CW_USEDEFAULT == sys::CW_USEDEFAULT_);
static_assert(PM_NOREMOVE == sys::PM_NOREMOVE_);
static_assert(PM_REMOVE == sys::PM_REMOVE_);
static_assert(sizeof(POINT::x) == sizeof(::POINT::x));

using win32::Native;
using win32::Neutral;

namespace {

// Neutral procedures and timer callbacks use the default calling convention, the system calls
// its own: one system procedure per kind forwards to the neutral one it finds for the window.
// The window's current neutral procedure lives in its first extra slot, filled from the class
// on the window's first message.
constexpr int kProcSlot = 0;

struct ProcTable {
    std::mutex lock;
    std::map<::ATOM, WNDPROC> classProcs;
    std::map<std::pair<::HWND, ::UINT_PTR>, TIMERPROC> timerProcs;
};

ProcTable& Procs() {
    static auto* registry = new ProcTable;  // windows may still get messages during static destruction
    return *registry;
}

WNDPROC ClassProcOf(::HWND window) {
    const ::ATOM atom = ::GetClassWord(window, GCW_ATOM);
    ProcTable& procs = Procs();
    std::lock_guard guard(procs.lock);
    const auto found = procs.classProcs.find(atom);
    return found == procs.classProcs.end() ? nullptr : found->second;
}

bool IsNeutralWindow(::HWND window) { return ClassProcOf(window) != nullptr; }

void StoreProc(::HWND window, WNDPROC proc) {
    ::SetWindowLongPtrW(window, kProcSlot, reinterpret_cast<::LONG_PTR>(proc));
}

WNDPROC ProcOf(::HWND window) {
    auto proc = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(window, kProcSlot));
    if (!proc) {
        proc = ClassProcOf(window);
        StoreProc(window, proc);
    }
    return proc;
}

::LRESULT CALLBACK ForwardWindowMessage(::HWND window, ::UINT message, ::WPARAM wParam, ::LPARAM lParam) {
    const WNDPROC proc = ProcOf(window);
    if (!proc) {
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    return proc(Neutral(window), message, wParam, lParam);
}

TIMERPROC TimerProcOf(::HWND window, ::UINT_PTR id) {
    ProcTable& procs = Procs();
    std::lock_guard guard(procs.lock);
    const auto found = procs.timerProcs.find({window, id});
    return found == procs.timerProcs.end() ? nullptr : found->second;
}

void CALLBACK ForwardTimer(::HWND window, ::UINT message, ::UINT_PTR id, ::DWORD tickCount) {
    if (const TIMERPROC callback = TimerProcOf(window, id)) {
        callback(Neutral(window), message, id, tickCount);
    }
}

void RememberTimer(::HWND window, ::UINT_PTR id, TIMERPROC callback) {
    ProcTable& procs = Procs();
    std::lock_guard guard(procs.lock);
    if (callback) {
        procs.timerProcs[{window, id}] = callback;
    } else {
        procs.timerProcs.erase({window, id});
    }
}

::HINSTANCE InstanceOr(HINSTANCE instance) {
    return instance ? Native(instance) : ::GetModuleHandleW(nullptr);
}

::MSG NativeMessage(const MSG& message) {
    return ::MSG{Native(message.hwnd), message.message, message.wParam, message.lParam, message.time,
                 ::POINT{message.pt.x, message.pt.y}};
}

MSG NeutralMessage(const ::MSG& message) {
    return MSG{Neutral(message.hwnd), message.message, message.wParam, message.lParam, message.time,
               POINT{message.pt.x, message.pt.y}};
}

} // namespace

bool RegisterClass(const WindowClass& windowClass) {
    ::WNDCLASSEXW info{};
    info.cbSize = sizeof(info);
    info.style = windowClass.style;
    info.lpfnWndProc = ForwardWindowMessage;
    info.cbWndExtra = sizeof(::LONG_PTR);
    info.hInstance = InstanceOr(windowClass.instance);
    info.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(IDC_ARROW));
    info.lpszClassName = windowClass.name;
    const ::ATOM atom = ::RegisterClassExW(&info);
    if (atom == 0) {
        return false;
    }
    ProcTable& procs = Procs();
    std::lock_guard guard(procs.lock);
    procs.classProcs[atom] = windowClass.proc;
    return true;
}

bool UnregisterClass(const wchar_t* name, HINSTANCE instance) {
    ::WNDCLASSEXW info{};
    info.cbSize = sizeof(info);
    const ::ATOM atom = static_cast<::ATOM>(::GetClassInfoExW(InstanceOr(instance), name, &info));
    if (!::UnregisterClassW(name, InstanceOr(instance))) {
        return false;
    }
    ProcTable& procs = Procs();
    std::lock_guard guard(procs.lock);
    procs.classProcs.erase(atom);
    return true;
}

HWND CreateWindowEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x, int y,
                    int width, int height, HWND parent, void* param, HINSTANCE instance) {
    const ::HWND window = ::CreateWindowExW(exStyle, className, title, style, x, y, width, height, Native(parent),
                                            nullptr, InstanceOr(instance), param);
    // Some system versions report an unknown class with a neighbouring code; callers see one.
    if (!window && ::GetLastError() == ERROR_CLASS_DOES_NOT_EXIST) {
        ::SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    }
    return Neutral(window);
}

void* CreateParamOf(LPARAM createStruct) {
    return reinterpret_cast<const ::CREATESTRUCTW*>(createStruct)->lpCreateParams;
}

bool DestroyWindow(HWND window) {
    // Checked first: otherwise a stale handle can come back as "access denied".
    if (!::IsWindow(Native(window))) {
        ::SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    return ::DestroyWindow(Native(window)) != FALSE;
}

bool IsWindow(HWND window) { return ::IsWindow(Native(window)) != FALSE; }

bool PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::PostMessageW(Native(window), message, wParam, lParam) != FALSE;
}

LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageW(Native(window), message, wParam, lParam);
}

UINT RegisterWindowMessage(const wchar_t* name) { return ::RegisterWindowMessageW(name); }

LRESULT DefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(Native(window), message, wParam, lParam);
}

int GetMessage(MSG* message, HWND filter, UINT filterMin, UINT filterMax) {
    ::MSG native{};
    const int result = ::GetMessageW(&native, Native(filter), filterMin, filterMax);
    if (result != -1) {
        *message = NeutralMessage(native);
    }
    return result;
}

bool PeekMessage(MSG* message, HWND filter, UINT filterMin, UINT filterMax, UINT removeFlags) {
    ::MSG native{};
    if (!::PeekMessageW(&native, Native(filter), filterMin, filterMax, removeFlags)) {
        return false;
    }
    *message = NeutralMessage(native);
    return true;
}

bool TranslateMessage(const MSG* message) {
    const ::MSG native = NativeMessage(*message);
    return ::TranslateMessage(&native) != FALSE;
}

LRESULT DispatchMessage(const MSG* message) {
    const ::MSG native = NativeMessage(*message);
    return ::DispatchMessageW(&native);
}

void PostQuitMessage(int exitCode) { ::PostQuitMessage(exitCode); }

LONG_PTR SetWindowLongPtr(HWND window, int index, LONG_PTR value) {
    const ::HWND native = Native(window);
    if (index == GWLP_WNDPROC && IsNeutralWindow(native)) {
        const WNDPROC previous = ProcOf(native);
        StoreProc(native, reinterpret_cast<WNDPROC>(value));
        return reinterpret_cast<LONG_PTR>(previous);
    }
    return ::SetWindowLongPtrW(native, index, value);
}

LONG_PTR GetWindowLongPtr(HWND window, int index) {
    const ::HWND native = Native(window);
    if (index == GWLP_WNDPROC && IsNeutralWindow(native)) {
        return reinterpret_cast<LONG_PTR>(ProcOf(native));
    }
    return ::GetWindowLongPtrW(native, index);
}

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapseMs, TIMERPROC callback) {
    const ::HWND native = Native(window);
    const ::UINT_PTR timer = ::SetTimer(native, id, elapseMs, callback ? ForwardTimer : nullptr);
    if (timer != 0) {
        RememberTimer(native, native ? id : timer, callback);
    }
    return timer;
}

bool KillTimer(HWND window, UINT_PTR id) {
    const ::HWND native = Native(window);
    RememberTimer(native, id, nullptr);
    return ::KillTimer(native, id) != FALSE;
}

} // namespace plat
