// Process starts on the emulated machine: recorded, split like the system splits command lines,
// and answered by the policy.
#include "Platform/Process.h"
#include "Platform/Thread.h"
#include "tests/Platform/Posix/MachineTest.h"

#include <string>
#include <vector>

namespace {

using namespace plat;
using Argv = std::vector<std::wstring>;

TEST(CommandLineSplitting, FollowsTheSystemsRules) {
    const struct {
        std::wstring line;
        Argv argv;
    } cases[] = {
        {L"", {}},
        {L"app.exe", {L"app.exe"}},
        {L"\"C:\\Program Files\\a.exe\" -i \"14\" -d", {L"C:\\Program Files\\a.exe", L"-i", L"14", L"-d"}},
        {L"a.exe  \"x y\"\tz  ", {L"a.exe", L"x y", L"z"}},
        {L"a.exe \"/unpack=D:\\Games\\\\\"", {L"a.exe", L"/unpack=D:\\Games\\"}},  // 2n backslashes: n, quote ends
        {L"a.exe a\\\\\"b c\"", {L"a.exe", L"a\\b c"}},
        {L"a.exe a\\\\\\\"b", {L"a.exe", L"a\\\"b"}},                               // 2n+1: n and a quote
        {L"a.exe a\\b\\\\c", {L"a.exe", L"a\\b\\\\c"}},                             // not before a quote: as is
        {L"a.exe \"\"", {L"a.exe", L""}},
        {L"a.exe a\"\"\"b", {L"a.exe", L"a\"b"}},                                   // a third quote is literal
        {L"a.exe x\"y z\"w", {L"a.exe", L"xy zw"}},
        {L"\"C:\\dir\\\" x", {L"C:\\dir\\", L"x"}},                                 // no escapes in the name
        {L"\"a b.exe\"x y", {L"a b.exe", L"x", L"y"}},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(std::string(row.line.begin(), row.line.end()));
        EXPECT_EQ(test::SplitCommandLine(row.line), row.argv);
    }
}

class ProcessPolicy : public MachineTest {
protected:
    bool Start(const std::wstring& commandLine, ProcessInformation* info) {
        return CreateProcess(L"C:\\pm\\pminstaller.exe", commandLine, info);
    }

    static void Answer(test::ProcessPolicy answer) {
        test::SetProcessPolicy([answer](const test::ProcessStart&) { return answer; });
    }

    static DWORD ExitCodeOf(HANDLE process) {
        DWORD code = 0;
        EXPECT_TRUE(GetExitCodeProcess(process, &code));
        return code;
    }

    static void CloseBoth(const ProcessInformation& info) {
        EXPECT_TRUE(CloseHandle(info.thread));
        EXPECT_TRUE(CloseHandle(info.process));
    }
};

TEST_F(ProcessPolicy, ByDefaultAStartIsRecordedAndEndsAtOnceWithZero) {
    ProcessInformation info;
    ASSERT_TRUE(Start(L"\"C:\\pm\\pminstaller.exe\" /S \"/unpack=D:\\Games\" /launch=off", &info));
    EXPECT_NE(info.processId, 0u);
    EXPECT_EQ(WaitForObject(info.process, 1000), WAIT_OBJECT_0);
    EXPECT_EQ(ExitCodeOf(info.process), 0u);
    CloseBoth(info);

    const auto starts = test::TakeProcessStarts();
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].application, L"C:\\pm\\pminstaller.exe");
    EXPECT_EQ(starts[0].argv, (Argv{L"C:\\pm\\pminstaller.exe", L"/S", L"/unpack=D:\\Games", L"/launch=off"}));
    EXPECT_TRUE(test::TakeProcessStarts().empty());
}

TEST_F(ProcessPolicy, ASimulatedProcessRunsForItsEmulatedTime) {
    test::ProcessPolicy answer;
    answer.runMs = 10000;
    answer.exitCode = 3;
    Answer(answer);
    ProcessInformation info;
    ASSERT_TRUE(Start(L"x", &info));
    EXPECT_EQ(ExitCodeOf(info.process), STILL_ACTIVE);
    EXPECT_EQ(WaitForObject(info.process, 10), WAIT_TIMEOUT);
    test::AdvanceClock(10000);
    EXPECT_EQ(WaitForObject(info.process, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForObject(info.thread, 0), WAIT_OBJECT_0);
    EXPECT_EQ(ExitCodeOf(info.process), 3u);
    CloseBoth(info);
}

TEST_F(ProcessPolicy, ARefusedStartFailsWithTheError) {
    test::ProcessPolicy answer;
    answer.kind = test::ProcessPolicy::Refuse;
    answer.error = ERROR_ACCESS_DENIED;
    Answer(answer);
    ProcessInformation info;
    EXPECT_FALSE(Start(L"x", &info));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(test::TakeProcessStarts().size(), 1u);
}

TEST_F(ProcessPolicy, AHostProgramRunsWithTheSplitArguments) {
    test::ProcessPolicy answer;
    answer.kind = test::ProcessPolicy::RunHost;
    answer.hostProgram = "/bin/sh";
    Answer(answer);
    ProcessInformation info;
    ASSERT_TRUE(Start(L"launcher.exe -c \"exit 3\"", &info));
    EXPECT_EQ(WaitForObject(info.process, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(ExitCodeOf(info.process), 3u);
    CloseBoth(info);

    answer.hostProgram = "/nonexistent/program";
    Answer(answer);
    EXPECT_FALSE(Start(L"x", &info));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(ProcessPolicy, ExitCodesNeedAProcessHandle) {
    HANDLE thread = StartThread([](void*) -> unsigned { return 0; }, nullptr, nullptr);
    DWORD code = 0;
    EXPECT_FALSE(GetExitCodeProcess(thread, &code));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    WaitForObject(thread, INFINITE);
    CloseHandle(thread);
}

} // namespace
