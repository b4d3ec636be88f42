// Debugger output goes to the standard error stream and console writes to the standard output,
// both as UTF-8, unless a test captures them.
#include "Platform/Debug.h"

#include "Platform/Posix/MachineState.h"
#include "Platform/Posix/TestDesktop.h"
#include "Platform/Posix/Utf8.h"

#include <cstdio>
#include <cwchar>
#include <mutex>
#include <string>

namespace plat {
namespace {

struct Channel {
    std::FILE* stream;
    bool capturing = false;
    std::wstring captured;

    void Write(const wchar_t* text, std::size_t length) {
        if (capturing) {
            captured.append(text, length);
            return;
        }
        const std::string bytes = posix::EncodeUtf8(text, length);
        std::fwrite(bytes.data(), 1, bytes.size(), stream);
        std::fflush(stream);
    }

    std::wstring Take() {
        std::wstring taken;
        taken.swap(captured);
        return taken;
    }
};

// Never destroyed: threads still running during exit may write.
std::mutex& g_mutex = *new std::mutex;
Channel& g_debug = *new Channel{stderr, false, {}};
Channel& g_console = *new Channel{stdout, false, {}};

} // namespace

void OutputDebugString(const wchar_t* text) {
    if (text == nullptr) {
        return;
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    g_debug.Write(text, std::wcslen(text));
}

bool WriteConsole(const wchar_t* text, DWORD length) {
    if (text == nullptr && length > 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    g_console.Write(text, length);
    return true;
}

namespace posix {
void ResetDebug() {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_debug.capturing = g_console.capturing = false;
    g_debug.captured.clear();
    g_console.captured.clear();
}
} // namespace posix

namespace test {

void CaptureDebugOutput(bool on) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_debug.capturing = on;
}

std::wstring TakeDebugOutput() {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_debug.Take();
}

void CaptureConsole(bool on) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_console.capturing = on;
}

std::wstring TakeConsoleOutput() {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_console.Take();
}

} // namespace test

} // namespace plat
