// The transfer object's libcurl callbacks, fed by hand: header parsing, status handling, the body
// gate of downloads and the rate-limited progress reports.
#include "Http/CurlHttp.h"
#include "Runtime/MainThreadDispatch.h"
#include "tests/Http/EngineFixture.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using enginetest::PumpFor;
using enginetest::RecordingListener;
using enginetest::Report;
using namespace std::chrono_literals;

// Answers the status a test sets, as libcurl would for the response being parsed.
class ScriptedHttp : public CCurlHttp {
public:
    explicit ScriptedHttp(CurlListener* owner) : CCurlHttp(owner) {}
    long status = 200;

protected:
    CurlCode QueryResponseCode(long* code) override {
        *code = status;
        return 0;
    }
};

class RecordingStream : public OBaseStream {
public:
    explicit RecordingStream(std::string initial = {}) : data(std::move(initial)) {}
    int Write(const void* bytes, unsigned n) override {
        if (failWrites) {
            SetError(kStreamErrorSys, 112);
            return -1;
        }
        data.append(static_cast<const char*>(bytes), n);
        return static_cast<int>(n);
    }
    void Close() override { ++closes; }
    void Clear() override {
        data.clear();
        ++clears;
    }

    std::string data;
    int clears = 0;
    int closes = 0;
    bool failWrites = false;
};

std::size_t Header(CCurlBase& curl, std::string line) {
    return HeaderCallback(line.data(), 1, line.size(), &curl);
}

std::size_t Body(CCurlBase& curl, std::string bytes) {
    return WriteCallback(bytes.data(), 1, bytes.size(), &curl);
}

// One response's header block: the status line, the lines, the blank line.
void Response(ScriptedHttp& http, long status, const std::vector<std::string>& lines) {
    http.status = status;
    Header(http, "HTTP/1.1 " + std::to_string(status) + " X\r\n");
    for (const std::string& line : lines) {
        Header(http, line + "\r\n");
    }
    Header(http, "\r\n");
}

class CurlHttpCallbacks : public ::testing::Test {
protected:
    void SetUp() override {
        InitMainThreadDispatcher();
        http = CRefPtr<ScriptedHttp>(new ScriptedHttp(&listener));
        auto owned = std::make_unique<RecordingStream>("partial");
        stream = owned.get();
        http->writeStream = std::move(owned);
    }
    void TearDown() override { ShutdownMainThreadDispatcher(); }

    std::vector<long long> PostedCodes() {
        PumpFor(20ms);
        return listener.Values(Report::HttpCode);
    }

    RecordingListener listener;
    CRefPtr<ScriptedHttp> http;
    RecordingStream* stream = nullptr;
};

TEST_F(CurlHttpCallbacks, HeaderLinesAreTrimmedAndLinesWithoutANameIgnored) {
    Response(*http, 200,
             {"Content-Length:  1234  ", "X-Empty:", "NoColonHere", ":value-without-name", "X-Two: a:b"});

    EXPECT_EQ(http->headers.memberNames(),
              (std::vector<std::wstring>{L"Content-Length", L"X-Empty", L"X-Two"}));
    EXPECT_EQ(http->headers[L"Content-Length"].string(), L"1234");
    EXPECT_EQ(http->headers[L"X-Empty"].string(), L"");
    EXPECT_EQ(http->headers[L"X-Two"].string(), L"a:b");
    EXPECT_EQ(http->AnnouncedLength(), 1234u);
    // One status report, at the end of the block.
    EXPECT_EQ(PostedCodes(), (std::vector<long long>{200}));
}

TEST_F(CurlHttpCallbacks, RedirectChainReadsTheStatusAfreshAndCollectsBothHeaderSets) {
    Response(*http, 302, {"Location: /b", "X-Tag: one", "Content-Length: 154"});
    Response(*http, 200, {"X-Tag: two"});

    EXPECT_EQ(http->httpCode, 200);
    EXPECT_EQ(http->headers[L"Location"].string(), L"/b");
    EXPECT_EQ(http->headers[L"X-Tag"].string(), L"two");
    // The redirect's length is not the file's.
    EXPECT_EQ(http->AnnouncedLength(), 0u);
    EXPECT_EQ(PostedCodes(), (std::vector<long long>{302, 200}));
}

TEST_F(CurlHttpCallbacks, ErrorStatusReportsEveryLineStoresNothingAndRefusesTheBody) {
    Response(*http, 404, {"Content-Type: text/html", "Content-Length: 9"});

    EXPECT_EQ(http->headers.size(), 0u);
    EXPECT_EQ(Body(*http, "not found"), 0u);
    EXPECT_EQ(stream->data, "partial");
    EXPECT_EQ(PostedCodes(), (std::vector<long long>(4, 404)));
}

TEST_F(CurlHttpCallbacks, WholeBodyAfterARangeRequestEmptiesTheFileAtItsFirstByte) {
    http->resumeRequested = true;
    Response(*http, 200, {});
    EXPECT_EQ(stream->clears, 0);

    EXPECT_EQ(Body(*http, "abc"), 3u);
    EXPECT_EQ(Body(*http, "def"), 3u);
    EXPECT_EQ(stream->clears, 1);
    EXPECT_EQ(stream->data, "abcdef");
}

