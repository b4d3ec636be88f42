#include "Platform/Profile.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using testsupport::TempFolder;

// UTF-16LE bytes with a byte-order mark, as the install record is stored.
std::string Utf16File(const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        const auto unit = static_cast<unsigned>(c);
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>((unit >> 8) & 0xFF);
    }
    return bytes;
}

std::wstring Read(const std::wstring& path, const wchar_t* section, const wchar_t* key,
                  const wchar_t* fallback = L"") {
    wchar_t buffer[2048] = {};
    const plat::DWORD copied = plat::GetPrivateProfileString(section, key, fallback, buffer, 2048, path.c_str());
    EXPECT_EQ(copied, std::wstring(buffer).size());
    return buffer;
}

TEST(Profile, ReadsValuesAsTheSystemReaderDoes) {
    const struct {
        const char* what;
        std::wstring document;
        const wchar_t* section;
        const wchar_t* key;
        std::wstring value;
    } cases[] = {
        {"plain", L"[Install]\r\nUrl=http://127.0.0.1/p.exe\r\n", L"Install", L"Url", L"http://127.0.0.1/p.exe"},
        {"names in another case", L"[INSTALL]\r\nURL=a\r\n", L"Install", L"Url", L"a"},
        {"blanks around", L"  [Install]  \r\n  Size =   42  \r\n", L"Install", L"Size", L"42"},
        {"blank after the equals sign", L"[Install]\r\nSize= 42\r\n", L"Install", L"Size", L"42"},
        {"double quotes removed", L"[Install]\r\nVersion=\"1.0.15\"\r\n", L"Install", L"Version", L"1.0.15"},
        {"first of two keys", L"[Install]\r\nMd5=first\r\nMd5=second\r\n", L"Install", L"Md5", L"first"},
        {"other sections ignored", L"[Other]\r\nUrl=x\r\n[Install]\r\nUrl=y\r\n", L"Install", L"Url", L"y"},
        {"empty value", L"[Install]\r\nmurl=\r\n", L"Install", L"murl", L""},
        {"missing key gives the default", L"[Install]\r\n", L"Install", L"Md5", L"none"},
        {"missing section gives the default", L"Url=x\r\n", L"Install", L"Url", L"none"},
        {"unix line ends", L"[Install]\nUrl=u\nSize=7\n", L"Install", L"Size", L"7"},
        // The body's UTF-8 byte-order mark stays in the text: the first line is no section header.
        {"byte-order mark before the section", L"\xFEFF[Install]\r\nUrl=x\r\n", L"Install", L"Url", L"none"},
    };
    TempFolder temp;
    int n = 0;
    for (const auto& c : cases) {
        const std::wstring path = temp.WriteFile(L"case" + std::to_wstring(n++) + L".ini", Utf16File(c.document));
        EXPECT_EQ(Read(path, c.section, c.key, L"none"), c.value == L"none" ? L"none" : c.value) << c.what;
    }
}

TEST(Profile, CutsLongValuesToTheBuffer) {
    TempFolder temp;
    const std::wstring path = temp.WriteFile(L"long.ini", Utf16File(L"[Install]\r\nUrl=" + std::wstring(3000, L'x') + L"\r\n"));
    EXPECT_EQ(Read(path, L"Install", L"Url"), std::wstring(2047, L'x'));
}

TEST(Profile, ReadsAnsiFilesAndMissingFiles) {
    TempFolder temp;
    const std::wstring path = temp.WriteFile(L"ansi.ini", "[Install]\r\nVersion=2.0.1\r\n");
    EXPECT_EQ(Read(path, L"Install", L"Version"), L"2.0.1");
    EXPECT_EQ(Read(temp / L"missing.ini", L"Install", L"Version", L"dflt"), L"dflt");
}

} // namespace
