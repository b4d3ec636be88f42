// The workshop's lists, stepped by hand without its thread, and the thread itself under load.
#include "Http/CurlWorkshop.h"
#include "Http/HttpBase.h"
#include "Http/HttpCommand.h"
#include "Runtime/TextConv.h"
#include "tests/Http/EngineFixture.h"
#include "tests/support/HttpTestServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

using enginetest::PumpFor;
using enginetest::PumpUntil;
using enginetest::RecordingListener;
using enginetest::Report;
using namespace std::chrono_literals;

class SteppedWorkshop : public CCurlWorkshop {
public:
    using CCurlWorkshop::Perform;
    using CCurlWorkshop::ProcessPending;
    using CCurlWorkshop::ReadMessages;
};

// A GET prepared by the task base and handed to the stepped workshop.
class Transfer : public CHttpBase {
public:
    Transfer(CCurlWorkshop* stepped, CurlListener* owner, const std::string& target)
        : CHttpBase(stepped, nullptr), listener(owner) {
        url = Utf8ToWide(target);
    }
    ~Transfer() override { CHttpBase::Stop(); }

    bool Start() override {
        transfer = new CCurlHttp(listener);
        Http()->writeStream = std::make_unique<OBufferStream>();
        return CHttpBase::Start();
    }
    void Done(CurlCode) override {}
    void OnHttpCode(int) override {}

    CurlListener* listener;
};

class WorkshopLists : public ::testing::Test {
protected:
    void SetUp() override {
        InitMainThreadDispatcher();
        CCurlWorkshop::GlobalInit();
        workshop.Init();
    }
    void TearDown() override {
        workshop.Uninit();
        ShutdownMainThreadDispatcher();
    }

    std::vector<Report::Kind> Kinds() {
        PumpFor(10ms);
        std::vector<Report::Kind> kinds;
        for (const Report& report : listener.reports) {
            kinds.push_back(report.kind);
        }
        return kinds;
    }

    bool Equal(CCurlWorkshop::Counts counts, std::size_t add, std::size_t running, std::size_t remove) {
        return counts.pendingAdd == add && counts.running == running && counts.pendingRemove == remove;
    }

    HttpTestServer server;
    RecordingListener listener;
    SteppedWorkshop workshop;
};

TEST_F(WorkshopLists, NothingIsHandedOverWithoutAMultiHandle) {
    SteppedWorkshop idle;
    CRefPtr<CCurlBase> curl(new CCurlHttp(&listener));
    EXPECT_FALSE(idle.AddCurl(curl));
    EXPECT_FALSE(idle.RemoveCurl(curl));
    workshop.Uninit();
    EXPECT_FALSE(workshop.AddCurl(curl));
}

TEST_F(WorkshopLists, ATransferGivenUpBeforeThePassIsOnlyReportedRemoved) {
    Transfer task(&workshop, &listener, server.Url("/x"));
    task.Start();
    EXPECT_TRUE(Equal(workshop.ListCounts(), 1, 0, 0));
    task.Stop();
    workshop.ProcessPending();
    EXPECT_TRUE(Equal(workshop.ListCounts(), 0, 0, 0));
    EXPECT_EQ(Kinds(), (std::vector<Report::Kind>{Report::Removed}));
    EXPECT_EQ(server.Requests().size(), 0u);
}

TEST_F(WorkshopLists, HandingOverAgainCancelsAPendingRemoval) {
    CRefPtr<CCurlBase> curl(new CCurlHttp(&listener));
    workshop.RemoveCurl(curl);
    workshop.AddCurl(curl);
    EXPECT_TRUE(Equal(workshop.ListCounts(), 1, 0, 0));
}

