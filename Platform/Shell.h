// Shell services: the folder picker and special folders.
#pragma once

#include "Platform/Types.h"

#include <string>

namespace plat {

constexpr UINT BIF_RETURNONLYFSDIRS = 0x0001;
constexpr UINT BIF_EDITBOX = 0x0010;
constexpr UINT BIF_NEWDIALOGSTYLE = 0x0040;

struct BrowseResult {
    bool chosen = false;   // false when the dialog was cancelled
    std::wstring path;     // the chosen item's file-system path; empty when it has none
};

// SHBrowseForFolderW over the whole namespace. On BFFM_INITIALIZED it selects `initialFolder`
// (the current folder when null); on BFFM_SELCHANGED it shows the selection's path as status.
BrowseResult BrowseForFolder(HWND owner, const wchar_t* title, UINT flags, const wchar_t* initialFolder);

constexpr int CSIDL_DESKTOPDIRECTORY = 0x0010;
constexpr int CSIDL_PROGRAM_FILES = 0x0026;
constexpr int CSIDL_PROGRAM_FILESX86 = 0x002a;
constexpr int CSIDL_APPDATA = 0x001a;
constexpr int CSIDL_LOCAL_APPDATA = 0x001c;
constexpr int CSIDL_COMMON_APPDATA = 0x0023;

// SHGetSpecialFolderPathW: the folder without a trailing separator, empty when unknown.
std::wstring GetSpecialFolder(int csidl);

// ShellExecuteW "open" of a document or web address; true when the shell accepted it.
bool ShellOpen(const wchar_t* target);

} // namespace plat
