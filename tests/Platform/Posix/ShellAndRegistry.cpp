// Shell answers, the registry store and the output captures of the emulated machine.
#include "Platform/Debug.h"
#include "Platform/Registry.h"
#include "Platform/Shell.h"
#include "tests/Platform/Posix/MachineTest.h"
#include "tests/support/TempFolder.h"

#include <string>

namespace {

using namespace plat;

using ShellAndRegistry = MachineTest;

TEST_F(ShellAndRegistry, TheFolderPickerAnswersInOrderAndRecordsEachCall) {
    test::SetCurrentDirectory(L"C:\\Users\\player");
    test::QueueBrowseAnswer(true, L"D:\\Games");
    const UINT flags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
    const BrowseResult first = BrowseForFolder(nullptr, L"title", flags, L"E:\\start");
    EXPECT_TRUE(first.chosen);
    EXPECT_EQ(first.path, L"D:\\Games");
    const BrowseResult second = BrowseForFolder(nullptr, L"title", flags, nullptr);
    EXPECT_FALSE(second.chosen);

    const auto calls = test::TakeBrowseCalls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].title, L"title");
    EXPECT_EQ(calls[0].flags, 0x51u);
    EXPECT_EQ(calls[0].initialSelection, L"E:\\start");
    EXPECT_EQ(calls[1].initialSelection, L"C:\\Users\\player"); // no folder given: the current one
}

TEST_F(ShellAndRegistry, SpecialFoldersAndShellOpens) {
    EXPECT_EQ(GetSpecialFolder(CSIDL_APPDATA), L"");
    test::SetSpecialFolder(CSIDL_APPDATA, L"C:\\Users\\player\\AppData\\Roaming");
    EXPECT_EQ(GetSpecialFolder(CSIDL_APPDATA), L"C:\\Users\\player\\AppData\\Roaming");
    EXPECT_TRUE(ShellOpen(L"http://127.0.0.1/licence"));
    EXPECT_EQ(test::TakeShellOpens(), std::vector<std::wstring>{L"http://127.0.0.1/licence"});
    test::ResetMachine();
    EXPECT_EQ(GetSpecialFolder(CSIDL_APPDATA), L"");
}

TEST_F(ShellAndRegistry, RegistryReadsIgnoreCaseAndKeepViewsApart) {
    test::SetRegistryString(RegistryRoot::LocalMachine, L"SOFTWARE\\PelmoLauncher", L"InstPath", L"D:\\Pelmo");
    std::wstring value;
    EXPECT_TRUE(ReadRegistryString(RegistryRoot::LocalMachine, L"software\\pelmolauncher", L"INSTPATH", &value));
    EXPECT_EQ(value, L"D:\\Pelmo");
    EXPECT_FALSE(ReadRegistryString(RegistryRoot::LocalMachine, L"SOFTWARE\\PelmoLauncher", L"InstPath", &value, true));
    EXPECT_FALSE(ReadRegistryString(RegistryRoot::CurrentUser, L"SOFTWARE\\PelmoLauncher", L"InstPath", &value));
    EXPECT_FALSE(ReadRegistryString(RegistryRoot::LocalMachine, L"SOFTWARE\\PelmoLauncher", L"Other", &value));
}

TEST_F(ShellAndRegistry, RegistryFilesLoadEveryWellFormedLine) {
    testsupport::TempFolder folder;
    const std::wstring file = folder.WriteFile(L"machine.reg",
                                               "# comment\r\n"
                                               "32:HKLM\\SOFTWARE\\PelmoLauncher|InstPath|D:\\\xE6\xB8\xB8\xE6\x88\x8F\r\n"
                                               "HKCU\\Software\\Test|Pipe|a|b\n"
                                               "not a line\n");
    EXPECT_FALSE(test::LoadRegistryFile(std::string(file.begin(), file.end())));
    std::wstring value;
    EXPECT_TRUE(ReadRegistryString(RegistryRoot::LocalMachine, L"SOFTWARE\\PelmoLauncher", L"InstPath", &value, true));
    EXPECT_EQ(value, L"D:\\\u6E38\u620F");
    EXPECT_TRUE(ReadRegistryString(RegistryRoot::CurrentUser, L"Software\\Test", L"Pipe", &value));
    EXPECT_EQ(value, L"a|b");
    EXPECT_FALSE(test::LoadRegistryFile("/nonexistent/file.reg"));
}

TEST_F(ShellAndRegistry, DebugAndConsoleOutputAreCapturedWhileOn) {
    test::CaptureDebugOutput(true);
    test::CaptureConsole(true);
    OutputDebugString(L"trace \u4E2D\n");
    EXPECT_TRUE(WriteConsole(L"console line", 7));
    EXPECT_EQ(test::TakeDebugOutput(), L"trace \u4E2D\n");
    EXPECT_EQ(test::TakeConsoleOutput(), L"console");
    EXPECT_EQ(test::TakeDebugOutput(), L"");
}

} // namespace
