// Conversions between the neutral handle types and the system's: the same bits, another type.
#pragma once

#include "Platform/Win32/WinHeaders.h"

#include "Platform/Types.h"

namespace plat::win32 {

inline ::HWND Native(HWND window) { return reinterpret_cast<::HWND>(window); }
inline ::HANDLE Native(HANDLE object) { return reinterpret_cast<::HANDLE>(object); }
inline ::HINSTANCE Native(HINSTANCE module) { return reinterpret_cast<::HINSTANCE>(module); }

inline HWND Neutral(::HWND window) { return reinterpret_cast<HWND>(window); }
inline HANDLE Neutral(::HANDLE object) { return reinterpret_cast<HANDLE>(object); }

} // namespace plat::win32
