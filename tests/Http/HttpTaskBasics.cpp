// The pieces of the HTTP tasks that need no transfer: the error classification, URL lists, host
// names and the download's output stream.
#include "Http/HttpBase.h"
#include "Http/HttpDownloadFile.h"
#include "Runtime/CommonUtils.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A task that never runs; the base's record and classification are under test.
class RecordOnly : public CHttpBase {
public:
    RecordOnly() : CHttpBase(nullptr, nullptr) {}
    void Done(CurlCode) override {}
    void OnHttpCode(int) override {}
};

struct Entry {
    std::int32_t type;
    std::int64_t code;
};

TEST(HttpErrorRecord, FirstMatchingKindDecidesTheResult) {
    struct Case {
        std::vector<Entry> entries;
        std::int32_t type;
        std::int32_t code;
    };
    const Case cases[] = {
        {{}, 0, 0},
        {{{5, 0}, {4, 200}}, 0, 0},
        {{{2, 9}}, 0, 0},
        {{{4, 301}, {5, 0}}, 0, 0},
        {{{4, 404}, {5, 23}}, 4, 404},
        {{{5, 7}}, 5, 7},
        {{{4, 99}}, 4, 99},
        {{{3, 2007}, {4, 404}, {5, 23}}, 3, 2007},
        {{{1, 112}, {3, 2001}, {5, 23}}, 1, 112},
        {{{1, 0}, {3, 0}, {5, 28}}, 5, 28},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        RecordOnly task;
        for (const Entry& entry : cases[i].entries) {
            task.RecordError(entry.type, entry.code);
        }
        const std::uint64_t error = task.GetError();
        EXPECT_EQ(HttpErrorTypeOf(error), cases[i].type) << i;
        EXPECT_EQ(HttpErrorCodeOf(error), cases[i].code) << i;
        EXPECT_EQ(error, PackHttpError(cases[i].type, cases[i].code)) << i;
    }
}

TEST(HttpTaskStart, AStartedTaskIsNotStartedTwice) {
    RecordOnly task;
    EXPECT_TRUE(task.Start());
    EXPECT_FALSE(task.Start());
    EXPECT_EQ(task.attempts, 1);
    EXPECT_TRUE(task.Stop());
    EXPECT_FALSE(task.started);
}

TEST(DownloadHost, HostEndsAtPortPathOrUnderscore) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"http://cdn-1.example.com/pm/setup.exe", L"cdn-1.example.com"},
        {L"http://dl.example.com:8080/x", L"dl.example.com"},
        {L"https://a_b.example.com/", L"a"},
        {L"http://127.0.0.1:80/f", L"127.0.0.1"},
        {L"dl.example.com/x", L"dl.example.com"},
        {L"http://", L""},
        {L"http://ab?x", L"ab"},
    };
    for (const auto& [url, host] : cases) {
        EXPECT_EQ(HostOf(url), host) << url;
    }
}

TEST(DownloadUrls, SplitKeepsEveryPiece) {
    EXPECT_EQ(SplitList(L"a;b"), (std::vector<std::wstring>{L"a", L"b"}));
    EXPECT_EQ(SplitList(L"a;;b;"), (std::vector<std::wstring>{L"a", L"", L"b", L""}));
    EXPECT_EQ(SplitList(L""), (std::vector<std::wstring>{L""}));
}

TEST(DownloadUrls, BackupsLoseTheMainUrlAndTooShortPieces) {
    CHttpDownloadFile task;
    const std::wstring main = L"http://127.0.0.1:1/f";
    // No engine: the list is built, the submission fails.
    EXPECT_FALSE(StartDownload(&task, main, L"http://127.0.0.2:1/f;;" + main + L";", L"x.tmp", 10, nullptr,
                               nullptr, nullptr));
    EXPECT_EQ(task.urls, (std::deque<std::wstring>{main, L"http://127.0.0.2:1/f"}));
    EXPECT_EQ(task.originalUrl, main);
    EXPECT_EQ(task.GetUrl(), main);
    EXPECT_EQ(task.expectedSize, 10u);
}

TEST(DownloadWriteFileStream, AppendsClearsAndReportsItsErrors) {
    testsupport::TempFolder temp;
    const std::wstring path = temp.WriteFile(L"f.tmp", "abc");
    DownloadWriteFile stream;
    EXPECT_EQ(stream.Write("x", 1), -1);
    EXPECT_EQ(stream.ErrorType(), 3);
    EXPECT_EQ(stream.ErrorCode(), DownloadWriteFile::kNotOpen);

    ASSERT_TRUE(stream.Open(path));
    EXPECT_EQ(stream.ErrorType(), 0);
    EXPECT_EQ(stream.Write("def", 3), 3);
    stream.Close();
    EXPECT_EQ(testsupport::TempFolder::ReadFile(path), "abcdef");

    ASSERT_TRUE(stream.Open(path));
    stream.Clear();
    EXPECT_EQ(stream.Write("z", 1), 1);
    stream.Close();
    EXPECT_EQ(testsupport::TempFolder::ReadFile(path), "z");

    // Closed: Clear removes the file.
    stream.Clear();
    EXPECT_EQ(FileSize(path), -1);

    EXPECT_FALSE(stream.Open(temp / L"missing-folder\\f.tmp"));
    EXPECT_EQ(stream.ErrorType(), 1);
    EXPECT_EQ(stream.ErrorCode(), DownloadWriteFile::kOpenFailed);
}

} // namespace
