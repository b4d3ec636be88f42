// Test API of the headless POSIX emulation: configures the emulated machine and observes what
// the system did with it. Only native tests and tools include this header.
#pragma once

#include "Platform/Registry.h"
#include "Platform/Types.h"
#include "Platform/Window.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace plat::test {

// Restores the emulated machine to its start state (drives, code page, system-time shift, captures,
// scripted answers, recorded process starts). Windows and threads are not touched, and the steady
// clocks keep what AdvanceClock added: they never run backwards.
void ResetMachine();

// Maps a drive letter ('C') to a host folder; paths on an unmapped drive do not exist.
void MapDrive(wchar_t letter, const std::string& hostFolder);
void UnmapDrives();
// The host path a Windows path stands for ("" when its drive is not mapped).
std::string HostPath(const std::wstring& windowsPath);

// What GetModuleFileName reports (empty: the real executable's host path).
void SetModuleFilePath(const std::wstring& path);
// Makes GetModuleFileName fail (returns 0) while set.
void SetModuleFilePathFails(bool fails);

// The ANSI code page (936 by default; 1252 and 65001 are also supported).
void SetAnsiCodePage(UINT codePage);

// Moves every emulated clock forward (tick count, performance counter, system time, timer
// deadlines) and wakes every wait and message loop; a negative amount is ignored.
void AdvanceClock(std::int64_t milliseconds);
// Shifts only the system time (wall clock), as when the user sets the clock back.
void ShiftSystemTime(std::int64_t milliseconds);

// Debugger output and console writes are kept while capture is on.
void CaptureDebugOutput(bool on);
std::wstring TakeDebugOutput();
void CaptureConsole(bool on);
std::wstring TakeConsoleOutput();

// Free space reported for a drive (default: the host's) and enforced on writes there.
void SetDiskFreeSpace(wchar_t letter, std::uint64_t bytes);

// The folder picker: the next answers, in order (an empty queue answers "cancelled").
struct BrowseCall {
    HWND owner;
    std::wstring title;
    UINT flags;
    std::wstring initialSelection;
};
void QueueBrowseAnswer(bool chosen, const std::wstring& path);
std::vector<BrowseCall> TakeBrowseCalls();

void SetSpecialFolder(int csidl, const std::wstring& path);
std::vector<std::wstring> TakeShellOpens();
void SetCurrentDirectory(const std::wstring& path);

// The registry: values set here, or loaded from a file of lines "ROOT\key\path|name|value"
// (ROOT is HKLM or HKCU, a "32:" prefix marks the 32-bit view).
void SetRegistryString(RegistryRoot root, const std::wstring& subKey, const std::wstring& name,
                       const std::wstring& value, bool view32 = false);
bool LoadRegistryFile(const std::string& hostPath);
void ClearRegistry();

// Process starts. By default nothing is started: each start is recorded and answered by the
// policy (a host program to run instead, or a simulated exit code, or a refusal).
struct ProcessStart {
    std::wstring application;
    std::wstring commandLine;
    std::vector<std::wstring> argv;  // the command line split by the Windows rules
};
struct ProcessPolicy {
    enum Kind { Refuse, Simulate, RunHost } kind = Simulate;
    DWORD error = ERROR_FILE_NOT_FOUND;  // Refuse: the last error
    DWORD exitCode = 0;                  // Simulate: the exit code
    DWORD runMs = 0;                     // Simulate: how long it "runs"
    std::string hostProgram;             // RunHost: the host executable (argv[1..] passed on)
};
void SetProcessPolicy(std::function<ProcessPolicy(const ProcessStart&)> policy);
std::vector<ProcessStart> TakeProcessStarts();
// The Windows command-line splitting rules (CommandLineToArgvW).
std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine);

// ---- The desktop ------------------------------------------------------------------------------

// One monitor: 1920 x 1080 with a 40-pixel task bar at the bottom until set otherwise.
void SetScreen(long width, long height, const RECT& workArea);

// What a window is now. Rectangles are in screen coordinates.
struct WindowInfo {
    HWND handle = nullptr;
    std::wstring className;
    std::wstring title;
    RECT rect{};
    RECT client{};  // the client area, in screen coordinates
    DWORD style = 0;
    DWORD exStyle = 0;
    bool visible = false;  // the window and its parents have WS_VISIBLE
    bool enabled = false;
    bool minimized = false;
    bool maximized = false;
    bool active = false;
    bool focused = false;
    HWND owner = nullptr;
    HWND parent = nullptr;
    int zOrder = -1;  // 0 for the front-most top-level window, -1 for child windows
};
// Every window but message-only ones, in creation order.
std::vector<WindowInfo> ListWindows();
std::optional<WindowInfo> DescribeWindow(HWND window);
// The first window of that class (and title, when given) in creation order, or null.
HWND FindWindowOf(const std::wstring& className, const std::wstring& title = L"");

// What the window shows: the client area after PresentBitmap calls (zero where nothing was
// presented), or the last UpdateLayeredWindow content. Premultiplied BGRA, one value per pixel
// (blue in the low byte), rows `width` values apart.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> bgra;

    std::uint32_t At(int x, int y) const { return bgra[static_cast<std::size_t>(y) * width + x]; }
    std::uint8_t AlphaAt(int x, int y) const { return static_cast<std::uint8_t>(At(x, y) >> 24); }
};
Pixels WindowPixels(HWND window);
// The SetLayeredOpacity value, or nothing when none was set.
std::optional<std::uint8_t> LayeredOpacity(HWND window);

// The rounded-rectangle region set on the window, in window coordinates.
struct RoundRegion {
    RECT rect;
    int ellipseWidth;
    int ellipseHeight;
};
std::optional<RoundRegion> WindowRegion(HWND window);
bool SystemMenuCloseEnabled(HWND window);

// ---- Input ----------------------------------------------------------------------------------------
// Injected input waits in the system's input queue and becomes messages when the thread of the
// window it reaches retrieves its messages: the mouse goes to the capture holder, else to the
// front-most visible window under the point whose hit test is not HTTRANSPARENT (click-through
// layered windows and transparent layered pixels skipped); a disabled window gets nothing. Keys
// go to the focus window (the active window as WM_SYSKEY... when nothing has the focus).
// Presses, releases and wheel turns at a point the mouse is not at move it there first.

enum class MouseButton { Left, Right };

void InjectMouseMove(long x, long y);
void InjectMouseDown(long x, long y, MouseButton button = MouseButton::Left);
void InjectMouseUp(long x, long y, MouseButton button = MouseButton::Left);
// A press and a release.
void InjectClick(long x, long y, MouseButton button = MouseButton::Left);
// Two clicks at once: WM_LBUTTONDBLCLK for the second press in a CS_DBLCLKS class.
void InjectDoubleClick(long x, long y);
// `delta` in wheel units (WHEEL_DELTA per notch, positive away from the user).
void InjectWheel(long x, long y, int delta);
void InjectKeyDown(int virtualKey);
void InjectKeyUp(int virtualKey);
// A press and a release.
void InjectKey(int virtualKey);
// One WM_CHAR per character, to the focus window.
void InjectText(const std::wstring& text);

// Retrieves and dispatches the calling thread's messages (translating keys) until only timers
// that are not due are left; returns how many were dispatched. Stops after `limit` messages.
int PumpMessages(int limit = 10000);

// The cursor SetCursor last set, as its IDC_ number (0: none).
int CurrentCursor();
// Every SetCursor that changed the cursor since the last call, as IDC_ numbers.
std::vector<int> TakeCursorChanges();

} // namespace plat::test
