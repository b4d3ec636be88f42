// Test API of the headless POSIX emulation: configures the emulated machine and observes what
// the system did with it. Only native tests and tools include this header.
#pragma once

#include "Platform/Registry.h"
#include "Platform/Types.h"

#include <cstdint>
#include <functional>
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

} // namespace plat::test