TEST_F(WorkshopLists, ATransferWithoutAHandleFinishesWithAnError) {
    CRefPtr<CCurlBase> curl(new CCurlHttp(&listener));
    workshop.AddCurl(curl);
    workshop.ProcessPending();
    EXPECT_TRUE(Equal(workshop.ListCounts(), 0, 0, 0));
    PumpFor(10ms);
    ASSERT_EQ(listener.reports.size(), 1u);
    EXPECT_EQ(listener.reports[0], (Report{Report::Done, curlcode::kFailedInit, curl.get()}));
}

TEST_F(WorkshopLists, ARunningTransferIsDetachedWhenRemovedOrFinished) {
    server.Route("/x", HttpRoute::Text("0123456789"));
    Transfer removed(&workshop, &listener, server.Url("/x"));
    Transfer finished(&workshop, &listener, server.Url("/x"));
    removed.Start();
    finished.Start();
    workshop.ProcessPending();
    EXPECT_TRUE(Equal(workshop.ListCounts(), 0, 2, 0));
    CRefPtr<CCurlBase> kept = removed.transfer;
    removed.Stop();
    workshop.ProcessPending();
    EXPECT_EQ(kept->easy, nullptr);
    EXPECT_TRUE(Equal(workshop.ListCounts(), 0, 1, 0));

    int done = 0;
    for (int pass = 0; pass < 2000 && done == 0; ++pass) {
        workshop.Perform();
        done = workshop.ReadMessages();
    }
    EXPECT_EQ(done, 1);
    EXPECT_TRUE(Equal(workshop.ListCounts(), 0, 0, 0));
    const std::vector<Report::Kind> kinds = Kinds();
    EXPECT_EQ(std::count(kinds.begin(), kinds.end(), Report::Added), 2);
    EXPECT_EQ(std::count(kinds.begin(), kinds.end(), Report::Removed), 1);
    EXPECT_EQ(kinds.back(), Report::Done);
    EXPECT_EQ(listener.reports.back().value, curlcode::kOk);
}

// Many commands at once on the real thread, half of them cancelled while they run: each one
// that was left alone ends exactly once, and no cancelled one reports.
class WorkshopThread : public enginetest::EngineTest {};

struct Tally {
    int calls = 0;
    int type = -1;
    std::string body;
};

void OnCommand(void* userData, const std::string& response, int type, int) {
    auto* tally = static_cast<Tally*>(userData);
    ++tally->calls;
    tally->type = type;
    tally->body = response;
}

TEST_F(WorkshopThread, CancelledAndFinishedCommandsEndExactlyOnce) {
    HttpTestServer server;
    HttpRoute slow = HttpRoute::Pattern(20000);
    slow.bytesPerSecond = 100000;
    server.Route("/slow", slow);
    constexpr int kCommands = 16;
    std::vector<std::unique_ptr<CHttpCommand>> commands;
    std::vector<Tally> tallies(kCommands);
    for (int i = 0; i < kCommands; ++i) {
        commands.push_back(std::make_unique<CHttpCommand>());
        commands[i]->url = Utf8ToWide(server.Url("/slow"));
        commands[i]->callback = &OnCommand;
        commands[i]->userData = &tallies[i];
        ASSERT_TRUE(SubmitCommand(commands[i].get()));
    }
    PumpFor(50ms);
    for (int i = 0; i < kCommands; i += 2) {
        commands[i]->Stop();
    }
    const auto finished = [&] {
        for (int i = 1; i < kCommands; i += 2) {
            if (tallies[i].calls == 0) {
                return false;
            }
        }
        return true;
    };
    ASSERT_TRUE(PumpUntil(finished, 10s));
    PumpFor(100ms);
    for (int i = 0; i < kCommands; ++i) {
        EXPECT_EQ(tallies[i].calls, i % 2) << i;
        if (i % 2 == 1) {
            EXPECT_EQ(tallies[i].type, 0) << i;
            EXPECT_EQ(tallies[i].body, HttpTestServer::PatternBytes(0, 20000)) << i;
        }
    }
    EXPECT_EQ(CommandManager()->tasks.size(), 0u);
}

} // namespace
