#include "Platform/Win32/WinHeaders.h"

#include "Platform/Win32/Handles.h"

#include "Platform/Resource.h"

namespace plat {

bool LoadResourceBytes(HINSTANCE module, unsigned id, const wchar_t* type, std::vector<unsigned char>& bytes)
{
    const ::HMODULE native = module != nullptr ? win32::Native(module) : ::GetModuleHandleW(nullptr);
    const ::HRSRC found = ::FindResourceW(native, MAKEINTRESOURCEW(id), type);
    if (found == nullptr)
        return false;
    const ::DWORD size = ::SizeofResource(native, found);
    const ::HGLOBAL loaded = ::LoadResource(native, found);
    const void* data = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    if (data == nullptr || size == 0)
        return false;
    const auto* first = static_cast<const unsigned char*>(data);
    bytes.assign(first, first + size);
    return true;
}

} // namespace plat
