// The runtime library's buffered files over our file objects, so that they share the share-mode
// rules and the drives' free space with file handles. Text mode keeps "\n" unchanged.
#include "Platform/File.h"

#include "Platform/Posix/FileObject.h"

#include <stdio.h>

#include <cerrno>
#include <cwchar>

namespace plat {
namespace {

struct CrtMode {
    posix::OpenRequest request;
    const char* stdioMode;
};

bool ParseMode(const wchar_t* mode, CrtMode* parsed) {
    if (mode == nullptr) {
        return false;
    }
    const bool update = std::wcschr(mode, L'+') != nullptr;
    posix::OpenRequest& request = parsed->request;
    request.share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    switch (mode[0]) {
    case L'r':
        request.access = GENERIC_READ | (update ? GENERIC_WRITE : 0);
        request.creation = OPEN_EXISTING;
        break;
    case L'w':
        request.access = GENERIC_WRITE | (update ? GENERIC_READ : 0);
        request.creation = std::wcschr(mode, L'x') != nullptr ? CREATE_NEW : CREATE_ALWAYS;
        break;
    case L'a':
        request.access = GENERIC_WRITE | (update ? GENERIC_READ : 0);
        request.creation = OPEN_ALWAYS;
        request.append = true;
        break;
    default:
        return false;
    }
    parsed->stdioMode = update ? "r+" : mode[0] == L'r' ? "r" : "w";
    return true;
}

int ErrnoFromError(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return EACCES;
    case ERROR_FILE_EXISTS:
        return EEXIST;
    case ERROR_DISK_FULL:
        return ENOSPC;
    case ERROR_TOO_MANY_OPEN_FILES:
        return EMFILE;
    default:
        return EINVAL;
    }
}

posix::FileObject& FileOf(void* cookie) { return **static_cast<std::shared_ptr<posix::FileObject>*>(cookie); }

ssize_t CookieRead(void* cookie, char* buffer, size_t size) {
    DWORD read = 0;
    if (!FileOf(cookie).Read(buffer, static_cast<DWORD>(size), &read)) {
        errno = ErrnoFromError(GetLastError());
        return -1;
    }
    return read;
}

// A write that only partly fits reports the part; the next call then fails with ENOSPC.
ssize_t CookieWrite(void* cookie, const char* data, size_t size) {
    DWORD written = 0;
    if (!FileOf(cookie).Write(data, static_cast<DWORD>(size), &written) && written == 0) {
        errno = ErrnoFromError(GetLastError());
        return 0;
    }
    return written;
}

int CookieSeek(void* cookie, off64_t* offset, int whence) {
    std::int64_t position = 0;
    if (!FileOf(cookie).Seek(*offset, static_cast<DWORD>(whence), INT64_MAX, &position)) {
        errno = EINVAL;
        return -1;
    }
    *offset = position;
    return 0;
}

int CookieClose(void* cookie) {
    delete static_cast<std::shared_ptr<posix::FileObject>*>(cookie);
    return 0;
}

} // namespace

std::FILE* OpenCrtFile(const wchar_t* path, const wchar_t* mode) {
    CrtMode parsed{};
    if (!ParseMode(mode, &parsed)) {
        errno = EINVAL;
        return nullptr;
    }
    std::shared_ptr<posix::FileObject> file = posix::FileObject::Open(path, parsed.request);
    if (!file) {
        errno = ErrnoFromError(GetLastError());
        return nullptr;
    }
    auto* cookie = new std::shared_ptr<posix::FileObject>(std::move(file));
    std::FILE* stream = fopencookie(cookie, parsed.stdioMode, {CookieRead, CookieWrite, CookieSeek, CookieClose});
    if (stream == nullptr) {
        delete cookie;
    }
    return stream;
}

int CrtSeek64(std::FILE* file, std::int64_t offset, int origin) { return fseeko64(file, offset, origin); }

std::int64_t CrtTell64(std::FILE* file) { return ftello64(file); }

} // namespace plat
