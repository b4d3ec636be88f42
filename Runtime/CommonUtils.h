// Small helpers shared by the main window, the HTTP engine and the updater. Paths are Windows
// paths with "\" as separator.
#pragma once

#include "Platform/Process.h"
#include "Platform/Types.h"

#include <cstdint>
#include <string>

// The running executable's folder without a trailing separator; cached once read. Main thread only.
std::wstring GetModuleFolder();

// The folder picker; the chosen folder with a trailing "\", or empty when cancelled.
std::wstring BrowseFolder(plat::HWND owner, const wchar_t* initialFolder);

// Bytes as text: up to 999 whole bytes ("999B"), then KB, MB, GB, TB with two decimals.
std::wstring FormatSize(std::uint64_t bytes);

// Starts a program without waiting for it: 0, or the platform's error code.
plat::DWORD LaunchProcess(const wchar_t* application, const std::wstring& commandLine,
                          plat::ProcessInformation* info = nullptr);

// True when the folder exists afterwards (created with all missing parents).
bool CreateDir(const std::wstring& path);
// True when the file is gone (a missing file counts as removed).
bool RemoveFile(const std::wstring& path);
// True when moved; replaces an existing target.
bool MoveFileReplacing(const std::wstring& from, const std::wstring& to);
// Size in bytes, -1 when it cannot be determined.
std::int64_t FileSize(const std::wstring& path);

// The path without its last component ("C:/A/B/x.exe" -> "C:\A\B", "C:\A\B\" -> "C:\A").
std::wstring ParentFolder(const std::wstring& path);
// The text before the last occurrence of the separator, or the whole text.
std::wstring TextBeforeLast(const std::wstring& text, const std::wstring& separator);
