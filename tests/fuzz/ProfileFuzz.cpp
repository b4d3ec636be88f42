// The profile reader over arbitrary file bytes: decoding and lookup stay inside the text, and a
// value found is never longer than the text it came from.
#include "Platform/Posix/ProfileText.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::wstring text = plat::posix::DecodeProfileBytes(bytes);
    static const wchar_t* const kKeys[] = {L"Url", L"murl", L"Size", L"Md5", L"Version", L""};
    for (const wchar_t* key : kKeys) {
        std::wstring value;
        if (plat::posix::FindProfileValue(text, L"Install", key, &value) && value.size() > text.size()) {
            std::abort();
        }
    }
    return 0;
}
