#include "Toolkit/Render/SkinArchive.h"

#include "Platform/Text.h"
#include "Toolkit/Markup/XmlDocument.h"
#include "tests/support/TempFolder.h"
#include "tests/support/ZipWriter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace SkinUI {
namespace {

using testsupport::MakeZip;
using testsupport::TZipEntry;

constexpr std::size_t kLimit = CSkinArchive::kMaxFileSize;

// What one read gave: the bytes as text, or the error text.
struct TRead {
    bool ok = false;
    std::string bytes;
    std::wstring error;
};

struct SkinArchiveTest : ::testing::Test {
    TRead Read(std::wstring_view name)
    {
        std::vector<unsigned char> bytes;
        TRead result;
        result.ok = archive.ReadSkinFile(name, bytes, result.error);
        result.bytes.assign(bytes.begin(), bytes.end());
        return result;
    }

    void UseMemory(const std::string& zip)
    {
        archive.SetResourceZip(reinterpret_cast<const unsigned char*>(zip.data()), zip.size());
    }

    void ExpectError(std::wstring_view name, const wchar_t* error)
    {
        const TRead read = Read(name);
        EXPECT_FALSE(read.ok) << "read of " << std::string(name.begin(), name.end());
        EXPECT_EQ(read.error, error) << "read of " << std::string(name.begin(), name.end());
    }

    testsupport::TempFolder folder;
    CSkinArchive archive;
};

TEST_F(SkinArchiveTest, ResourcePathGainsOneTrailingSeparator)
{
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"C:\\skin", L"C:\\skin\\"}, {L"C:\\skin\\", L"C:\\skin\\"}, {L"skin/", L"skin/"}, {L"", L""}};
    for (const auto& [path, expected] : cases) {
        archive.SetResourcePath(path);
        EXPECT_EQ(archive.GetResourcePath(), expected);
    }
}

TEST_F(SkinArchiveTest, FolderReadsWholeFilesUpToTheSizeLimit)
{
    archive.SetResourcePath(folder.Path());
    folder.WriteFile(L"main.xml", "<Window/>");
    folder.WriteFile(L"empty.xml", "");
    folder.WriteFile(L"limit.xml", std::string(kLimit, 'a'));
    folder.WriteFile(L"over.xml", std::string(kLimit + 1, 'a'));

    EXPECT_EQ(Read(L"main.xml").bytes, "<Window/>");
    EXPECT_EQ(Read(L"limit.xml").bytes.size(), kLimit);
    ExpectError(L"missing.xml", L"Error opening file");
    ExpectError(L"empty.xml", L"File is empty");
    ExpectError(L"over.xml", L"File too large");
}

TEST_F(SkinArchiveTest, ArchiveEntriesAreFoundIgnoringCaseWithEitherSeparator)
{
    UseMemory(MakeZip({
        {"shadow.png", "png bytes", false},
        {"skin/main.xml", "<Window/>", true},
        {"SKIN/MAIN.XML", "second of the same name", true},
    }));
    ASSERT_TRUE(archive.IsResourceZipCached());
    EXPECT_EQ(archive.GetResourceZip(), L"membuffer");
    EXPECT_EQ(Read(L"Shadow.PNG").bytes, "png bytes");
    EXPECT_EQ(Read(L"skin\\Main.xml").bytes, "<Window/>"); // the first in directory order
    EXPECT_EQ(Read(L"skin/main.xml").bytes, "<Window/>");
    ExpectError(L"main.xml", L"Could not find ziped file");
    ExpectError(L"shadow.pn", L"Could not find ziped file");
    ExpectError(L"", L"Could not find ziped file");
}

TEST_F(SkinArchiveTest, ArchiveEntriesHaveTheSizeAndNameLimits)
{
    const std::string longest(CSkinArchive::kMaxEntryNameLength, 'n');
    UseMemory(MakeZip({
        {"empty.xml", "", true},
        {"limit.xml", std::string(kLimit, 'a'), true},
        {"over.xml", std::string(kLimit + 1, 'a'), true},
        {longest, "longest", false},
        {longest + "n", "too long", false},
    }));
    EXPECT_EQ(Read(L"limit.xml").bytes, std::string(kLimit, 'a'));
    ExpectError(L"empty.xml", L"File is empty");
    ExpectError(L"over.xml", L"File too large");
    EXPECT_EQ(Read(std::wstring(longest.begin(), longest.end())).bytes, "longest");
    ExpectError(std::wstring(longest.size() + 1, L'n'), L"Could not find ziped file");
}