TEST_F(CurlHttpCallbacks, PartialContentAppendsToTheFile) {
    http->resumeRequested = true;
    Response(*http, 206, {});
    EXPECT_EQ(Body(*http, "abc"), 3u);
    EXPECT_EQ(stream->clears, 0);
    EXPECT_EQ(stream->data, "partialabc");
}

// The download's gate: a response the task will reject leaves the partial file alone.
TEST(CurlHttpBodyGate, OnlyABodyThatCompletesTheFileIsWritten) {
    struct Case {
        const char* name;
        std::uint64_t offset;
        std::uint64_t total;
        bool resume;
        long status;
        std::vector<std::string> lines;
        bool accepted;
        const char* file;
    };
    const Case cases[] = {
        {"range answered in full", 1000, 5000, true, 206, {"Content-Length: 4000"}, true, "partialbody"},
        {"range answered short", 1000, 5000, true, 206, {"Content-Length: 3999"}, false, "partial"},
        {"range ignored, whole file", 1000, 5000, true, 200, {"Content-Length: 5000"}, true, "body"},
        {"range ignored, wrong size", 1000, 5000, true, 200, {"Content-Length: 4000"}, false, "partial"},
        {"no length announced", 0, 5000, false, 200, {}, true, "partialbody"},
        {"length in lower case", 0, 5000, false, 200, {"content-length: 4999"}, false, "partial"},
        {"no size expected", 0, 0, false, 200, {"Content-Length: 7"}, true, "partialbody"},
        {"final redirect without location", 0, 5000, false, 300, {"Content-Length: 4"}, false, "partial"},
    };
    InitMainThreadDispatcher();
    for (const Case& c : cases) {
        CRefPtr<ScriptedHttp> http(new ScriptedHttp(nullptr));
        auto owned = std::make_unique<RecordingStream>("partial");
        RecordingStream* stream = owned.get();
        http->writeStream = std::move(owned);
        http->resumeRequested = c.resume;
        http->GuardDownload(c.offset, c.total);
        Response(*http, c.status, c.lines);

        EXPECT_EQ(Body(*http, "body") == 4, c.accepted) << c.name;
        EXPECT_EQ(stream->data, c.file) << c.name;
    }
    ShutdownMainThreadDispatcher();
}

TEST_F(CurlHttpCallbacks, AGivenUpTransferRefusesEveryCallback) {
    std::string upload = "hello";
    http->readStream = std::make_unique<IBufferStream>(5u, upload.data());
    http->sendTotal = 5;
    http->CloseStreams();

    EXPECT_FALSE(http->alive.load());
    EXPECT_EQ(stream->closes, 1);
    EXPECT_EQ(Header(*http, "HTTP/1.1 200 OK\r\n"), 0u);
    EXPECT_EQ(Body(*http, "abc"), 0u);
    char buffer[8];
    EXPECT_EQ(ReadCallback(buffer, 1, sizeof buffer, http.get()), 0u);
    EXPECT_EQ(stream->data, "partial");
    EXPECT_EQ(HeaderCallback(buffer, 1, 1, nullptr), 0u);
    EXPECT_EQ(WriteCallback(buffer, 1, 1, nullptr), 0u);
}

TEST_F(CurlHttpCallbacks, AFailingStreamAbortsTheBody) {
    Response(*http, 200, {});
    stream->failWrites = true;
    EXPECT_EQ(Body(*http, "abc"), 0u);
}

TEST_F(CurlHttpCallbacks, ReceiveReportsComeAtOnceThenAtMostEvery100Ms) {
    http->reportProgress = true;
    Response(*http, 200, {});
    Body(*http, "12345");
    Body(*http, "678");
    PumpFor(20ms);
    EXPECT_EQ(listener.Values(Report::Recv), (std::vector<long long>{5}));

    PumpFor(150ms);
    Body(*http, "9");
    PumpFor(20ms);
    // The bytes held back are reported with the next due report.
    EXPECT_EQ(listener.Values(Report::Recv), (std::vector<long long>{5, 4}));
}

TEST_F(CurlHttpCallbacks, CommandsNeverReportProgress) {
    Response(*http, 200, {});
    Body(*http, "12345");
    PumpFor(20ms);
    EXPECT_TRUE(listener.Values(Report::Recv).empty());
}

TEST_F(CurlHttpCallbacks, UploadStopsAtItsAnnouncedSize) {
    std::string upload = "hello";
    http->readStream = std::make_unique<IBufferStream>(5u, upload.data());
    http->sendTotal = 5;
    char buffer[3];
    EXPECT_EQ(ReadCallback(buffer, 1, sizeof buffer, http.get()), 3u);
    EXPECT_EQ(ReadCallback(buffer, 1, sizeof buffer, http.get()), 2u);
    EXPECT_EQ(std::string(buffer, 2), "lo");
    EXPECT_EQ(ReadCallback(buffer, 1, sizeof buffer, http.get()), 0u);
    EXPECT_EQ(http->sent, 5u);
}

TEST(CurlHttpLength, MismatchOnlyWhenBothSidesAreKnown) {
    EXPECT_FALSE(LengthMismatch(5000, 1000, 4000));
    EXPECT_TRUE(LengthMismatch(5000, 1000, 3999));
    EXPECT_TRUE(LengthMismatch(5000, 6000, 1));
    EXPECT_FALSE(LengthMismatch(0, 1000, 3));
    EXPECT_FALSE(LengthMismatch(5000, 1000, 0));
}

} // namespace
