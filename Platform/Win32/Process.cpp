#include "Platform/Win32/WinHeaders.h"

#include "Platform/Win32/Handles.h"

#include "Platform/Process.h"

#include <vector>

namespace plat {

using win32::Native;
using win32::Neutral;

bool CreateProcess(const wchar_t* application, const std::wstring& commandLine, ProcessInformation* info) {
    // The system may write into the command line, so it gets a copy of its own.
    std::vector<wchar_t> command(commandLine.begin(), commandLine.end());
    command.push_back(L'\0');
    ::STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    ::PROCESS_INFORMATION started{};
    if (!::CreateProcessW(application, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &started)) {
        return false;
    }
    if (info) {
        *info = ProcessInformation{Neutral(started.hProcess), Neutral(started.hThread), started.dwProcessId,
                                   started.dwThreadId};
    } else {
        ::CloseHandle(started.hThread);
        ::CloseHandle(started.hProcess);
    }
    return true;
}

bool GetExitCodeProcess(HANDLE process, DWORD* exitCode) {
    ::DWORD code = 0;
    if (!::GetExitCodeProcess(Native(process), &code)) {
        return false;
    }
    *exitCode = code;
    return true;
}

} // namespace plat
