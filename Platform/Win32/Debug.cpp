#include "Platform/Win32/WinHeaders.h"

#include "Platform/Debug.h"

namespace plat {

void OutputDebugString(const wchar_t* text) { ::OutputDebugStringW(text); }

bool WriteConsole(const wchar_t* text, DWORD length) {
    const ::HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (output == nullptr || output == reinterpret_cast<::HANDLE>(std::intptr_t(-1))) {
        return false;
    }
    ::DWORD written = 0;
    return ::WriteConsoleW(output, text, length, &written, nullptr) != FALSE;
}

} // namespace plat
