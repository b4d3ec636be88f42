// The application context's start and stop of the shared services, and a command carried through
// them by the real message loop: the pump's 500 ms timer releases its retry.
#include "Installer/AppContext.h"
#include "Http/CurlWorkshop.h"
#include "Http/DnsThread.h"
#include "Http/HttpCommand.h"
#include "Http/HttpMgr.h"
#include "Platform/Window.h"
#include "Runtime/TextConv.h"
#include "tests/support/HttpTestServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace {

struct Outcome {
    int calls = 0;
    std::string body;
    int type = -1;
};

void OnResult(void* userData, const std::string& response, int type, int) {
    auto* outcome = static_cast<Outcome*>(userData);
    ++outcome->calls;
    outcome->body = response;
    outcome->type = type;
    plat::PostQuitMessage(0);
}

TEST(AppContextServices, StartupStartsEveryServiceAndShutdownStopsThemAll) {
    ASSERT_TRUE(SetDnsResolvers({"127.0.0.1:9"}));
    AppContext& context = AppContext::Instance();
    ASSERT_TRUE(context.Startup(nullptr));
    EXPECT_NE(context.idleTimerId, 0u);
    EXPECT_TRUE(DispatcherStarted());
    EXPECT_TRUE(TransferEngineStarted());
    EXPECT_NE(TransferPumpTimerId(), 0u);
    EXPECT_NE(CommandWorkshop(), nullptr);
    EXPECT_NE(CommandManager(), nullptr);
    EXPECT_NE(DownloadWorkshop(), nullptr);
    EXPECT_NE(DownloadManager(), nullptr);

    ASSERT_TRUE(context.Shutdown());
    EXPECT_EQ(context.idleTimerId, 0u);
    EXPECT_FALSE(DispatcherStarted());
    EXPECT_FALSE(TransferEngineStarted());
    EXPECT_EQ(TransferPumpTimerId(), 0u);
    EXPECT_EQ(CommandWorkshop(), nullptr);
    EXPECT_EQ(CommandManager(), nullptr);
    EXPECT_EQ(DownloadManager(), nullptr);
}

TEST(AppContextServices, TheMessageLoopCarriesACommandThroughItsRetry) {
    HttpTestServer server;
    HttpRoute route = HttpRoute::Text("index body");
    route.cutAfter = 2;
    route.faultyRequests = 1;
    server.Route("/index", route);
    AppContext& context = AppContext::Instance();
    ASSERT_TRUE(context.Startup(nullptr));
    Outcome outcome;
    CHttpCommand command;
    command.url = Utf8ToWide(server.Url("/index"));
    command.callback = &OnResult;
    command.userData = &outcome;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(SubmitCommand(&command));
    EXPECT_EQ(RunMessageLoop(), 0);
    const auto waited = std::chrono::steady_clock::now() - start;
    context.Shutdown();

    EXPECT_EQ(outcome.calls, 1);
    EXPECT_EQ(outcome.type, 0);
    EXPECT_EQ(outcome.body, "index body");
    EXPECT_EQ(server.Hits("/index"), 2u);
    // Released by a pump tick more than 500 ms after the failure.
    EXPECT_GE(waited, std::chrono::milliseconds(500));
    EXPECT_LT(waited, std::chrono::milliseconds(3000));
}

} // namespace
