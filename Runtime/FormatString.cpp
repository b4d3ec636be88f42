#include "Runtime/FormatString.h"

#include "Runtime/TextConv.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

FormatArg::FormatArg(const wchar_t* text) noexcept : kind_(Kind::Wide), data_(text) {
    length_ = text ? std::char_traits<wchar_t>::length(text) : 0;
}

FormatArg::FormatArg(std::wstring_view text) noexcept
    : kind_(Kind::Wide), data_(text.data() ? text.data() : L""), length_(text.size()) {}

FormatArg::FormatArg(const char* text) noexcept : kind_(Kind::Narrow), data_(text) {
    length_ = text ? std::strlen(text) : 0;
}

FormatArg::FormatArg(std::string_view text) noexcept
    : kind_(Kind::Narrow), data_(text.data() ? text.data() : ""), length_(text.size()) {}

FormatArg::FormatArg(const void* pointer) noexcept
    : kind_(Kind::Pointer), bits_(reinterpret_cast<std::uintptr_t>(pointer)) {}

std::uint64_t FormatArg::Bits() const {
    if (kind_ != Kind::Real) {
        return bits_;
    }
    // Truncates toward zero like a C cast; values no integer can hold read as 0.
    if (!std::isfinite(real_) || std::fabs(real_) >= 9.2e18) {
        return 0;
    }
    return static_cast<std::uint64_t>(static_cast<std::int64_t>(real_));
}

double FormatArg::Real() const {
    switch (kind_) {
    case Kind::Real:
        return real_;
    case Kind::Signed:
        return static_cast<double>(static_cast<std::int64_t>(bits_));
    default:
        return static_cast<double>(bits_);
    }
}

std::wstring FormatArg::Text() const {
    if (data_ == nullptr) {
        return L"(null)";
    }
    if (kind_ == Kind::Wide) {
        return std::wstring(static_cast<const wchar_t*>(data_), length_);
    }
    return AnsiToWide(std::string(static_cast<const char*>(data_), length_));
}

namespace {

constexpr int kMaxWidth = 1 << 20;

struct Field {
    bool left = false;
    bool plus = false;
    bool space = false;
    bool zero = false;
    bool alternate = false;
    int width = 0;
    int precision = -1;
    int bits = 32;
    wchar_t conversion = 0;
};

class Formatter {
public:
    Formatter(std::wstring& out, FormatArgs args) : out_(out), args_(args) {}

    void Run(const wchar_t* format);

private:
    const FormatArg* Next() { return next_ < args_.size() ? &args_[next_++] : nullptr; }
    int NextInt();

    const wchar_t* ParseFlags(const wchar_t* p, Field& field);
    const wchar_t* ParseWidth(const wchar_t* p, Field& field);
    const wchar_t* ParsePrecision(const wchar_t* p, Field& field);
    static const wchar_t* ParseLength(const wchar_t* p, Field& field);

    void Convert(const Field& field);
    void Integer(const Field& field, const FormatArg& arg);
    void Character(const Field& field, const FormatArg& arg);
    void Text(const Field& field, const FormatArg& arg);
    void Pointer(const Field& field, const FormatArg& arg);
    void Real(const Field& field, const FormatArg& arg);
    void Pad(const Field& field, std::wstring_view prefix, std::wstring_view body, bool zeroFill);

