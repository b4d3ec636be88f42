// Debugger output channel and the process console: the sinks of the trace and console loggers.
#pragma once

#include "Platform/Types.h"

namespace plat {

void OutputDebugString(const wchar_t* text);

// WriteConsoleW to the standard output handle; false when there is no console.
bool WriteConsole(const wchar_t* text, DWORD length);

} // namespace plat
