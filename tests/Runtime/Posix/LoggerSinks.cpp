#include "Runtime/Logger.h"

#include "Platform/Posix/TestDesktop.h"

#include <gtest/gtest.h>

namespace {

class LoggerSinks : public testing::Test {
protected:
    void SetUp() override {
        plat::test::CaptureDebugOutput(true);
        plat::test::CaptureConsole(true);
    }
    void TearDown() override {
        TraceLogger::Instance().Detach();
        ConsoleLogger::Instance().Detach();
        plat::test::CaptureDebugOutput(false);
        plat::test::CaptureConsole(false);
    }
};

TEST_F(LoggerSinks, TraceAndConsoleWriteOnlyWhileAttached) {
    TraceLogger::Instance().Log(2, L"before");
    ConsoleLogger::Instance().LogWithSource(2, 1, L"m", L"before");
    EXPECT_EQ(plat::test::TakeDebugOutput(), L"");
    EXPECT_EQ(plat::test::TakeConsoleOutput(), L"");

    TraceLogger::Instance().Attach(LoggerOptions{0, 1});
    ConsoleLogger::Instance().Attach(LoggerOptions{0, 0});
    TraceLogger::Instance().Log(1, L"t=%d", 1);
    ConsoleLogger::Instance().LogWithSource(2, 17, L".\\Http\\CurlHttp", L"c=%s", L"中");
    EXPECT_EQ(plat::test::TakeDebugOutput(), L"[WARN]t=1\r\n");
    EXPECT_EQ(plat::test::TakeConsoleOutput(), L"[ERRO][.\\Http\\CurlHttp:17]c=中");

    TraceLogger::Instance().Detach();
    ConsoleLogger::Instance().Detach();
    TraceLogger::Instance().Log(1, L"after");
    ConsoleLogger::Instance().LogWithSource(2, 1, L"m", L"after");
    EXPECT_EQ(plat::test::TakeDebugOutput(), L"");
    EXPECT_EQ(plat::test::TakeConsoleOutput(), L"");
}

} // namespace
