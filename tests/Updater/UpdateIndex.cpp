#include "Updater/UpdateIndex.h"

#include "Platform/File.h"
#include "Platform/Thread.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

using testsupport::TempFolder;

TEST(UpdateIndex, DerivedFileNames) {
    const std::wstring installer = InstallerPathFor(L"D:\\Games");
    EXPECT_EQ(installer, L"D:\\Games\\pminstaller.exe");
    EXPECT_EQ(RecordPathFor(L"D:\\Games"), L"D:\\Games\\pminstall.ini");
    const struct {
        const wchar_t* version;
        const wchar_t* tmpPath;
    } cases[] = {
        {L"1.0.15", L"D:\\Games\\pminstaller_1.0.15.tmp"},
        {L"", L"D:\\Games\\pminstaller_.tmp"},
        {L"2.0 beta", L"D:\\Games\\pminstaller_2.0 beta.tmp"},
        // Versions that would leave the folder stay a plain name inside it.
        {L"..\\..\\Windows\\evil", L"D:\\Games\\pminstaller_.._.._Windows_evil.tmp"},
        {L"../x", L"D:\\Games\\pminstaller_.._x.tmp"},
        {L"C:\\x", L"D:\\Games\\pminstaller_C__x.tmp"},
        {L"a*b?c\"d<e>f|g", L"D:\\Games\\pminstaller_a_b_c_d_e_f_g.tmp"},
        {L"tab\tnul", L"D:\\Games\\pminstaller_tab_nul.tmp"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TmpPathFor(installer, c.version), c.tmpPath) << testing::PrintToString(std::wstring(c.version));
    }
}

TEST(UpdateIndex, ExpectedSizeParsing) {
    const struct {
        const wchar_t* text;
        std::int64_t size;
    } cases[] = {
        {L"42", 42},         {L" 42", 42},      {L"\t+42x", 42},
        {L"abc", 0},         {L"", 0},          {L"-5", -5},
        {L"12 34", 12},      {L"9223372036854775807", INT64_MAX},
        {L"99999999999999999999", INT64_MAX},   {L"-99999999999999999999", INT64_MIN},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseExpectedSize(c.text), c.size) << testing::PrintToString(std::wstring(c.text));
    }
}

TEST(UpdateIndex, StoresTheDocumentAsUtf16AndReadsThePackageRecordBack) {
    TempFolder temp;
    const std::wstring record = RecordPathFor(temp.Path());
    const std::wstring document = L"[Install]\r\nURL=http://127.0.0.1:8080/pminstaller.exe\r\n"
                                  L"MURL=http://127.0.0.2:8080/a.exe;http://127.0.0.3:8080/b.exe\r\n"
                                  L"size= 42\r\nmd5=D41D8CD98F00B204E9800998ECF8427E\r\nversion=1.0.15\r\n";
    ASSERT_TRUE(StoreInstallRecord(record, document));
    const std::string bytes = TempFolder::ReadFile(record);
    ASSERT_EQ(bytes.size(), 2 + 2 * document.size());
    EXPECT_EQ(bytes.substr(0, 4), std::string("\xFF\xFE[\0", 4));

    const PackageRecord package = ReadPackageRecord(record);
    EXPECT_EQ(package.url, L"http://127.0.0.1:8080/pminstaller.exe");
    EXPECT_EQ(package.backupUrls, L"http://127.0.0.2:8080/a.exe;http://127.0.0.3:8080/b.exe");
    EXPECT_EQ(package.sizeText, L"42");
    EXPECT_EQ(ParseExpectedSize(package.sizeText), 42);
    EXPECT_EQ(package.md5, L"D41D8CD98F00B204E9800998ECF8427E");
    EXPECT_EQ(package.version, L"1.0.15");
}

TEST(UpdateIndex, RecordEdgeCases) {
    TempFolder temp;
    const std::wstring record = RecordPathFor(temp.Path());

    // A body that carried a UTF-8 byte-order mark: FF FE FF FE, and no section is found.
    ASSERT_TRUE(StoreInstallRecord(record, L"\xFEFF[Install]\r\nUrl=x\r\nVersion=1\r\n"));
    EXPECT_EQ(TempFolder::ReadFile(record).substr(0, 4), "\xFF\xFE\xFF\xFE");
    EXPECT_EQ(ReadPackageRecord(record).url, L"");
    EXPECT_EQ(ReadPackageRecord(record).version, L"");

    // An empty body rewrites the record to the mark alone.
    ASSERT_TRUE(StoreInstallRecord(record, L""));
    EXPECT_EQ(TempFolder::ReadFile(record), "\xFF\xFE");
    const PackageRecord empty = ReadPackageRecord(record);
    EXPECT_EQ(empty.url + empty.backupUrls + empty.sizeText + empty.md5 + empty.version, L"");

    // A 3,000-character value is read as its first 2,047 characters.
    ASSERT_TRUE(StoreInstallRecord(record, L"[Install]\r\nmurl=" + std::wstring(3000, L'u') + L"\r\n"));
    EXPECT_EQ(ReadPackageRecord(record).backupUrls, std::wstring(2047, L'u'));
}

TEST(UpdateIndex, ALockedRecordKeepsTheOlderOneReadable) {
    TempFolder temp;
    const std::wstring record = RecordPathFor(temp.Path());
    ASSERT_TRUE(StoreInstallRecord(record, L"[Install]\r\nVersion=old\r\n"));
    plat::HANDLE locked = plat::CreateFile(record.c_str(), plat::GENERIC_READ, plat::FILE_SHARE_READ, false,
                                           plat::OPEN_EXISTING);
    ASSERT_NE(locked, plat::INVALID_HANDLE_VALUE);
    EXPECT_FALSE(StoreInstallRecord(record, L"[Install]\r\nVersion=new\r\n"));
    EXPECT_EQ(ReadPackageRecord(record).version, L"old");
    plat::CloseHandle(locked);
}

} // namespace
