#include "Runtime/Logger.h"

#include "Platform/Thread.h"
#include "tests/Runtime/Utf16File.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <sstream>
#include <thread>
#include <vector>

namespace {

using testsupport::TempFolder;

class CaptureLogger : public BaseLogger {
public:
    using BaseLogger::AttachOptions;
    void Output(const std::wstring& line) override { lines.push_back(line); }
    bool IsEnabled() override { return Options() != nullptr; }
    void Emit(int level, const wchar_t* file, int line, const wchar_t* format, FormatArgs args) override {
        ++built;
        BaseLogger::Emit(level, file, line, format, args);
    }

    std::vector<std::wstring> lines;
    int built = 0;
};

std::wstring Expected(const wchar_t* head, plat::DWORD value, const wchar_t* tail) {
    return head + std::to_wstring(value) + tail;
}

TEST(Logger, LineFormat) {
    const plat::DWORD pid = plat::GetCurrentProcessId();
    const plat::DWORD tid = plat::GetCurrentThreadId();
    const struct {
        int level;
        std::uint8_t flags;
        bool newline;
        std::wstring expected;
    } cases[] = {
        {2, 0, false, L"[ERRO][mod:45]x=5"},
        {0, 0, false, L"[INFO][mod:45]x=5"},
        {1, 0, true, L"[WARN][mod:45]x=5\r\n"},
        {7, 0, false, L"[mod:45]x=5"},
        {-1, 0, false, L"[mod:45]x=5"},
        {2, LoggerOptions::kProcessId, false, Expected(L"[ERRO][pid:", pid, L"][mod:45]x=5")},
        {2, LoggerOptions::kThreadId | 0x01 | 0x10, false, Expected(L"[ERRO][tid:", tid, L"][mod:45]x=5")},
    };
    for (const auto& c : cases) {
        CaptureLogger logger;
        logger.AttachOptions(LoggerOptions{c.flags, static_cast<std::uint8_t>(c.newline)});
        logger.LogWithSource(c.level, 45, L"mod", L"x=%d", 5);
        ASSERT_EQ(logger.lines.size(), 1u);
        EXPECT_EQ(logger.lines[0], c.expected);
    }
}

TEST(Logger, LogHasNoSourceAndAllPiecesComeInOrder) {
    CaptureLogger logger;
    logger.AttachOptions(LoggerOptions{0, 0});
    logger.Log(1, L"plain %s", L"text");
    logger.AttachOptions(LoggerOptions{0x0E, 1});
    logger.LogWithSource(0, 86, L".\\Updater\\Updater", L"[UM] post message failed:%d", 5);
    ASSERT_EQ(logger.lines.size(), 2u);
    EXPECT_EQ(logger.lines[0], L"[WARN]plain text");
    const std::wstring pattern = L"\\[INFO\\]\\[\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\]\\[pid:" +
                                 std::to_wstring(plat::GetCurrentProcessId()) + L"\\]\\[tid:" +
                                 std::to_wstring(plat::GetCurrentThreadId()) +
                                 L"\\]\\[\\.\\\\Updater\\\\Updater:86\\]\\[UM\\] post message failed:5\r\n";
    EXPECT_TRUE(std::regex_match(logger.lines[1], std::wregex(pattern)))
        << testing::PrintToString(logger.lines[1]);
}

TEST(Logger, SourcePieceIsCutAt2047Characters) {
    CaptureLogger logger;
    logger.AttachOptions(LoggerOptions{});
    const std::wstring file(3000, L'f');
    logger.LogWithSource(2, 1, file.c_str(), L"message");
    ASSERT_EQ(logger.lines.size(), 1u);
    EXPECT_EQ(logger.lines[0], L"[ERRO][" + std::wstring(2046, L'f') + L"message");
}

TEST(Logger, DisabledLoggersWriteNothing) {
    CaptureLogger logger;
    logger.Log(2, L"x=%d", 5);
    logger.LogWithSource(2, 45, L"mod", L"x=%d", 5);
    EXPECT_TRUE(logger.lines.empty());
    EXPECT_EQ(logger.built, 0);
    EXPECT_FALSE(FileLogger::Instance().IsEnabled());
    FileLogger::Instance().LogWithSource(2, 708, L".\\CommonUtils", L"CreateDir：%s ret：%d", L"C:\\x", 0);
    TraceLogger::Instance().Log(0, L"t");
    ConsoleLogger::Instance().LogWithSource(0, 1, L"m", L"c");
}

class FileLoggerTest : public testing::Test {
protected:
    void TearDown() override { FileLogger::Instance().Close(); }

    TempFolder folder;
    std::wstring path = folder / L"log.txt";
};

TEST_F(FileLoggerTest, WritesTwoBytesPerCodeUnitLittleEndian) {
    ASSERT_TRUE(FileLogger::Instance().Open(path.c_str(), 0, true));
    FileLogger::Instance().Log(0, L"中%s", L"\U0001F600");
    const std::string expected("[\0I\0N\0F\0O\0]\0\x2D\x4E\x3D\xD8\x00\xDE\r\0\n\0", 22);
    EXPECT_EQ(TempFolder::ReadFile(path), expected);
}

TEST_F(FileLoggerTest, LongMessageIsWrittenWhole) {
    ASSERT_TRUE(FileLogger::Instance().Open(path.c_str(), 0, false));
    const std::wstring message = std::wstring(100000, L'x') + L"end";
    FileLogger::Instance().LogWithSource(1, 3, L"m", L"%s", message);
    EXPECT_EQ(ReadUtf16File(path), L"[WARN][m:3]" + message);
}

TEST_F(FileLoggerTest, LinesOfThreadsNeverInterleave) {
    ASSERT_TRUE(FileLogger::Instance().Open(path.c_str(), 0, true));
    constexpr int kThreads = 4;
    constexpr int kLines = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            const std::wstring body(300, static_cast<wchar_t>(L'a' + t));
            for (int i = 0; i < kLines; ++i) {
                FileLogger::Instance().Log(0, L"%d:%s", t, body);
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    std::wstringstream text(ReadUtf16File(path));
    std::map<int, int> perThread;
    for (std::wstring line; std::getline(text, line, L'\n');) {
        ASSERT_EQ(line.size(), 6 + 2 + 300 + 1u);
        const int t = line[6] - L'0';
        ASSERT_EQ(line, L"[INFO]" + std::to_wstring(t) + L":" +
                            std::wstring(300, static_cast<wchar_t>(L'a' + t)) + L"\r");
        ++perThread[t];
    }
    EXPECT_EQ(perThread, (std::map<int, int>{{0, kLines}, {1, kLines}, {2, kLines}, {3, kLines}}));
}

TEST_F(FileLoggerTest, CloseDisablesAndOpenAppends) {
    ASSERT_TRUE(FileLogger::Instance().Open(path.c_str(), 0, false));
    FileLogger::Instance().Log(0, L"a");
    FileLogger::Instance().Close();
    FileLogger::Instance().Log(0, L"lost");
    EXPECT_FALSE(FileLogger::Instance().IsEnabled());
    ASSERT_TRUE(FileLogger::Instance().Open(path.c_str(), 0, false));
    FileLogger::Instance().Log(1, L"b");
    EXPECT_EQ(ReadUtf16File(path), L"[INFO]a[WARN]b");
    EXPECT_FALSE(FileLogger::Instance().Open((folder / L"missing\\dir\\log.txt").c_str(), 0, false));
    EXPECT_FALSE(FileLogger::Instance().IsEnabled());
}

} // namespace
