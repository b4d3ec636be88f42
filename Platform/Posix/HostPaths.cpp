// Drive letters mapped to host folders.
#include "Platform/Posix/HostPaths.h"

#include "Platform/Posix/MachineState.h"
#include "Platform/Posix/TestDesktop.h"
#include "Platform/Posix/Utf8.h"

#include <sys/stat.h>

#include <cerrno>
#include <cwchar>
#include <cwctype>
#include <map>
#include <mutex>
#include <vector>

namespace plat::posix {
namespace {

// Never destroyed, like the open-file records: files may still be reached during exit.
std::mutex& g_drivesMutex = *new std::mutex;
auto& g_drives = *new std::map<wchar_t, std::string>; // guarded by g_drivesMutex

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool HasDrive(const wchar_t* path) { return std::iswalpha(path[0]) && path[1] == L':'; }

bool LookUpDrive(wchar_t letter, std::string* folder) {
    std::lock_guard<std::mutex> lock(g_drivesMutex);
    auto found = g_drives.find(letter);
    if (found == g_drives.end()) {
        return false;
    }
    *folder = found->second;
    return true;
}

std::vector<std::wstring> LexicalComponents(const wchar_t* rest) {
    std::vector<std::wstring> components;
    std::wstring current;
    for (const wchar_t* c = rest;; ++c) {
        if (*c != 0 && !IsSeparator(*c)) {
            current += *c;
            continue;
        }
        if (current == L"..") {
            if (!components.empty()) {
                components.pop_back();
            }
        } else if (!current.empty() && current != L".") {
            components.push_back(current);
        }
        current.clear();
        if (*c == 0) {
            return components;
        }
    }
}

HostPath ResolveDrivePath(const wchar_t* path) {
    HostPath result;
    result.drive = static_cast<wchar_t>(std::towupper(path[0]));
    if (!LookUpDrive(result.drive, &result.host)) {
        result.error = ERROR_PATH_NOT_FOUND;
        return result;
    }
    result.rootLength = result.host.size();
    for (const std::wstring& component : LexicalComponents(path + 2)) {
        if (result.host.empty() || result.host.back() != '/') {
            result.host += '/';
        }
        result.host += ToUtf8(component);
    }
    return result;
}

HostPath ResolveHostPath(const wchar_t* path) {
    HostPath result;
    std::wstring normalised;
    for (const wchar_t* c = path; *c != 0; ++c) {
        const wchar_t unit = IsSeparator(*c) ? L'/' : *c;
        if (unit != L'/' || normalised.empty() || normalised.back() != L'/') {
            normalised += unit;
        }
    }
    if (normalised.size() > 1 && normalised.back() == L'/') {
        normalised.pop_back();
    }
    result.host = ToUtf8(normalised);
    result.rootLength = normalised[0] == L'/' ? 1 : 0;
    return result;
}

} // namespace

HostPath ResolvePath(const wchar_t* path) {
    if (path == nullptr || *path == 0) {
        HostPath missing;
        missing.error = ERROR_PATH_NOT_FOUND;
        return missing;
    }
    // The long-path prefix names the same file.
    if (std::wcsncmp(path, L"\\\\?\\", 4) == 0 && HasDrive(path + 4)) {
        path += 4;
    }
    return HasDrive(path) ? ResolveDrivePath(path) : ResolveHostPath(path);
}

bool IsRelativePath(const wchar_t* path) { return !(HasDrive(path) || IsSeparator(path[0])); }

DWORD ErrorFromErrno(int error) {
    switch (error) {
    case 0:
        return ERROR_SUCCESS;
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return ERROR_ACCESS_DENIED;
    case EEXIST:
        return ERROR_ALREADY_EXISTS;
    case ENOSPC:
    case EDQUOT:
        return ERROR_DISK_FULL;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case EBUSY:
    case ETXTBSY:
        return ERROR_SHARING_VIOLATION;
    case ENOTEMPTY:
        return ERROR_DIR_NOT_EMPTY;
    case EXDEV:
        return ERROR_NOT_SAME_DEVICE;
    case EMFILE:
    case ENFILE:
        return ERROR_TOO_MANY_OPEN_FILES;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case EBADF:
        return ERROR_INVALID_HANDLE;
    case EINVAL:
        return ERROR_INVALID_PARAMETER;
    default:
        return ERROR_GEN_FAILURE;
    }
}

DWORD MissingPathError(const std::string& host) {
    const std::size_t slash = host.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : host.substr(0, slash);
    struct stat info{};
    return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) ? ERROR_FILE_NOT_FOUND
                                                                      : ERROR_PATH_NOT_FOUND;
}

void ResetDrives() {
    std::lock_guard<std::mutex> lock(g_drivesMutex);
    g_drives.clear();
}

} // namespace plat::posix

namespace plat::test {

void MapDrive(wchar_t letter, const std::string& hostFolder) {
    std::string folder = hostFolder;
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    std::lock_guard<std::mutex> lock(posix::g_drivesMutex);
    posix::g_drives[static_cast<wchar_t>(std::towupper(letter))] = folder;
}

void UnmapDrives() { posix::ResetDrives(); }

std::string HostPath(const std::wstring& windowsPath) {
    const posix::HostPath resolved = posix::ResolvePath(windowsPath.c_str());
    return resolved.error == ERROR_SUCCESS ? resolved.host : std::string();
}

} // namespace plat::test
