// The only place the Win32 backend takes the system headers from. Include it before any
// Platform header: it removes every macro whose name the neutral interface reuses, so inside the
// backend the system is reached through the explicit ...W functions and the values kept in sys::.
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <mmsystem.h>
#include <process.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

// System constants whose names the platform headers declare again. Each value is kept as
// sys::NAME_ so the backend file of its concern can check the neutral one against it. A system
// macro built on one of them (WM_USER + n ...) stops working with the #undef: keep it here first.
#define PM_KEEP(name) constexpr auto name##_ = name;
namespace sys {

PM_KEEP(BFFM_SETSELECTIONW)
PM_KEEP(BFFM_SETSTATUSTEXTW)

PM_KEEP(INFINITE)
#undef INFINITE
PM_KEEP(ERROR_SUCCESS)
#undef ERROR_SUCCESS
PM_KEEP(ERROR_FILE_NOT_FOUND)
#undef ERROR_FILE_NOT_FOUND
PM_KEEP(ERROR_PATH_NOT_FOUND)
#undef ERROR_PATH_NOT_FOUND
PM_KEEP(ERROR_TOO_MANY_OPEN_FILES)
#undef ERROR_TOO_MANY_OPEN_FILES
PM_KEEP(ERROR_ACCESS_DENIED)
#undef ERROR_ACCESS_DENIED
PM_KEEP(ERROR_INVALID_HANDLE)
#undef ERROR_INVALID_HANDLE
PM_KEEP(ERROR_NOT_ENOUGH_MEMORY)
#undef ERROR_NOT_ENOUGH_MEMORY
PM_KEEP(ERROR_NOT_SAME_DEVICE)
#undef ERROR_NOT_SAME_DEVICE
PM_KEEP(ERROR_GEN_FAILURE)
#undef ERROR_GEN_FAILURE
PM_KEEP(ERROR_SHARING_VIOLATION)
#undef ERROR_SHARING_VIOLATION
PM_KEEP(ERROR_HANDLE_EOF)
#undef ERROR_HANDLE_EOF
PM_KEEP(ERROR_FILE_EXISTS)
#undef ERROR_FILE_EXISTS
PM_KEEP(ERROR_INVALID_PARAMETER)
#undef ERROR_INVALID_PARAMETER
PM_KEEP(ERROR_DISK_FULL)
#undef ERROR_DISK_FULL
PM_KEEP(ERROR_INSUFFICIENT_BUFFER)
#undef ERROR_INSUFFICIENT_BUFFER
PM_KEEP(ERROR_INVALID_NAME)
#undef ERROR_INVALID_NAME
PM_KEEP(ERROR_NEGATIVE_SEEK)
#undef ERROR_NEGATIVE_SEEK
PM_KEEP(ERROR_DIR_NOT_EMPTY)
#undef ERROR_DIR_NOT_EMPTY
PM_KEEP(ERROR_BAD_PATHNAME)
#undef ERROR_BAD_PATHNAME
PM_KEEP(ERROR_ALREADY_EXISTS)
#undef ERROR_ALREADY_EXISTS
PM_KEEP(ERROR_FILENAME_EXCED_RANGE)
#undef ERROR_FILENAME_EXCED_RANGE
PM_KEEP(ERROR_NO_UNICODE_TRANSLATION)
#undef ERROR_NO_UNICODE_TRANSLATION
PM_KEEP(ERROR_INVALID_WINDOW_HANDLE)
#undef ERROR_INVALID_WINDOW_HANDLE
PM_KEEP(ERROR_CLASS_ALREADY_EXISTS)
#undef ERROR_CLASS_ALREADY_EXISTS
PM_KEEP(ERROR_CANNOT_FIND_WND_CLASS)
#undef ERROR_CANNOT_FIND_WND_CLASS
PM_KEEP(ERROR_CANCELLED)
#undef ERROR_CANCELLED

PM_KEEP(STILL_ACTIVE)
#undef STILL_ACTIVE
PM_KEEP(WAIT_OBJECT_0)
#undef WAIT_OBJECT_0
PM_KEEP(WAIT_TIMEOUT)
#undef WAIT_TIMEOUT
PM_KEEP(WAIT_FAILED)
#undef WAIT_FAILED

PM_KEEP(GENERIC_READ)
#undef GENERIC_READ
PM_KEEP(GENERIC_WRITE)
#undef GENERIC_WRITE
PM_KEEP(FILE_SHARE_READ)
#undef FILE_SHARE_READ
PM_KEEP(FILE_SHARE_WRITE)
#undef FILE_SHARE_WRITE
PM_KEEP(FILE_SHARE_DELETE)
#undef FILE_SHARE_DELETE
PM_KEEP(CREATE_NEW)
#undef CREATE_NEW
PM_KEEP(CREATE_ALWAYS)
#undef CREATE_ALWAYS
PM_KEEP(OPEN_EXISTING)
#undef OPEN_EXISTING
PM_KEEP(OPEN_ALWAYS)
#undef OPEN_ALWAYS
PM_KEEP(TRUNCATE_EXISTING)
#undef TRUNCATE_EXISTING
PM_KEEP(FILE_BEGIN)
#undef FILE_BEGIN
PM_KEEP(FILE_CURRENT)
#undef FILE_CURRENT
PM_KEEP(FILE_END)
#undef FILE_END
PM_KEEP(INVALID_SET_FILE_POINTER)
#undef INVALID_SET_FILE_POINTER

PM_KEEP(CP_ACP)
#undef CP_ACP
PM_KEEP(CP_UTF8)
#undef CP_UTF8

PM_KEEP(WM_NULL)
#undef WM_NULL
PM_KEEP(WM_CREATE)
#undef WM_CREATE
PM_KEEP(WM_DESTROY)
#undef WM_DESTROY
PM_KEEP(WM_CLOSE)
#undef WM_CLOSE
PM_KEEP(WM_QUIT)
#undef WM_QUIT
PM_KEEP(WM_NCCREATE)
#undef WM_NCCREATE
PM_KEEP(WM_NCDESTROY)
#undef WM_NCDESTROY
PM_KEEP(WM_TIMER)
#undef WM_TIMER
PM_KEEP(WM_USER)
#undef WM_USER
PM_KEEP(WM_APP)
#undef WM_APP
PM_KEEP(GWLP_WNDPROC)
#undef GWLP_WNDPROC
PM_KEEP(GWLP_USERDATA)
#undef GWLP_USERDATA
PM_KEEP(CS_VREDRAW)
#undef CS_VREDRAW
PM_KEEP(CS_HREDRAW)
#undef CS_HREDRAW
PM_KEEP(CS_DBLCLKS)
#undef CS_DBLCLKS
PM_KEEP(CW_USEDEFAULT)
#undef CW_USEDEFAULT
PM_KEEP(PM_NOREMOVE)
#undef PM_NOREMOVE
PM_KEEP(PM_REMOVE)
#undef PM_REMOVE

PM_KEEP(BIF_RETURNONLYFSDIRS)
#undef BIF_RETURNONLYFSDIRS
PM_KEEP(BIF_EDITBOX)
#undef BIF_EDITBOX
PM_KEEP(BIF_NEWDIALOGSTYLE)
#undef BIF_NEWDIALOGSTYLE
PM_KEEP(CSIDL_DESKTOPDIRECTORY)
#undef CSIDL_DESKTOPDIRECTORY
PM_KEEP(CSIDL_PROGRAM_FILES)
#undef CSIDL_PROGRAM_FILES
PM_KEEP(CSIDL_PROGRAM_FILESX86)
#undef CSIDL_PROGRAM_FILESX86
PM_KEEP(CSIDL_APPDATA)
#undef CSIDL_APPDATA
PM_KEEP(CSIDL_LOCAL_APPDATA)
#undef CSIDL_LOCAL_APPDATA
PM_KEEP(CSIDL_COMMON_APPDATA)
#undef CSIDL_COMMON_APPDATA

} // namespace sys
#undef PM_KEEP

