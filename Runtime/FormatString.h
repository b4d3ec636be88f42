// Type-safe printf-style formatting into wide strings, identical on every target.
//
// Conversions: %d %i %u %x %X %o %c %s %S %p %e %E %f %F %g %G %n %% with the flags "-+ 0#",
// width and precision (digits or *), and the length modifiers h hh l ll L q j z t w I I32 I64.
// Integers are converted at the width the modifier names, as C does for an argument of that
// type: none, l and I32 are 32 bits (long is 32 bits on the product's target), h 16, hh 8, and
// ll, I64, q, L, j, z, t, I 64. The argument's type decides how text is read: wide strings
// (const wchar_t*, std::wstring) and narrow strings in the ANSI code page (const char*,
// std::string) both fit %s, %S, %hs, %ls and %ws. A string given to a numeric conversion prints
// as text, a number given to %s prints in decimal, and a conversion without an argument prints
// nothing. %p prints the address in upper-case hex at the pointer's full width; reals print as
// C99 does ("1e-05", "inf"). %n consumes its argument and writes nothing.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

class FormatArg {
public:
    enum class Kind : std::uint8_t { Signed, Unsigned, Real, Wide, Narrow, Pointer };

    template <typename T>
    requires(std::is_integral_v<T> || std::is_enum_v<T>) FormatArg(T value)
    noexcept // NOLINT(google-explicit-constructor)
    {
        if constexpr (std::is_enum_v<T>) {
            using Underlying = std::underlying_type_t<T>;
            Store(static_cast<Underlying>(value));
        } else {
            Store(value);
        }
    }
    FormatArg(double value) noexcept : kind_(Kind::Real), real_(value) {}
    FormatArg(const wchar_t* text) noexcept;
    FormatArg(const std::wstring& text) noexcept : FormatArg(std::wstring_view(text)) {}
    FormatArg(std::wstring_view text) noexcept;
    FormatArg(const char* text) noexcept;
    FormatArg(const std::string& text) noexcept : FormatArg(std::string_view(text)) {}
    FormatArg(std::string_view text) noexcept;
    FormatArg(const void* pointer) noexcept;
    FormatArg(std::nullptr_t) noexcept : FormatArg(static_cast<const void*>(nullptr)) {}

    Kind kind() const { return kind_; }
    bool IsText() const { return kind_ == Kind::Wide || kind_ == Kind::Narrow; }
    // The value as 64 bits (two's complement for signed values, the address for pointers).
    std::uint64_t Bits() const;
    double Real() const;
    // Wide or narrow text; a null pointer string reads as "(null)".
    std::wstring Text() const;

private:
    template <typename T> void Store(T value) {
        if constexpr (std::is_signed_v<T>) {
            kind_ = Kind::Signed;
            bits_ = static_cast<std::uint64_t>(static_cast<std::int64_t>(value));
        } else {
            kind_ = Kind::Unsigned;
            bits_ = static_cast<std::uint64_t>(value);
        }
    }

    Kind kind_ = Kind::Signed;
    std::uint64_t bits_ = 0;
    double real_ = 0.0;
    const void* data_ = nullptr;
    std::size_t length_ = 0;
};

using FormatArgs = std::span<const FormatArg>;

// Appends the expansion of format to out; a null format appends nothing.
void AppendFormatted(std::wstring& out, const wchar_t* format, FormatArgs args);

std::wstring FormatStringArgs(const wchar_t* format, FormatArgs args);

template <typename... Args> std::wstring FormatString(const wchar_t* format, const Args&... args) {
    const std::array<FormatArg, sizeof...(Args)> list{FormatArg(args)...};
    return FormatStringArgs(format, list);
}
