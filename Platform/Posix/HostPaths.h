// Internal to the POSIX backend: Windows paths on the host, and host errors as Windows errors.
#pragma once

#include "Platform/Types.h"

#include <string>

namespace plat::posix {

struct HostPath {
    std::string host;            // separators are "/", no trailing one
    std::size_t rootLength = 0;  // the part of `host` that stands for the drive root (or "/")
    wchar_t drive = 0;           // the drive letter, 0 for a host path
    DWORD error = ERROR_SUCCESS; // ERROR_PATH_NOT_FOUND for an empty path or an unmapped drive
};

// Drive paths are resolved lexically ("." and ".." never climb above the drive's root); a path
// without a drive is a host path.
HostPath ResolvePath(const wchar_t* path);

// Relative in the shell's sense: neither a drive nor a leading separator.
bool IsRelativePath(const wchar_t* path);

DWORD ErrorFromErrno(int error);
// A missing file: ERROR_FILE_NOT_FOUND when its folder exists, else ERROR_PATH_NOT_FOUND.
DWORD MissingPathError(const std::string& host);

} // namespace plat::posix
