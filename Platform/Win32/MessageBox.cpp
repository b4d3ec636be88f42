#include "Platform/Win32/WinHeaders.h"

#include "Platform/Win32/Handles.h"

namespace sys {
constexpr auto MB_OK_ = MB_OK;
constexpr auto MB_ICONERROR_ = MB_ICONERROR;
constexpr auto IDOK_ = IDOK;
} // namespace sys
#undef MB_OK
#undef MB_ICONERROR
#undef IDOK
#undef MessageBox

#include "Platform/MessageBox.h"

namespace plat {

static_assert(MB_OK == sys::MB_OK_);
static_assert(MB_ICONERROR == sys::MB_ICONERROR_);
static_assert(IDOK == sys::IDOK_);

int MessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type)
{
    return ::MessageBoxW(win32::Native(owner), text, caption, type);
}

} // namespace plat
