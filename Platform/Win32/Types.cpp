#include "Platform/Win32/WinHeaders.h"

#include "Platform/Types.h"

#include <type_traits>

namespace plat {

static_assert(sizeof(DWORD) == sizeof(::DWORD) && sizeof(UINT) == sizeof(::UINT));
static_assert(std::is_unsigned_v<::DWORD> && std::is_unsigned_v<::WPARAM>);
static_assert(sizeof(WPARAM) == sizeof(::WPARAM) && sizeof(LPARAM) == sizeof(::LPARAM));
static_assert(sizeof(LRESULT) == sizeof(::LRESULT) && sizeof(LONG_PTR) == sizeof(::LONG_PTR));
static_assert(sizeof(UINT_PTR) == sizeof(::UINT_PTR));
static_assert(sizeof(HANDLE) == sizeof(::HANDLE) && sizeof(HWND) == sizeof(::HWND));

static_assert(INFINITE == sys::INFINITE_);
static_assert(ERROR_SUCCESS == sys::ERROR_SUCCESS_);
static_assert(ERROR_FILE_NOT_FOUND == sys::ERROR_FILE_NOT_FOUND_);
static_assert(ERROR_PATH_NOT_FOUND == sys::ERROR_PATH_NOT_FOUND_);
static_assert(ERROR_TOO_MANY_OPEN_FILES == sys::ERROR_TOO_MANY_OPEN_FILES_);
static_assert(ERROR_ACCESS_DENIED == sys::ERROR_ACCESS_DENIED_);
static_assert(ERROR_INVALID_HANDLE == sys::ERROR_INVALID_HANDLE_);
static_assert(ERROR_NOT_ENOUGH_MEMORY == sys::ERROR_NOT_ENOUGH_MEMORY_);
static_assert(ERROR_NOT_SAME_DEVICE == sys::ERROR_NOT_SAME_DEVICE_);
static_assert(ERROR_GEN_FAILURE == sys::ERROR_GEN_FAILURE_);
static_assert(ERROR_SHARING_VIOLATION == sys::ERROR_SHARING_VIOLATION_);
static_assert(ERROR_HANDLE_EOF == sys::ERROR_HANDLE_EOF_);
static_assert(ERROR_FILE_EXISTS == sys::ERROR_FILE_EXISTS_);
static_assert(ERROR_INVALID_PARAMETER == sys::ERROR_INVALID_PARAMETER_);
static_assert(ERROR_DISK_FULL == sys::ERROR_DISK_FULL_);
static_assert(ERROR_INSUFFICIENT_BUFFER == sys::ERROR_INSUFFICIENT_BUFFER_);
static_assert(ERROR_INVALID_NAME == sys::ERROR_INVALID_NAME_);
static_assert(ERROR_NEGATIVE_SEEK == sys::ERROR_NEGATIVE_SEEK_);
static_assert(ERROR_DIR_NOT_EMPTY == sys::ERROR_DIR_NOT_EMPTY_);
static_assert(ERROR_BAD_PATHNAME == sys::ERROR_BAD_PATHNAME_);
static_assert(ERROR_ALREADY_EXISTS == sys::ERROR_ALREADY_EXISTS_);
static_assert(ERROR_FILENAME_EXCED_RANGE == sys::ERROR_FILENAME_EXCED_RANGE_);
static_assert(ERROR_NO_UNICODE_TRANSLATION == sys::ERROR_NO_UNICODE_TRANSLATION_);
static_assert(ERROR_INVALID_WINDOW_HANDLE == sys::ERROR_INVALID_WINDOW_HANDLE_);
static_assert(ERROR_CLASS_ALREADY_EXISTS == sys::ERROR_CLASS_ALREADY_EXISTS_);
static_assert(ERROR_CANNOT_FIND_WND_CLASS == sys::ERROR_CANNOT_FIND_WND_CLASS_);
static_assert(ERROR_CANCELLED == sys::ERROR_CANCELLED_);

DWORD GetLastError() { return ::GetLastError(); }

void SetLastError(DWORD error) { ::SetLastError(error); }

} // namespace plat