// Pointer-valued constants: the handle casts carry their bits over unchanged.
#undef INVALID_HANDLE_VALUE
#undef HWND_MESSAGE

// Character-set macros (A/W pairs) that are, or are likely to become, neutral names.
#undef CreateFile
#undef DeleteFile
#undef MoveFile
#undef MoveFileEx
#undef CopyFile
#undef CreateDirectory
#undef RemoveDirectory
#undef FindFirstFile
#undef FindNextFile
#undef GetFileAttributes
#undef GetTempPath
#undef GetTempFileName
#undef GetFullPathName
#undef GetModuleFileName
#undef GetModuleHandle
#undef LoadLibrary
#undef GetCurrentDirectory
#undef SetCurrentDirectory
#undef GetDiskFreeSpace
#undef GetDiskFreeSpaceEx
#undef GetCommandLine
#undef GetEnvironmentVariable
#undef ExpandEnvironmentStrings
#undef FormatMessage
#undef GetPrivateProfileString
#undef GetPrivateProfileInt
#undef WritePrivateProfileString
#undef OutputDebugString
#undef WriteConsole
#undef CreateProcess
#undef CreateEvent
#undef CreateMutex
#undef FindResource
#undef LoadString
#undef PathFileExists
#undef PathRemoveFileSpec
#undef PathCombine
#undef PathAppend
#undef ShellExecute
#undef SHBrowseForFolder
#undef SHGetPathFromIDList
#undef SHGetSpecialFolderPath
#undef SHCreateDirectoryEx
#undef RegOpenKeyEx
#undef RegQueryValueEx
#undef PostMessage
#undef PostThreadMessage
#undef SendMessage
#undef GetMessage
#undef PeekMessage
#undef DispatchMessage
#undef IsDialogMessage
#undef RegisterClass
#undef RegisterClassEx
#undef UnregisterClass
#undef GetClassInfo
#undef GetClassInfoEx
#undef GetClassName
#undef CreateWindow
#undef CreateWindowEx
#undef DefWindowProc
#undef CallWindowProc
#undef RegisterWindowMessage
#undef SetWindowLong
#undef GetWindowLong
#undef SetWindowLongPtr
#undef GetWindowLongPtr
#undef SetClassLongPtr
#undef GetClassLongPtr
#undef SetWindowText
#undef GetWindowText
#undef GetWindowTextLength
#undef FindWindow
#undef MessageBox
#undef LoadCursor
#undef LoadIcon
#undef LoadImage
#undef SetProp
#undef GetProp
#undef RemoveProp
#undef SystemParametersInfo
#undef CreateFont
#undef CreateFontIndirect
#undef GetObject
#undef DrawText
#undef TextOut
#undef GetTextExtentPoint32
#undef GetTextMetrics
#undef GetTextFace
#undef AddFontResource
#undef GetCurrentTime
#undef Yield

// Plain words the system headers take for themselves.
#undef ERROR
#undef DELETE
#undef TRANSPARENT
#undef OPAQUE
#undef small

// Window, input and drawing constants the neutral headers declare again.
#include "Platform/Win32/WindowMacros.h"
