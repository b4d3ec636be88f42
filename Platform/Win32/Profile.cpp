#include "Platform/Win32/WinHeaders.h"

#include "Platform/Profile.h"

namespace plat {

DWORD GetPrivateProfileString(const wchar_t* section, const wchar_t* key, const wchar_t* defaultValue,
                              wchar_t* buffer, DWORD size, const wchar_t* path) {
    return ::GetPrivateProfileStringW(section, key, defaultValue, buffer, size, path);
}

} // namespace plat
