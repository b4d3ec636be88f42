// The executable's path and the current folder, as the emulated machine reports them.
#include "Platform/File.h"

#include "Platform/Posix/MachineState.h"
#include "Platform/Posix/TestDesktop.h"
#include "Platform/Posix/Utf8.h"

#include <unistd.h>

#include <climits>
#include <mutex>

namespace plat {
namespace {

std::mutex g_mutex;
std::wstring g_modulePath;      // guarded by g_mutex
bool g_modulePathFails = false; // guarded by g_mutex
std::wstring g_currentFolder;   // guarded by g_mutex

std::wstring HostExecutablePath() {
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer);
    return length > 0 ? posix::FromUtf8(std::string(buffer, static_cast<std::size_t>(length))) : std::wstring();
}

std::wstring HostCurrentFolder() {
    char buffer[PATH_MAX];
    return getcwd(buffer, sizeof buffer) != nullptr ? posix::FromUtf8(buffer) : std::wstring();
}

} // namespace

DWORD GetModuleFileName(wchar_t* buffer, DWORD size) {
    std::wstring path;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (g_modulePathFails) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return 0;
        }
        path = g_modulePath;
    }
    if (path.empty()) {
        path = HostExecutablePath();
    }
    if (size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    // Too small a buffer gets the path cut to size - 1 characters and the size as result.
    const std::size_t copied = std::min<std::size_t>(path.size(), size - 1);
    path.copy(buffer, copied);
    buffer[copied] = 0;
    if (copied < path.size()) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(copied);
}

DWORD GetCurrentDirectory(DWORD size, wchar_t* buffer) {
    std::wstring folder;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        folder = g_currentFolder;
    }
    if (folder.empty()) {
        folder = HostCurrentFolder();
    }
    if (folder.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return 0;
    }
    // Too small a buffer is left alone; the result is the size needed with the terminator.
    if (buffer == nullptr || size <= folder.size()) {
        return static_cast<DWORD>(folder.size() + 1);
    }
    folder.copy(buffer, folder.size());
    buffer[folder.size()] = 0;
    return static_cast<DWORD>(folder.size());
}

namespace posix {
void ResetProcessPaths() {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_modulePath.clear();
    g_modulePathFails = false;
    g_currentFolder.clear();
}
} // namespace posix

namespace test {

void SetModuleFilePath(const std::wstring& path) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_modulePath = path;
}

void SetModuleFilePathFails(bool fails) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_modulePathFails = fails;
}

void SetCurrentDirectory(const std::wstring& path) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_currentFolder = path;
}

} // namespace test

} // namespace plat
