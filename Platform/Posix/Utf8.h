// Internal to the POSIX backend: UTF-8 with the system's substitution rules (wchar_t is UTF-32).
#pragma once

#include <cstddef>
#include <string>

namespace plat::posix {

// Each maximal invalid subpart of the input becomes U+FFFD.
std::wstring DecodeUtf8(const char* text, std::size_t length);
// A surrogate pair is joined; an unpaired surrogate or a value past U+10FFFF becomes U+FFFD.
std::string EncodeUtf8(const wchar_t* text, std::size_t length);

inline std::wstring FromUtf8(const std::string& text) { return DecodeUtf8(text.data(), text.size()); }
inline std::string ToUtf8(const std::wstring& text) { return EncodeUtf8(text.data(), text.size()); }

} // namespace plat::posix