TEST_F(SkinArchiveTest, EntryNamesAreLookedUpInTheAnsiCodePage)
{
    const std::wstring name = L"皮肤\\主界面.xml";
    std::string ansi(64, '\0');
    const std::wstring slashed = L"皮肤/主界面.xml";
    ansi.resize(static_cast<std::size_t>(plat::WideCharToMultiByte(
        plat::CP_ACP, slashed.data(), static_cast<int>(slashed.size()), ansi.data(), 64, nullptr)));
    UseMemory(MakeZip({{ansi, "layout", true}}));
    EXPECT_EQ(Read(name).bytes, "layout");
}

// Damages the first copy of marker inside the archive's bytes.
std::string Damaged(std::string zip, const std::string& marker)
{
    const std::size_t at = zip.find(marker);
    if (at != std::string::npos)
        zip[at + marker.size() / 2] ^= 0x55;
    return zip;
}

TEST_F(SkinArchiveTest, DamagedEntriesCannotBeUnzipped)
{
    const std::string text(200, 'x');
    std::string stored = Damaged(MakeZip({{"stored.xml", "<Window>" + text + "</Window>", false}}), text);
    UseMemory(stored);
    ExpectError(L"stored.xml", L"Could not unzip file");

    archive.Reset();
    const std::string deflated = MakeZip({{"deflated.xml", "<Window>" + text + "</Window>", true}});
    // The local header ends 30 bytes plus the name into the archive; damage the stream after it.
    std::string broken = deflated;
    for (std::size_t i = 30 + 12; i < 30 + 12 + 4 && i < broken.size(); ++i)
        broken[i] = static_cast<char>(0xFF);
    UseMemory(broken);
    ExpectError(L"deflated.xml", L"Could not unzip file");
}

TEST_F(SkinArchiveTest, MemoryArchiveIsCopiedAndKeptUntilReset)
{
    std::string first = MakeZip({{"a.xml", "first", true}});
    UseMemory(first);
    first.assign(first.size(), '\0'); // the caller's buffer may go away
    UseMemory(MakeZip({{"a.xml", "second", true}})); // ignored while "membuffer" is open
    EXPECT_EQ(Read(L"a.xml").bytes, "first");

    archive.Reset();
    EXPECT_FALSE(archive.IsResourceZipCached());
    UseMemory("not an archive");
    EXPECT_FALSE(archive.IsResourceZipCached());
    ExpectError(L"a.xml", L"Error opening zip file");
    UseMemory(MakeZip({{"a.xml", "third", true}})); // a failed memory archive can be replaced
    EXPECT_EQ(Read(L"a.xml").bytes, "third");
}

TEST_F(SkinArchiveTest, ArchiveFileIsOpenedFromTheResourcePath)
{
    archive.SetResourcePath(folder.Path());
    folder.WriteFile(L"one.zip", MakeZip({{"main.xml", "from one", true}}));
    folder.WriteFile(L"two.zip", MakeZip({{"main.xml", "from two", false}}));

    archive.SetResourceZip(L"one.zip");
    EXPECT_TRUE(archive.IsResourceZipCached());
    EXPECT_EQ(Read(L"main.xml").bytes, "from one");
    archive.SetResourceZip(L"two.zip");
    EXPECT_EQ(Read(L"Main.XML").bytes, "from two");

    // A missing archive stays named and is tried again at each read.
    archive.SetResourceZip(L"later.zip");
    EXPECT_FALSE(archive.IsResourceZipCached());
    ExpectError(L"main.xml", L"Error opening zip file");
    folder.WriteFile(L"later.zip", MakeZip({{"main.xml", "from later", true}}));
    EXPECT_EQ(Read(L"main.xml").bytes, "from later");
    EXPECT_FALSE(archive.IsResourceZipCached());
    folder.WriteFile(L"garbage.zip", "PK not really");
    archive.SetResourceZip(L"garbage.zip");
    ExpectError(L"main.xml", L"Error opening zip file");
}

TEST(SkinArchiveLayouts, LayoutDocumentsLoadTheirFilesThroughTheProcessArchive)
{
    CSkinArchive& process = CSkinArchive::Process();
    CSkinArchive::InstallLayoutReader(); // other tests install readers of their own
    const std::string zip = MakeZip({{"skin/main.xml", "<Window size=\"540,400\"/>", true}});
    process.SetResourceZip(reinterpret_cast<const unsigned char*>(zip.data()), zip.size());

    CXmlDocument document;
    EXPECT_TRUE(document.LoadFromFile(L"skin\\main.xml"));
    EXPECT_EQ(std::wstring(document.GetRoot().GetName()), L"Window");
    EXPECT_FALSE(document.LoadFromFile(L"skin\\other.xml"));
    EXPECT_EQ(document.GetLastErrorMessage(), L"Could not find ziped file");
    process.Reset();
}

} // namespace
} // namespace SkinUI
