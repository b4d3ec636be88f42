#include "Platform/Win32/WinHeaders.h"

#include "Platform/Registry.h"

#include <vector>

namespace plat {

namespace {

::HKEY RootKey(RegistryRoot root) { return root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

// The stored bytes may or may not end in a terminator; the text stops at the first one.
std::wstring TextOf(const std::vector<wchar_t>& units) {
    std::wstring text(units.begin(), units.end());
    const std::size_t end = text.find(L'\0');
    return end == std::wstring::npos ? text : text.substr(0, end);
}

bool QueryString(::HKEY key, const wchar_t* valueName, std::wstring* value) {
    ::DWORD type = 0;
    ::DWORD bytes = 0;
    if (::RegQueryValueExW(key, valueName, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) {
        return false;
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
        return false;
    }
    std::vector<wchar_t> units(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<::DWORD>(units.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<::BYTE*>(units.data()), &bytes) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return false;
    }
    units.resize(bytes / sizeof(wchar_t));
    *value = TextOf(units);
    return true;
}

} // namespace

bool ReadRegistryString(RegistryRoot root, const wchar_t* subKey, const wchar_t* valueName, std::wstring* value,
                        bool view32) {
    const ::REGSAM access = KEY_READ | (view32 ? KEY_WOW64_32KEY : 0);
    ::HKEY key = nullptr;
    if (::RegOpenKeyExW(RootKey(root), subKey, 0, access, &key) != ERROR_SUCCESS) {
        return false;
    }
    const bool found = QueryString(key, valueName, value);
    ::RegCloseKey(key);
    return found;
}

} // namespace plat
