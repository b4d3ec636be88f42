#include "Platform/Win32/WinHeaders.h"

#include "Platform/Text.h"

namespace plat {

static_assert(CP_ACP == sys::CP_ACP_);
static_assert(CP_UTF8 == sys::CP_UTF8_);

int MultiByteToWideChar(UINT codePage, const char* text, int length, wchar_t* out, int outSize) {
    return ::MultiByteToWideChar(codePage, 0, text, length, out, outSize);
}

int WideCharToMultiByte(UINT codePage, const wchar_t* text, int length, char* out, int outSize,
                        const char* defaultChar) {
    // The system refuses any default character for UTF-8, which represents everything anyway.
    const char* substitute = codePage == CP_UTF8 ? nullptr : defaultChar;
    return ::WideCharToMultiByte(codePage, 0, text, length, out, outSize, substitute, nullptr);
}

UINT GetACP() { return ::GetACP(); }

} // namespace plat
