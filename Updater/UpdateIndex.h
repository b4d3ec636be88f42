// The update index and the install record: where the index comes from, how the fetched document
// is kept as "pminstall.ini" and read back, and the file names derived from it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The package facts of section "Install".
struct PackageRecord {
    std::wstring url;         // "Url"
    std::wstring backupUrls;  // "murl"
    std::wstring sizeText;    // "Size"
    std::wstring md5;         // "Md5"
    std::wstring version;     // "Version"
};

// The two update-index addresses, primary first. Built in; tools and tests replace them.
std::vector<std::wstring> UpdateIndexAddresses();
void SetUpdateIndexAddresses(const std::vector<std::wstring>& addresses);

std::wstring RecordPathFor(const std::wstring& downloadDir);
std::wstring InstallerPathFor(const std::wstring& downloadDir);
// installerPath without its extension, then "_" + version + ".tmp". Characters that cannot stand
// in a file name (separators, drive colons, wildcards, controls) become "_", so no version text
// can point the download outside the folder.
std::wstring TmpPathFor(const std::wstring& installerPath, const std::wstring& version);

// Writes FF FE and the text as UTF-16LE, replacing the file. False when nothing could be written.
bool StoreInstallRecord(const std::wstring& recordPath, const std::wstring& text);
// The five values, each "" when the file, section or key is missing; cut to 2,047 characters.
PackageRecord ReadPackageRecord(const std::wstring& recordPath);

// The size text as a signed 64-bit decimal: leading blanks and a sign accepted, reading stops at
// the first other character, no digits give 0, overflow saturates.
std::int64_t ParseExpectedSize(const std::wstring& sizeText);
