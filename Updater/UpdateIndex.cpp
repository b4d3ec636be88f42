#include "Updater/UpdateIndex.h"

#include "Platform/File.h"
#include "Platform/Profile.h"
#include "Runtime/CommonUtils.h"
#include "Runtime/FileEx.h"
#include "Runtime/FormatString.h"
#include "Runtime/Utf16Text.h"

#include <cwctype>
#include <limits>

// Set by the build (PM_UPDATE_INDEX_PRIMARY / PM_UPDATE_INDEX_SECONDARY cache variables).
#ifndef PM_UPDATE_INDEX_PRIMARY
#error "PM_UPDATE_INDEX_PRIMARY must be defined by the build"
#endif
#ifndef PM_UPDATE_INDEX_SECONDARY
#error "PM_UPDATE_INDEX_SECONDARY must be defined by the build"
#endif

namespace {

constexpr unsigned kRecordMode = 37025;  // write, deny writing, not inherited, create and truncate
constexpr plat::DWORD kValueChars = 2048;
constexpr const wchar_t* kSection = L"Install";

std::vector<std::wstring>& Addresses() {
    static auto* addresses = new std::vector<std::wstring>{PM_UPDATE_INDEX_PRIMARY, PM_UPDATE_INDEX_SECONDARY};
    return *addresses;
}

bool IsFileNameCharacter(wchar_t c) {
    if (c < 0x20) {
        return false;
    }
    switch (c) {
    case L'\\': case L'/': case L':': case L'*': case L'?': case L'"': case L'<': case L'>': case L'|':
        return false;
    default:
        return true;
    }
}

std::wstring ReadValue(const std::wstring& recordPath, const wchar_t* key) {
    wchar_t buffer[kValueChars] = {};
    plat::GetPrivateProfileString(kSection, key, L"", buffer, kValueChars, recordPath.c_str());
    return buffer;
}

} // namespace

std::vector<std::wstring> UpdateIndexAddresses() { return Addresses(); }

void SetUpdateIndexAddresses(const std::vector<std::wstring>& addresses) { Addresses() = addresses; }

std::wstring RecordPathFor(const std::wstring& downloadDir) {
    return FormatString(L"%s\\%s", downloadDir, L"pminstall.ini");
}

std::wstring InstallerPathFor(const std::wstring& downloadDir) {
    return FormatString(L"%s\\%s", downloadDir, L"pminstaller.exe");
}

std::wstring TmpPathFor(const std::wstring& installerPath, const std::wstring& version) {
    std::wstring safeVersion = version;
    for (wchar_t& c : safeVersion) {
        if (!IsFileNameCharacter(c)) {
            c = L'_';
        }
    }
    return FormatString(L"%s_%s.tmp", TextBeforeLast(installerPath, L"."), safeVersion);
}

bool StoreInstallRecord(const std::wstring& recordPath, const std::wstring& text) {
    CFileEx file;
    CFileExException error;
    if (!file.Open(recordPath.c_str(), kRecordMode, &error)) {
        return false;
    }
    try {
        static const unsigned char kByteOrderMark[] = {0xFF, 0xFE};
        const std::string bytes = WideToUtf16LeBytes(text);
        file.Seek(0, plat::FILE_BEGIN);
        file.Write(kByteOrderMark, sizeof kByteOrderMark);
        file.Write(bytes.data(), static_cast<unsigned>(bytes.size()));
        file.Flush();
        file.Close();
        return true;
    } catch (const CFileExException&) {
        file.Abort();
        return false;
    }
}

PackageRecord ReadPackageRecord(const std::wstring& recordPath) {
    PackageRecord record;
    record.url = ReadValue(recordPath, L"Url");
    record.backupUrls = ReadValue(recordPath, L"murl");
    record.sizeText = ReadValue(recordPath, L"Size");
    record.md5 = ReadValue(recordPath, L"Md5");
    record.version = ReadValue(recordPath, L"Version");
    return record;
}

std::int64_t ParseExpectedSize(const std::wstring& sizeText) {
    std::size_t at = 0;
    while (at < sizeText.size() && std::iswspace(static_cast<wint_t>(sizeText[at]))) {
        ++at;
    }
    bool negative = false;
    if (at < sizeText.size() && (sizeText[at] == L'+' || sizeText[at] == L'-')) {
        negative = sizeText[at] == L'-';
        ++at;
    }
    constexpr std::uint64_t kMaxMagnitude = std::uint64_t(std::numeric_limits<std::int64_t>::max());
    const std::uint64_t limit = negative ? kMaxMagnitude + 1 : kMaxMagnitude;
    std::uint64_t magnitude = 0;
    for (; at < sizeText.size() && sizeText[at] >= L'0' && sizeText[at] <= L'9'; ++at) {
        const auto digit = static_cast<std::uint64_t>(sizeText[at] - L'0');
        magnitude = magnitude > (limit - digit) / 10 ? limit : magnitude * 10 + digit;
    }
    if (negative) {
        return magnitude == kMaxMagnitude + 1 ? std::numeric_limits<std::int64_t>::min()
                                              : -static_cast<std::int64_t>(magnitude);
    }
    return static_cast<std::int64_t>(magnitude);
}
