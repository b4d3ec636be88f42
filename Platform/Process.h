// Starting other programs.
#pragma once

#include "Platform/Types.h"

#include <string>

namespace plat {

struct ProcessInformation {
    HANDLE process = nullptr;
    HANDLE thread = nullptr;
    DWORD processId = 0;
    DWORD threadId = 0;
};

// CreateProcessW(application, commandLine, no inherited handles, no creation flags, the caller's
// environment and folder, a zeroed start-up record). False with the last error on failure.
// The POSIX backend splits the command line into argv by the Windows rules and starts a host
// process; every start is recorded for tests.
bool CreateProcess(const wchar_t* application, const std::wstring& commandLine, ProcessInformation* info);

// STILL_ACTIVE while the process runs, else its exit code.
bool GetExitCodeProcess(HANDLE process, DWORD* exitCode);

} // namespace plat
