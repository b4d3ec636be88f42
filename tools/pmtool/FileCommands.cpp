#include "Platform/File.h"
#include "Runtime/CommonUtils.h"
#include "Updater/MD5.h"
#include "tools/pmtool/Commands.h"

#include <cstdint>
#include <cstdio>
#include <cwchar>

namespace pmtool {

namespace {

constexpr int kFailed = 1;
constexpr int kUsageError = 2;
// A large stdio buffer keeps the 1 KiB reads of the digest from turning into small system reads.
constexpr std::size_t kReadBuffer = 1 << 20;

bool ParseUnsigned64(const std::wstring& text, std::uint64_t* value) {
    if (text.empty() || text.size() > 20) {
        return false;
    }
    std::uint64_t result = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') {
            return false;
        }
        const std::uint64_t digit = static_cast<std::uint64_t>(c - L'0');
        if (result > (UINT64_MAX - digit) / 10) {
            return false;
        }
        result = result * 10 + digit;
    }
    *value = result;
    return true;
}

} // namespace

int RunMd5(const Args& args) {
    if (args.size() != 1) {
        PrintErr(L"usage: pmtool md5 FILE");
        return kUsageError;
    }
    const std::wstring& path = args[0];
    std::FILE* file = plat::IsDirectory(path.c_str()) ? nullptr : plat::OpenCrtFile(path.c_str(), L"rb");
    if (!file) {
        PrintErr(L"pmtool: cannot open " + path);
        return kFailed;
    }
    std::setvbuf(file, nullptr, _IOFBF, kReadBuffer);
    MD5 md5(file);
    if (md5.readFailed()) {
        PrintErr(L"pmtool: cannot read " + path);
        return kFailed;
    }
    std::printf("%s\n", md5.hex_digest());
    return 0;
}

int RunSize(const Args& args) {
    std::uint64_t bytes = 0;
    if (args.size() != 1 || !ParseUnsigned64(args[0], &bytes)) {
        PrintErr(L"usage: pmtool size BYTES (a whole number of bytes)");
        return kUsageError;
    }
    PrintOut(FormatSize(bytes));
    return 0;
}

} // namespace pmtool
