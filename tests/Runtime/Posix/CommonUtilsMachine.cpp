#include "Runtime/CommonUtils.h"

#include "Runtime/Logger.h"
#include "tests/Platform/Posix/MachineTest.h"
#include "tests/Runtime/Utf16File.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

using testsupport::TempFolder;

class CommonUtilsMachine : public MachineTest {};

TEST_F(CommonUtilsMachine, BrowseFolderAsksOnceAndEndsTheChoiceWithOneSeparator) {
    const struct {
        bool chosen;
        const wchar_t* picked;
        const wchar_t* result;
    } cases[] = {
        {true, L"D:\\Games", L"D:\\Games\\"},
        {true, L"D:\\", L"D:\\"},
        {true, L"", L""},  // an item without a file-system path
        {false, L"D:\\Games", L""},
    };
    for (const auto& c : cases) {
        plat::test::QueueBrowseAnswer(c.chosen, c.picked);
        EXPECT_EQ(BrowseFolder(nullptr, L"C:\\Program Files"), c.result) << c.picked;
        const auto calls = plat::test::TakeBrowseCalls();
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].title, L"选择文件夹");
        EXPECT_EQ(calls[0].flags, 0x51u);
        EXPECT_EQ(calls[0].initialSelection, L"C:\\Program Files");
    }
}

TEST_F(CommonUtilsMachine, CreateDirFailureIsLoggedToTraceAndFileLoggers) {
    TempFolder temp;
    plat::test::MapDrive(L'C', std::string(temp.Path().begin(), temp.Path().end()));
    const std::wstring logPath = temp / L"log.txt";
    ASSERT_TRUE(FileLogger::Instance().Open(logPath.c_str(), 0, true));
    TraceLogger::Instance().Attach(LoggerOptions{0, 1});
    plat::test::CaptureDebugOutput(true);

    EXPECT_TRUE(CreateDir(L"C:\\games"));  // no line for a success
    EXPECT_FALSE(CreateDir(L"Q:\\games"));  // an unmapped drive

    const std::wstring trace = plat::test::TakeDebugOutput();
    TraceLogger::Instance().Detach();
    FileLogger::Instance().Close();
    plat::test::CaptureDebugOutput(false);
    EXPECT_EQ(trace, L"[ERRO]CreateDir：Q:\\games ret：3\r\n");
    EXPECT_EQ(ReadUtf16File(logPath), L"[ERRO][.\\CommonUtils:708]CreateDir：Q:\\games ret：3\r\n");
}

TEST_F(CommonUtilsMachine, LaunchProcessStartsWithoutWaitingAndReportsTheError) {
    plat::test::SetProcessPolicy([](const plat::test::ProcessStart& start) {
        plat::test::ProcessPolicy policy;
        if (start.application.find(L"missing") != std::wstring::npos) {
            policy.kind = plat::test::ProcessPolicy::Refuse;
            policy.error = plat::ERROR_FILE_NOT_FOUND;
        } else {
            policy.kind = plat::test::ProcessPolicy::Simulate;
            policy.runMs = 60000;  // still running when LaunchProcess returns
        }
        return policy;
    });
    plat::ProcessInformation info;
    EXPECT_EQ(LaunchProcess(L"C:\\pm\\PelmoLauncher.exe", L"C:\\pm\\PelmoLauncher.exe -i \"14\" -d", &info), 0u);
    EXPECT_NE(info.processId, 0u);
    EXPECT_EQ(LaunchProcess(L"C:\\pm\\missing.exe", L"missing.exe"), plat::ERROR_FILE_NOT_FOUND);

    const auto starts = plat::test::TakeProcessStarts();
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[0].argv, (std::vector<std::wstring>{L"C:\\pm\\PelmoLauncher.exe", L"-i", L"14", L"-d"}));
}

} // namespace
