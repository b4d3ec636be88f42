// Files and folders by Windows path. The POSIX backend maps drive letters to host folders (see
// Posix/TestDesktop.h); a path without a drive is a host path, with "\" and "/" both separators.
#pragma once

#include "Platform/Types.h"

#include <cstdio>
#include <string>

namespace plat {

constexpr DWORD GENERIC_READ = 0x80000000u;
constexpr DWORD GENERIC_WRITE = 0x40000000u;

constexpr DWORD FILE_SHARE_READ = 0x1;
constexpr DWORD FILE_SHARE_WRITE = 0x2;
constexpr DWORD FILE_SHARE_DELETE = 0x4;

constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;

constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD FILE_CURRENT = 1;
constexpr DWORD FILE_END = 2;
constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFFu;

// CreateFileW with FILE_ATTRIBUTE_NORMAL and no template. INVALID_HANDLE_VALUE on failure, with
// the reason in GetLastError(). Share modes are honoured between all handles of the process.
HANDLE CreateFile(const wchar_t* path, DWORD access, DWORD share, bool inheritable, DWORD creation);

// SetFilePointer with a 32-bit distance and no high part: the new position's low 32 bits, or
// INVALID_SET_FILE_POINTER with the last error set (a negative position is ERROR_NEGATIVE_SEEK).
DWORD SetFilePointer(HANDLE file, long distance, DWORD method);
bool SetEndOfFile(HANDLE file);
bool ReadFile(HANDLE file, void* buffer, DWORD count, DWORD* read);
// Writes what fits; a full disk reports ERROR_DISK_FULL.
bool WriteFile(HANDLE file, const void* data, DWORD count, DWORD* written);
bool FlushFileBuffers(HANDLE file);

// PathFileExistsW: a file or a folder.
bool PathFileExists(const wchar_t* path);
// True for an existing folder.
bool IsDirectory(const wchar_t* path);

// SHCreateDirectoryExW: creates the folder and every missing parent. ERROR_SUCCESS, or
// ERROR_ALREADY_EXISTS / ERROR_FILE_EXISTS when it exists, ERROR_BAD_PATHNAME for a relative
// path, ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_FILENAME_EXCED_RANGE ...
int CreateDirectoryWithParents(const wchar_t* path);

bool DeleteFile(const wchar_t* path);
// MoveFileExW with MOVEFILE_REPLACE_EXISTING.
bool MoveFileReplacing(const wchar_t* from, const wchar_t* to);

// FindFirstFileW of the path, then FindClose: the entry's 64-bit size.
bool FindFileSize(const wchar_t* path, std::int64_t* size);

// GetModuleFileNameW(NULL, buffer, size): characters copied (truncated to size - 1), 0 on failure.
DWORD GetModuleFileName(wchar_t* buffer, DWORD size);

// GetCurrentDirectoryW.
DWORD GetCurrentDirectory(DWORD size, wchar_t* buffer);

// Free bytes available to the caller on the volume of the path.
bool GetDiskFreeSpace(const wchar_t* path, std::uint64_t* freeBytes);

// The runtime library's wide open (_wfopen) and its 64-bit seek and tell.
std::FILE* OpenCrtFile(const wchar_t* path, const wchar_t* mode);
int CrtSeek64(std::FILE* file, std::int64_t offset, int origin);
std::int64_t CrtTell64(std::FILE* file);

// PathRemoveFileSpecW: removes the last component (keeps a root such as "C:\"). True if changed.
bool PathRemoveFileSpec(std::wstring& path);
// PathCombineW-style join of a folder and a relative part with exactly one "\" between them.
std::wstring PathJoin(const std::wstring& folder, const std::wstring& part);

// The folder for temporary files, with a trailing "\" (GetTempPathW).
std::wstring GetTempFolder();

} // namespace plat
