// Operations on files and folders by name.
#include "Platform/File.h"

#include "Platform/Posix/FileObject.h"
#include "Platform/Posix/Utf8.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <vector>

namespace plat {
namespace {

// The shell refuses folder paths this long (MAX_PATH less room for an 8.3 file name).
constexpr std::size_t kMaxFolderPath = 247;

bool Fail(DWORD error) {
    SetLastError(error);
    return false;
}

bool StatPath(const posix::HostPath& path, struct stat* info) {
    if (path.error != ERROR_SUCCESS) {
        return Fail(path.error);
    }
    if (stat(path.host.c_str(), info) != 0) {
        return Fail(errno == ENOENT ? posix::MissingPathError(path.host) : posix::ErrorFromErrno(errno));
    }
    return true;
}

std::string ParentOf(const std::string& host) {
    const std::size_t slash = host.rfind('/');
    return slash == std::string::npos ? std::string() : slash == 0 ? "/" : host.substr(0, slash);
}

int MakeFolders(const posix::HostPath& target) {
    std::vector<std::string> missing;
    std::string existing = target.host;
    struct stat info{};
    while (existing.size() > target.rootLength && stat(existing.c_str(), &info) != 0) {
        if (errno != ENOENT) {
            return static_cast<int>(posix::ErrorFromErrno(errno));
        }
        missing.push_back(existing);
        existing = ParentOf(existing);
    }
    if (!existing.empty() && (stat(existing.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))) {
        return static_cast<int>(ERROR_PATH_NOT_FOUND);
    }
    for (auto folder = missing.rbegin(); folder != missing.rend(); ++folder) {
        if (mkdir(folder->c_str(), 0777) != 0 && errno != EEXIST) {
            return static_cast<int>(errno == ENOENT ? ERROR_PATH_NOT_FOUND : posix::ErrorFromErrno(errno));
        }
    }
    return static_cast<int>(ERROR_SUCCESS);
}

} // namespace

bool PathFileExists(const wchar_t* path) {
    struct stat info{};
    return StatPath(posix::ResolvePath(path), &info);
}

bool IsDirectory(const wchar_t* path) {
    struct stat info{};
    return StatPath(posix::ResolvePath(path), &info) && S_ISDIR(info.st_mode);
}

int CreateDirectoryWithParents(const wchar_t* path) {
    int result = 0;
    if (path == nullptr || *path == 0 || posix::IsRelativePath(path)) {
        result = static_cast<int>(ERROR_BAD_PATHNAME);
    } else if (std::wcslen(path) > kMaxFolderPath) {
        result = static_cast<int>(ERROR_FILENAME_EXCED_RANGE);
    } else {
        const posix::HostPath target = posix::ResolvePath(path);
        struct stat info{};
        if (target.error != ERROR_SUCCESS) {
            result = static_cast<int>(target.error);
        } else if (stat(target.host.c_str(), &info) == 0) {
            result = static_cast<int>(ERROR_ALREADY_EXISTS);
        } else {
            result = MakeFolders(target);
        }
    }
    SetLastError(static_cast<DWORD>(result));
    return result;
}

bool DeleteFile(const wchar_t* path) {
    const posix::HostPath target = posix::ResolvePath(path);
    posix::NamespaceLock lock;
    struct stat info{};
    if (!StatPath(target, &info)) {
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        return Fail(ERROR_ACCESS_DENIED);
    }
    if (lock.BlocksDelete(info.st_dev, info.st_ino)) {
        return Fail(ERROR_SHARING_VIOLATION);
    }
    if (unlink(target.host.c_str()) != 0) {
        return Fail(posix::ErrorFromErrno(errno));
    }
    if (info.st_nlink <= 1) {
        posix::ReleaseDriveSpace(target.drive, static_cast<std::uint64_t>(info.st_size));
    }
    return true;
}

bool MoveFileReplacing(const wchar_t* from, const wchar_t* to) {
    const posix::HostPath source = posix::ResolvePath(from);
    const posix::HostPath target = posix::ResolvePath(to);
    posix::NamespaceLock lock;
    struct stat moved{};
    if (!StatPath(source, &moved)) {
        return false;
    }
    if (lock.BlocksDelete(moved.st_dev, moved.st_ino)) {
        return Fail(ERROR_SHARING_VIOLATION);
    }
    if (target.error != ERROR_SUCCESS) {
        return Fail(target.error);
    }
    struct stat replaced{};
    const bool replacing = stat(target.host.c_str(), &replaced) == 0;
    const bool sameFile = replacing && replaced.st_dev == moved.st_dev && replaced.st_ino == moved.st_ino;
    // A folder, or a file that some handle holds open, cannot be replaced.
    if (replacing && !sameFile &&
        (S_ISDIR(replaced.st_mode) || S_ISDIR(moved.st_mode) || lock.IsOpen(replaced.st_dev, replaced.st_ino))) {
        return Fail(ERROR_ACCESS_DENIED);
    }
    if (std::rename(source.host.c_str(), target.host.c_str()) != 0) {
        return Fail(errno == ENOENT ? posix::MissingPathError(target.host) : posix::ErrorFromErrno(errno));
    }
    if (replacing && !sameFile) {
        posix::ReleaseDriveSpace(target.drive, static_cast<std::uint64_t>(replaced.st_size));
    }
    if (source.drive != target.drive && S_ISREG(moved.st_mode)) {
        posix::ReleaseDriveSpace(source.drive, static_cast<std::uint64_t>(moved.st_size));
        posix::ClaimDriveSpace(target.drive, static_cast<std::uint64_t>(moved.st_size));
    }
    return true;
}

bool FindFileSize(const wchar_t* path, std::int64_t* size) {
    struct stat info{};
    if (!StatPath(posix::ResolvePath(path), &info)) {
        return false;
    }
    *size = S_ISDIR(info.st_mode) ? 0 : static_cast<std::int64_t>(info.st_size);
    return true;
}

bool GetDiskFreeSpace(const wchar_t* path, std::uint64_t* freeBytes) {
    const posix::HostPath target = posix::ResolvePath(path);
    struct stat info{};
    if (!StatPath(target, &info)) {
        return false;
    }
    if (posix::DriveFreeSpace(target.drive, freeBytes)) {
        return true;
    }
    struct statvfs volume{};
    if (statvfs(target.host.c_str(), &volume) != 0) {
        return Fail(posix::ErrorFromErrno(errno));
    }
    *freeBytes = static_cast<std::uint64_t>(volume.f_bavail) * volume.f_frsize;
    return true;
}

std::wstring GetTempFolder() {
    const char* folder = std::getenv("TMPDIR");
    std::wstring result = posix::FromUtf8(folder != nullptr && *folder != 0 ? folder : "/tmp");
    if (result.back() != L'/') {
        result += L'/';
    }
    return result;
}

} // namespace plat
