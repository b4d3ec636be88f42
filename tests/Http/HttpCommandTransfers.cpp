// Commands against the loopback server: results, which failures are retried, and the body cap.
#include "Http/HttpCommand.h"
#include "Runtime/TextConv.h"
#include "tests/Http/EngineFixture.h"
#include "tests/support/HttpTestServer.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using enginetest::PumpFor;
using enginetest::PumpUntil;
using namespace std::chrono_literals;

struct Result {
    int calls = 0;
    std::string body;
    int type = -1;
    int code = -1;
};

void OnResult(void* userData, const std::string& response, int type, int code) {
    auto* result = static_cast<Result*>(userData);
    ++result->calls;
    result->body = response;
    result->type = type;
    result->code = code;
}

class CommandTransfers : public enginetest::EngineTest {
protected:
    Result Run(const std::string& url) {
        Result result;
        command.url = Utf8ToWide(url);
        command.callback = &OnResult;
        command.userData = &result;
        EXPECT_TRUE(SubmitCommand(&command));
        EXPECT_TRUE(PumpUntil([&] { return result.calls > 0; }, 10s)) << url;
        PumpFor(30ms);
        return result;
    }

    HttpTestServer server;
    CHttpCommand command;
};

TEST_F(CommandTransfers, FinalResultsAndHowOftenEachIsTried) {
    HttpRoute cut = HttpRoute::Pattern(1000);
    cut.cutAfter = 10;
    server.Route("/ok", HttpRoute::Text("0123456789"));
    server.Route("/missing", HttpRoute::Text("gone", 404));
    server.Route("/moved", HttpRoute::Redirect(301, "/ok"));
    server.Route("/cut", cut);
    struct Case {
        const char* path;
        int type;
        int code;
        const char* body;
        unsigned hits;
    };
    const Case cases[] = {
        {"/ok", 0, 0, "0123456789", 1},
        {"/missing", 4, 404, "", 1},
        {"/moved", 0, 0, "0123456789", 1},
        {"/cut", 5, curlcode::kPartialFile, nullptr, 3},
    };
    for (const Case& c : cases) {
        const Result result = Run(server.Url(c.path));
        EXPECT_EQ(result.calls, 1) << c.path;
        EXPECT_EQ(result.type, c.type) << c.path;
        EXPECT_EQ(result.code, c.code) << c.path;
        if (c.body != nullptr) {
            EXPECT_EQ(result.body, c.body) << c.path;
        }
        EXPECT_EQ(server.Hits(c.path), c.hits) << c.path;
        EXPECT_EQ(command.attempts, 0) << c.path;
    }
}

TEST_F(CommandTransfers, ARefusedConnectionEndsAsTheLibraryError) {
    const Result result = Run("http://127.0.0.1:1/x");
    EXPECT_EQ(result.type, 5);
    EXPECT_EQ(result.code, curlcode::kCouldntConnect);
}

TEST_F(CommandTransfers, ABodyOverTheCapFailsWithoutRetry) {
    server.Route("/huge", HttpRoute::Pattern(CHttpCommand::kMaxBodyBytes + 1));
    server.Route("/fits", HttpRoute::Pattern(CHttpCommand::kMaxBodyBytes));
    const Result huge = Run(server.Url("/huge"));
    EXPECT_EQ(huge.type, 3);
    EXPECT_EQ(huge.code, CHttpCommand::kBodyTooLarge);
    EXPECT_EQ(server.Hits("/huge"), 1u);
    const Result fits = Run(server.Url("/fits"));
    EXPECT_EQ(fits.type, 0);
    EXPECT_EQ(fits.body.size(), CHttpCommand::kMaxBodyBytes);
}

TEST_F(CommandTransfers, OnlyHttpAndHttpsAreFollowed) {
    server.Route("/elsewhere", HttpRoute::Redirect(302, "ftp://127.0.0.1:1/x"));
    const Result result = Run(server.Url("/elsewhere"));
    EXPECT_EQ(result.type, 5);
    EXPECT_EQ(result.code, 1); // unsupported protocol
    EXPECT_EQ(Run("ftp://127.0.0.1:1/x").code, 1);
}

TEST_F(CommandTransfers, ADuplicateSubmissionRunsOnceAndACancelledOneNeverReports) {
    HttpRoute slow = HttpRoute::Text("body");
    slow.delayMs = 200;
    server.Route("/slow", slow);
    Result result;
    command.url = Utf8ToWide(server.Url("/slow"));
    command.callback = &OnResult;
    command.userData = &result;
    SubmitCommand(&command);
    SubmitCommand(&command);
    EXPECT_TRUE(PumpUntil([&] { return result.calls > 0; }, 5s));
    PumpFor(50ms);
    EXPECT_EQ(result.calls, 1);
    EXPECT_EQ(server.Hits("/slow"), 1u);

    SubmitCommand(&command);
    PumpFor(50ms);
    command.Stop();
    PumpFor(400ms);
    EXPECT_EQ(result.calls, 1);
    EXPECT_EQ(CommandManager()->tasks.size(), 0u);
}

} // namespace
