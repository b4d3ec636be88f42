// The engine's two-logger statements: console and file carry the source module and line, the
// trace logger does not.
#pragma once

#include "Runtime/Logger.h"

namespace httplog {

constexpr int kInfo = 0;
constexpr int kWarn = 1;
constexpr int kError = 2;

template <typename... Args>
void ConsoleAndFile(int level, const wchar_t* module, int line, const wchar_t* format, const Args&... args) {
    ConsoleLogger::Instance().LogWithSource(level, line, module, format, args...);
    FileLogger::Instance().LogWithSource(level, line, module, format, args...);
}

template <typename... Args>
void File(int level, const wchar_t* module, int line, const wchar_t* format, const Args&... args) {
    FileLogger::Instance().LogWithSource(level, line, module, format, args...);
}

template <typename... Args>
void TraceAndFile(int traceLevel, int fileLevel, const wchar_t* module, int line, const wchar_t* format,
                  const Args&... args) {
    TraceLogger::Instance().Log(traceLevel, format, args...);
    FileLogger::Instance().LogWithSource(fileLevel, line, module, format, args...);
}

} // namespace httplog