    std::wstring& out_;
    FormatArgs args_;
    std::size_t next_ = 0;
};

int ReadNumber(const wchar_t*& p) {
    int value = 0;
    for (; *p >= L'0' && *p <= L'9'; ++p) {
        if (value < kMaxWidth) {
            value = value * 10 + (*p - L'0');
        }
    }
    return value < kMaxWidth ? value : kMaxWidth;
}

bool IsSignedConversion(wchar_t c) {
    return c == L'd' || c == L'i';
}

bool IsUnsignedConversion(wchar_t c) {
    return c == L'u' || c == L'x' || c == L'X' || c == L'o';
}

// The argument as the integer type the length modifier names.
std::uint64_t Narrowed(std::uint64_t raw, int bits, bool isSigned) {
    if (bits >= 64) {
        return raw;
    }
    const std::uint64_t mask = (std::uint64_t(1) << bits) - 1;
    std::uint64_t value = raw & mask;
    const std::uint64_t signBit = std::uint64_t(1) << (bits - 1);
    if (isSigned && (value & signBit) != 0) {
        value |= ~mask;
    }
    return value;
}

std::wstring Digits(std::uint64_t magnitude, unsigned base, bool upper, int precision) {
    const wchar_t* symbols = upper ? L"0123456789ABCDEF" : L"0123456789abcdef";
    std::wstring digits;
    while (magnitude != 0) {
        digits.insert(digits.begin(), symbols[magnitude % base]);
        magnitude /= base;
    }
    const std::size_t minimum = precision < 0 ? 1 : static_cast<std::size_t>(precision);
    if (digits.size() < minimum) {
        digits.insert(0, minimum - digits.size(), L'0');
    }
    return digits;
}

void Formatter::Run(const wchar_t* format) {
    const wchar_t* p = format;
    while (*p != L'\0') {
        if (*p != L'%') {
            const wchar_t* run = p;
            while (*p != L'\0' && *p != L'%') {
                ++p;
            }
            out_.append(run, static_cast<std::size_t>(p - run));
            continue;
        }
        const wchar_t* start = p++;
        Field field;
        p = ParseFlags(p, field);
        p = ParseWidth(p, field);
        p = ParsePrecision(p, field);
        p = ParseLength(p, field);
        if (*p == L'\0') {
            out_.append(start);
            return;
        }
        field.conversion = *p++;
        if (std::wstring_view(L"diuxXocCsSpeEfFgGn%").find(field.conversion) == std::wstring_view::npos) {
            out_.append(start, static_cast<std::size_t>(p - start));
            continue;
        }
        Convert(field);
    }
}

int Formatter::NextInt() {
    const FormatArg* arg = Next();
    if (arg == nullptr || arg->IsText()) {
        return 0;
    }
    const auto value = static_cast<std::int64_t>(arg->Bits());
    return value > kMaxWidth ? kMaxWidth : (value < -kMaxWidth ? -kMaxWidth : static_cast<int>(value));
}

const wchar_t* Formatter::ParseFlags(const wchar_t* p, Field& field) {
    for (;; ++p) {
        switch (*p) {
        case L'-':
            field.left = true;
            break;
        case L'+':
            field.plus = true;
            break;
        case L' ':
            field.space = true;
            break;
        case L'0':
            field.zero = true;
            break;
        case L'#':
            field.alternate = true;
            break;
        default:
            return p;
        }
    }
}

const wchar_t* Formatter::ParseWidth(const wchar_t* p, Field& field) {
    if (*p != L'*') {
        field.width = ReadNumber(p);
        return p;
    }
    const int width = NextInt();
    field.left = field.left || width < 0;
    field.width = width < 0 ? -width : width;
    return p + 1;
}

const wchar_t* Formatter::ParsePrecision(const wchar_t* p, Field& field) {
    if (*p != L'.') {
        return p;
    }
    ++p;
    if (*p != L'*') {
        field.precision = ReadNumber(p);
        return p;
    }
    const int precision = NextInt();
    field.precision = precision < 0 ? -1 : precision;
    return p + 1;
}

const wchar_t* Formatter::ParseLength(const wchar_t* p, Field& field) {
    std::wstring_view rest(p);
    if (rest.starts_with(L"I64")) {
        field.bits = 64;
        return p + 3;
    }
    if (rest.starts_with(L"I32")) {
        return p + 3;
    }
    if (rest.starts_with(L"hh")) {
        field.bits = 8;
        return p + 2;
    }
    if (rest.starts_with(L"ll")) {
        field.bits = 64;
        return p + 2;
    }
    switch (*p) {
    case L'h':
        field.bits = 16;
        return p + 1;
    case L'l':
    case L'w':
        return p + 1;
    case L'L':
    case L'q':
    case L'j':
    case L'z':
    case L't':
    case L'I':
        field.bits = 64;
        return p + 1;
    default:
        return p;
    }
}

void Formatter::Convert(const Field& field) {
    const wchar_t c = field.conversion;
    if (c == L'%') {
        out_ += L'%';
        return;
    }
    const FormatArg* arg = Next();
    if (arg == nullptr || c == L'n') {
        return;
    }
    if (c == L's' || c == L'S' || arg->IsText()) {
        Text(field, *arg);
    } else if (IsSignedConversion(c) || IsUnsignedConversion(c)) {
        Integer(field, *arg);
    } else if (c == L'c' || c == L'C') {
        Character(field, *arg);
    } else if (c == L'p') {
        Pointer(field, *arg);
    } else {
        Real(field, *arg);
    }
}

void Formatter::Integer(const Field& field, const FormatArg& arg) {
    const wchar_t c = field.conversion;
    const bool isSigned = IsSignedConversion(c);
    const std::uint64_t value = Narrowed(arg.Bits(), field.bits, isSigned);
    const bool negative = isSigned && static_cast<std::int64_t>(value) < 0;
    const std::uint64_t magnitude = negative ? std::uint64_t(0) - value : value;
    const unsigned base = (c == L'x' || c == L'X') ? 16 : (c == L'o' ? 8 : 10);
    std::wstring digits = Digits(magnitude, base, c == L'X', field.precision);
    if (field.precision == 0 && magnitude == 0) {
        digits.clear();
    }
    std::wstring prefix;
    if (negative) {
        prefix = L"-";
    } else if (isSigned && field.plus) {
        prefix = L"+";
    } else if (isSigned && field.space) {
        prefix = L" ";
    }
    if (field.alternate && base == 16 && magnitude != 0) {
        prefix = c == L'X' ? L"0X" : L"0x";
    }
    if (field.alternate && base == 8 && (digits.empty() || digits.front() != L'0')) {
        digits.insert(digits.begin(), L'0');
    }
    Pad(field, prefix, digits, field.precision < 0);
}

void Formatter::Character(const Field& field, const FormatArg& arg) {
    const auto code = static_cast<std::int64_t>(arg.Bits());
    // A negative value is a narrow char above 0x7F that was sign-extended.
    const wchar_t ch = static_cast<wchar_t>(code < 0 ? (code & 0xFF) : code);
    Pad(field, {}, std::wstring_view(&ch, 1), false);
}

void Formatter::Text(const Field& field, const FormatArg& arg) {
    std::wstring text;
    switch (arg.kind()) {
    case FormatArg::Kind::Wide:
    case FormatArg::Kind::Narrow:
        text = arg.Text();
        break;
    case FormatArg::Kind::Signed:
        text = std::to_wstring(static_cast<std::int64_t>(arg.Bits()));
        break;
    case FormatArg::Kind::Unsigned:
        text = std::to_wstring(arg.Bits());
        break;
    case FormatArg::Kind::Pointer:
        text = Digits(arg.Bits(), 16, true, static_cast<int>(2 * sizeof(void*)));
        break;
    case FormatArg::Kind::Real: {
        Field general = field;
        general.conversion = L'g';
        Real(general, arg);
        return;
    }
    }
    if (field.precision >= 0 && text.size() > static_cast<std::size_t>(field.precision)) {
        text.resize(static_cast<std::size_t>(field.precision));
    }
    Pad(field, {}, text, false);
}

void Formatter::Pointer(const Field& field, const FormatArg& arg) {
    Pad(field, {}, Digits(arg.Bits(), 16, true, static_cast<int>(2 * sizeof(void*))), false);
}

void Formatter::Real(const Field& field, const FormatArg& arg) {
    const wchar_t c = field.conversion;
    const double value = arg.Real();
    const int precision = field.precision < 0 ? 6 : (field.precision > 4096 ? 4096 : field.precision);
    const std::chars_format style = (c == L'e' || c == L'E')   ? std::chars_format::scientific
                                    : (c == L'f' || c == L'F') ? std::chars_format::fixed
                                                               : std::chars_format::general;
    std::string buffer(static_cast<std::size_t>(precision) + 400, '\0');
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, style, precision);
    if (result.ec != std::errc()) {
        return;
    }
    const bool upper = c == L'E' || c == L'F' || c == L'G';
    std::wstring body;
    for (const char* q = buffer.data(); q != result.ptr; ++q) {
        const char ch = upper && *q >= 'a' && *q <= 'z' ? static_cast<char>(*q - 'a' + 'A') : *q;
        body += static_cast<wchar_t>(ch);
    }
    std::wstring prefix;
    if (!body.empty() && body.front() == L'-') {
        prefix = L"-";
        body.erase(0, 1);
    } else if (field.plus) {
        prefix = L"+";
    } else if (field.space) {
        prefix = L" ";
    }
    Pad(field, prefix, body, std::isfinite(value));
}

void Formatter::Pad(const Field& field, std::wstring_view prefix, std::wstring_view body, bool zeroFill) {
    const std::size_t length = prefix.size() + body.size();
    const std::size_t width = static_cast<std::size_t>(field.width);
    const std::size_t fill = width > length ? width - length : 0;
    if (field.left) {
        out_.append(prefix).append(body).append(fill, L' ');
    } else if (field.zero && zeroFill) {
        out_.append(prefix).append(fill, L'0').append(body);
    } else {
        out_.append(fill, L' ').append(prefix).append(body);
    }
}

} // namespace

void AppendFormatted(std::wstring& out, const wchar_t* format, FormatArgs args) {
    if (format != nullptr) {
        Formatter(out, args).Run(format);
    }
}

std::wstring FormatStringArgs(const wchar_t* format, FormatArgs args) {
    std::wstring out;
    AppendFormatted(out, format, args);
    return out;
}
