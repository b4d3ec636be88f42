#include "Platform/Win32/WinHeaders.h"

#include "Platform/Win32/Handles.h"

#include "Platform/Shell.h"

namespace plat {

static_assert(BIF_RETURNONLYFSDIRS == sys::BIF_RETURNONLYFSDIRS_);
static_assert(BIF_EDITBOX == sys::BIF_EDITBOX_);
static_assert(BIF_NEWDIALOGSTYLE == sys::BIF_NEWDIALOGSTYLE_);
static_assert(CSIDL_DESKTOPDIRECTORY == sys::CSIDL_DESKTOPDIRECTORY_);
static_assert(CSIDL_PROGRAM_FILES == sys::CSIDL_PROGRAM_FILES_);
static_assert(CSIDL_PROGRAM_FILESX86 == sys::CSIDL_PROGRAM_FILESX86_);
static_assert(CSIDL_APPDATA == sys::CSIDL_APPDATA_);
static_assert(CSIDL_LOCAL_APPDATA == sys::CSIDL_LOCAL_APPDATA_);
static_assert(CSIDL_COMMON_APPDATA == sys::CSIDL_COMMON_APPDATA_);

using win32::Native;

namespace {

constexpr ::DWORD kCurrentFolderChars = 260;

void SelectInitialFolder(::HWND dialog, const wchar_t* initialFolder) {
    wchar_t current[kCurrentFolderChars] = {};
    if (!initialFolder) {
        if (::GetCurrentDirectoryW(kCurrentFolderChars, current) == 0) {
            return;
        }
        initialFolder = current;
    }
    ::SendMessageW(dialog, sys::BFFM_SETSELECTIONW_, TRUE, reinterpret_cast<::LPARAM>(initialFolder));
}

void ShowSelectionAsStatus(::HWND dialog, ::LPCITEMIDLIST item) {
    wchar_t path[MAX_PATH] = {};
    if (::SHGetPathFromIDListW(item, path) && path[0] != L'\0') {
        ::SendMessageW(dialog, sys::BFFM_SETSTATUSTEXTW_, 0, reinterpret_cast<::LPARAM>(path));
    }
}

int CALLBACK BrowseCallback(::HWND dialog, ::UINT message, ::LPARAM lParam, ::LPARAM data) {
    if (message == BFFM_INITIALIZED) {
        SelectInitialFolder(dialog, reinterpret_cast<const wchar_t*>(data));
    } else if (message == BFFM_SELCHANGED) {
        ShowSelectionAsStatus(dialog, reinterpret_cast<::LPCITEMIDLIST>(lParam));
    }
    return 0;
}

} // namespace

BrowseResult BrowseForFolder(HWND owner, const wchar_t* title, UINT flags, const wchar_t* initialFolder) {
    ::BROWSEINFOW info{};
    info.hwndOwner = Native(owner);
    info.lpszTitle = title;
    info.ulFlags = flags;
    info.lpfn = BrowseCallback;
    info.lParam = reinterpret_cast<::LPARAM>(initialFolder);
    ::LPITEMIDLIST item = ::SHBrowseForFolderW(&info);
    BrowseResult result;
    if (!item) {
        return result;
    }
    result.chosen = true;
    wchar_t path[MAX_PATH] = {};
    if (::SHGetPathFromIDListW(item, path)) {
        result.path = path;
    }
    ::CoTaskMemFree(item);
    return result;
}

std::wstring GetSpecialFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE)) {
        return std::wstring();
    }
    return path;
}

bool ShellOpen(const wchar_t* target) {
    const ::HINSTANCE result = ::ShellExecuteW(nullptr, L"open", target, nullptr, nullptr, SW_NORMAL);
    // Values above 32 mean success; smaller ones are error codes.
    return reinterpret_cast<std::intptr_t>(result) > 32;
}

} // namespace plat
