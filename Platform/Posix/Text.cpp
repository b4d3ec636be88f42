// Code-page conversions: UTF-8 by our own codec, the ANSI code pages through iconv.
#include "Platform/Text.h"

#include "Platform/Posix/MachineState.h"
#include "Platform/Posix/TestDesktop.h"
#include "Platform/Posix/Utf8.h"

#include <iconv.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>

namespace plat {
namespace {

constexpr UINT kDefaultAnsiCodePage = 936;
std::atomic<UINT> g_ansiCodePage{kDefaultAnsiCodePage};

const char* CharsetOf(UINT codePage) {
    switch (codePage) {
    case 936:
        return "CP936";
    case 1252:
        return "CP1252";
    default:
        return nullptr;
    }
}

bool IsSupported(UINT codePage) { return codePage == CP_UTF8 || CharsetOf(codePage) != nullptr; }

// Bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D of code page 1252 stand for the C1 control of that value.
bool IsCp1252Passthrough(UINT codePage, std::uint32_t value) {
    return codePage == 1252 &&
           (value == 0x81 || value == 0x8D || value == 0x8F || value == 0x90 || value == 0x9D);
}

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (Ok()) {
            iconv_close(cd_);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool Ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts from `in`, appending to `out`; stops at an input it cannot take. True at the end.
    template <typename Out> bool Run(const char*& in, std::size_t& inLeft, Out& out) {
        while (inLeft > 0) {
            char chunk[512];
            char* cursor = chunk;
            std::size_t room = sizeof chunk;
            auto* source = const_cast<char*>(in);
            const std::size_t result = iconv(cd_, &source, &inLeft, &cursor, &room);
            in = source;
            Append(out, chunk, static_cast<std::size_t>(cursor - chunk));
            if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
                iconv(cd_, nullptr, nullptr, nullptr, nullptr);
                return false;
            }
        }
        return true;
    }

private:
    static void Append(std::wstring& out, const char* bytes, std::size_t size) {
        std::size_t count = size / sizeof(wchar_t);
        for (std::size_t i = 0; i < count; ++i) {
            wchar_t unit;
            std::memcpy(&unit, bytes + i * sizeof(wchar_t), sizeof unit);
            out += unit;
        }
    }
    static void Append(std::string& out, const char* bytes, std::size_t size) { out.append(bytes, size); }

    iconv_t cd_;
};

std::wstring DecodeCodePage(UINT codePage, const char* text, std::size_t length) {
    if (codePage == CP_UTF8) {
        return posix::DecodeUtf8(text, length);
    }
    std::wstring out;
    Converter converter("WCHAR_T", CharsetOf(codePage));
    if (!converter.Ok()) {
        return out;
    }
    while (!converter.Run(text, length, out)) {
        const auto byte = static_cast<unsigned char>(*text);
        out += IsCp1252Passthrough(codePage, byte) ? wchar_t(byte) : L'?';
        ++text;
        --length;
    }
    return out;
}

std::string EncodeCodePage(UINT codePage, const wchar_t* text, std::size_t length, char substitute) {
    if (codePage == CP_UTF8) {
        return posix::EncodeUtf8(text, length);
    }
    std::string out;
    Converter converter(CharsetOf(codePage), "WCHAR_T");
    if (!converter.Ok()) {
        return out;
    }
    const char* in = reinterpret_cast<const char*>(text);
    std::size_t inLeft = length * sizeof(wchar_t);
    while (!converter.Run(in, inLeft, out)) {
        wchar_t unit;
        std::memcpy(&unit, in, sizeof unit);
        const auto value = static_cast<std::uint32_t>(unit);
        out += IsCp1252Passthrough(codePage, value) ? char(value) : substitute;
        in += sizeof(wchar_t);
        inLeft -= sizeof(wchar_t);
    }
    return out;
}

// Copies a converted text out, or reports the size needed when outSize is 0.
template <typename Char>
int Deliver(const std::basic_string<Char>& converted, Char* out, int outSize) {
    const int needed = static_cast<int>(converted.size());
    if (outSize == 0) {
        return needed;
    }
    if (needed > outSize) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(out, converted.data(), converted.size() * sizeof(Char));
    return needed;
}

template <typename In, typename Out>
bool ValidArguments(const In* text, int length, const Out* out, int outSize) {
    if (text == nullptr || length == 0 || length < -1 || outSize < 0 || (outSize > 0 && out == nullptr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    return true;
}

UINT ResolveCodePage(UINT codePage) { return codePage == CP_ACP ? g_ansiCodePage.load() : codePage; }

} // namespace

int MultiByteToWideChar(UINT codePage, const char* text, int length, wchar_t* out, int outSize) {
    const UINT resolved = ResolveCodePage(codePage);
    if (!ValidArguments(text, length, out, outSize) || !IsSupported(resolved)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::size_t size = length < 0 ? std::strlen(text) + 1 : static_cast<std::size_t>(length);
    return Deliver(DecodeCodePage(resolved, text, size), out, outSize);
}

int WideCharToMultiByte(UINT codePage, const wchar_t* text, int length, char* out, int outSize,
                        const char* defaultChar) {
    const UINT resolved = ResolveCodePage(codePage);
    // The system refuses a default character for an explicit UTF-8 conversion.
    if (!ValidArguments(text, length, out, outSize) || !IsSupported(resolved) ||
        (codePage == CP_UTF8 && defaultChar != nullptr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::size_t size = length < 0 ? std::wcslen(text) + 1 : static_cast<std::size_t>(length);
    const char substitute = defaultChar != nullptr ? *defaultChar : '?';
    return Deliver(EncodeCodePage(resolved, text, size, substitute), out, outSize);
}

UINT GetACP() { return g_ansiCodePage.load(); }

namespace posix {
void ResetText() { g_ansiCodePage = kDefaultAnsiCodePage; }
} // namespace posix

namespace test {
void SetAnsiCodePage(UINT codePage) {
    if (IsSupported(codePage)) {
        g_ansiCodePage = codePage;
    }
}
} // namespace test

} // namespace plat
