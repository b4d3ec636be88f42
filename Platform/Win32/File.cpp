#include "Platform/Win32/WinHeaders.h"

#include "Platform/Win32/Handles.h"

#include "Platform/File.h"

#include <cwchar>

namespace plat {

static_assert(GENERIC_READ == sys::GENERIC_READ_);
static_assert(GENERIC_WRITE == sys::GENERIC_WRITE_);
static_assert(FILE_SHARE_READ == sys::FILE_SHARE_READ_);
static_assert(FILE_SHARE_WRITE == sys::FILE_SHARE_WRITE_);
static_assert(FILE_SHARE_DELETE == sys::FILE_SHARE_DELETE_);
static_assert(CREATE_NEW == sys::CREATE_NEW_);
static_assert(CREATE_ALWAYS == sys::CREATE_ALWAYS_);
static_assert(OPEN_EXISTING == sys::OPEN_EXISTING_);
static_assert(OPEN_ALWAYS == sys::OPEN_ALWAYS_);
static_assert(TRUNCATE_EXISTING == sys::TRUNCATE_EXISTING_);
static_assert(FILE_BEGIN == sys::FILE_BEGIN_);
static_assert(FILE_CURRENT == sys::FILE_CURRENT_);
static_assert(FILE_END == sys::FILE_END_);
static_assert(INVALID_SET_FILE_POINTER == sys::INVALID_SET_FILE_POINTER_);

using win32::Native;
using win32::Neutral;

HANDLE CreateFile(const wchar_t* path, DWORD access, DWORD share, bool inheritable, DWORD creation) {
    ::SECURITY_ATTRIBUTES security{sizeof(security), nullptr, inheritable ? TRUE : FALSE};
    return Neutral(::CreateFileW(path, access, share, &security, creation, FILE_ATTRIBUTE_NORMAL, nullptr));
}

DWORD SetFilePointer(HANDLE file, long distance, DWORD method) {
    return ::SetFilePointer(Native(file), distance, nullptr, method);
}

bool SetEndOfFile(HANDLE file) { return ::SetEndOfFile(Native(file)) != FALSE; }

bool ReadFile(HANDLE file, void* buffer, DWORD count, DWORD* read) {
    ::DWORD done = 0;
    const bool ok = ::ReadFile(Native(file), buffer, count, &done, nullptr) != FALSE;
    if (read) {
        *read = done;
    }
    return ok;
}

bool WriteFile(HANDLE file, const void* data, DWORD count, DWORD* written) {
    ::DWORD done = 0;
    const bool ok = ::WriteFile(Native(file), data, count, &done, nullptr) != FALSE;
    if (written) {
        *written = done;
    }
    return ok;
}

bool FlushFileBuffers(HANDLE file) { return ::FlushFileBuffers(Native(file)) != FALSE; }

bool PathFileExists(const wchar_t* path) { return ::PathFileExistsW(path) != FALSE; }

bool IsDirectory(const wchar_t* path) {
    const ::DWORD attributes = ::GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

int CreateDirectoryWithParents(const wchar_t* path) { return ::SHCreateDirectoryExW(nullptr, path, nullptr); }

bool DeleteFile(const wchar_t* path) { return ::DeleteFileW(path) != FALSE; }

bool MoveFileReplacing(const wchar_t* from, const wchar_t* to) {
    return ::MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING) != FALSE;
}

bool FindFileSize(const wchar_t* path, std::int64_t* size) {
    ::WIN32_FIND_DATAW entry{};
    const ::HANDLE search = ::FindFirstFileW(path, &entry);
    if (search == Native(INVALID_HANDLE_VALUE)) {
        return false;
    }
    ::FindClose(search);
    *size = static_cast<std::int64_t>((std::uint64_t{entry.nFileSizeHigh} << 32) | entry.nFileSizeLow);
    return true;
}

DWORD GetModuleFileName(wchar_t* buffer, DWORD size) { return ::GetModuleFileNameW(nullptr, buffer, size); }

DWORD GetCurrentDirectory(DWORD size, wchar_t* buffer) { return ::GetCurrentDirectoryW(size, buffer); }

bool GetDiskFreeSpace(const wchar_t* path, std::uint64_t* freeBytes) {
    ::ULARGE_INTEGER available{};
    if (!::GetDiskFreeSpaceExW(path, &available, nullptr, nullptr)) {
        return false;
    }
    *freeBytes = available.QuadPart;
    return true;
}

std::FILE* OpenCrtFile(const wchar_t* path, const wchar_t* mode) { return ::_wfopen(path, mode); }

int CrtSeek64(std::FILE* file, std::int64_t offset, int origin) { return ::_fseeki64(file, offset, origin); }

std::int64_t CrtTell64(std::FILE* file) { return ::_ftelli64(file); }

bool PathRemoveFileSpec(std::wstring& path) {
    if (path.empty()) {
        return false;
    }
    const bool changed = ::PathRemoveFileSpecW(path.data()) != FALSE;
    path.resize(std::wcslen(path.c_str()));
    return changed;
}

// Either separator ends a component, so mixed-separator paths join the same way.
constexpr const wchar_t* kSeparators = L"\\/";

std::wstring PathJoin(const std::wstring& folder, const std::wstring& part) {
    if (folder.empty() || part.empty()) {
        return folder.empty() ? part : folder;
    }
    const std::size_t folderEnd = folder.find_last_not_of(kSeparators);
    const std::size_t partStart = part.find_first_not_of(kSeparators);
    std::wstring joined = folderEnd == std::wstring::npos ? std::wstring() : folder.substr(0, folderEnd + 1);
    joined += L'\\';
    if (partStart != std::wstring::npos) {
        joined += part.substr(partStart);
    }
    return joined;
}

std::wstring GetTempFolder() {
    wchar_t buffer[MAX_PATH + 1] = {};
    const ::DWORD length = ::GetTempPathW(MAX_PATH + 1, buffer);
    return length > 0 && length <= MAX_PATH ? std::wstring(buffer, length) : std::wstring();
}

} // namespace plat
