// The task manager with tasks that run nothing: slots, order, duplicates, retries, early results
// and the pump's passes.
#include "Http/HttpBase.h"
#include "Http/HttpMgr.h"
#include "Platform/Thread.h"
#include "Platform/Time.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

class FakeTask : public CHttpBase {
public:
    FakeTask(CHttpMgr* mgr, std::vector<int>* startLog, int taskNumber)
        : CHttpBase(nullptr, mgr), log(startLog), number(taskNumber) {}
    ~FakeTask() override { CHttpBase::Stop(); }

    bool Start() override {
        log->push_back(number);
        ++starts;
        // As a download does: the flag first, then the result that may resubmit or delete it.
        if (refuse) {
            leaveManager = leaveWhenRefused;
        }
        if (onStart) {
            onStart();
        }
        return refuse ? false : CHttpBase::Start();
    }
    void Done(CurlCode) override {}
    void OnHttpCode(int) override {}
    void OnTimer() override { timerTicks.push_back(HttpPumpTicks()); }

    std::vector<int>* log;
    int number;
    int starts = 0;
    bool refuse = false;
    bool leaveWhenRefused = false;
    std::function<void()> onStart;
    std::vector<std::uint32_t> timerTicks;
};

class Scheduler : public ::testing::Test {
protected:
    FakeTask& Make() {
        tasks.push_back(std::make_unique<FakeTask>(&mgr, &started, static_cast<int>(tasks.size()) + 1));
        return *tasks.back();
    }
    FakeTask& Submit() {
        FakeTask& task = Make();
        SubmitTask(&mgr, &task);
        return task;
    }

    std::vector<int> started;
    CHttpMgr mgr;
    std::vector<std::unique_ptr<FakeTask>> tasks;
};

TEST_F(Scheduler, TenRunAtOnceInSubmissionOrderAndAFinishedOneMakesRoom) {
    for (int i = 0; i < 11; ++i) {
        Submit();
    }
    EXPECT_EQ(started, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(mgr.runningCount, 10);

    tasks[0]->Stop();
    EXPECT_EQ(started.back(), 11);
    EXPECT_EQ(mgr.runningCount, 10);
    EXPECT_EQ(mgr.tasks.size(), 10u);
    EXPECT_EQ(tasks[0]->manager, nullptr);
}

TEST_F(Scheduler, ADuplicateKeepsItsEntryAndItsStamp) {
    FakeTask& task = Submit();
    const std::uint64_t first = (std::uint64_t(task.addTick) << 32) | task.taskId;
    EXPECT_EQ(mgr.AddTask(&task), first);
    EXPECT_EQ(mgr.tasks.size(), 1u);
    EXPECT_EQ(task.starts, 1);
    EXPECT_GT(Submit().taskId, task.taskId);
}

TEST_F(Scheduler, RemovingAQueuedTaskSchedulesNothing) {
    FakeTask& refusing = Make();
    refusing.refuse = true;
    SubmitTask(&mgr, &refusing);
    FakeTask& running = Submit();
    FakeTask& waiting = Make();
    waiting.retryPending = true;
    SubmitTask(&mgr, &waiting);
    EXPECT_EQ(refusing.starts, 2);

    waiting.Stop();
    EXPECT_EQ(refusing.starts, 2);
    running.Stop();
    EXPECT_EQ(refusing.starts, 3);
    EXPECT_EQ(waiting.starts, 0);
}

TEST_F(Scheduler, ARetryWaitsForTheRetryPassAfterItsDelay) {
    mgr.retryDelayMs = 60;
    FakeTask& task = Make();
    task.retryPending = true;
    task.retryTick = plat::GetTickCount();
    SubmitTask(&mgr, &task);
    mgr.Schedule();
    mgr.RetryPass();
    EXPECT_EQ(task.starts, 0);

    plat::Sleep(80);
    mgr.RetryPass();
    EXPECT_EQ(task.starts, 1);
    EXPECT_FALSE(task.retryPending);
    EXPECT_TRUE(task.scheduled);
}

TEST_F(Scheduler, AMiscountIsRecomputedFromTheFlags) {
    Submit();
    Submit();
    mgr.runningCount = 99;
    mgr.Schedule();
    EXPECT_EQ(mgr.runningCount, 2);
}

TEST_F(Scheduler, ATaskThatReportedFromStartLeavesItsManager) {
    FakeTask& done = Make();
    done.refuse = true;
    done.leaveWhenRefused = true;
    SubmitTask(&mgr, &done);
    EXPECT_EQ(mgr.tasks.size(), 0u);
    EXPECT_EQ(done.manager, nullptr);
    Submit();
    EXPECT_EQ(done.starts, 1);
}

TEST_F(Scheduler, ATaskResubmittedFromItsOwnEarlyResultStartsAsARetry) {
    mgr.retryDelayMs = 0;
    FakeTask& task = Make();
    task.refuse = true;
    task.leaveWhenRefused = true;
    task.onStart = [&] {
        if (task.starts == 1) {
            SubmitTask(&mgr, &task);
        }
    };
    SubmitTask(&mgr, &task);
    EXPECT_EQ(mgr.tasks.size(), 1u);
    EXPECT_TRUE(task.retryPending);
    task.refuse = false;
    // The tick count moves in steps of 10 to 16 ms on Windows.
    plat::Sleep(30);
    mgr.RetryPass();
    EXPECT_EQ(task.starts, 2);
    EXPECT_TRUE(task.started);
}

TEST_F(Scheduler, TheWalkSurvivesATaskDeletedFromAnotherTasksStart) {
    for (int i = 0; i < 3; ++i) {
        FakeTask& task = Make();
        task.retryPending = true;
        SubmitTask(&mgr, &task);
        task.retryPending = false;
    }
    // The first deletes the second before the walk reaches it.
    tasks[0]->onStart = [&] { tasks[1].reset(); };
    mgr.Schedule();
    EXPECT_EQ(started, (std::vector<int>{1, 3}));
    EXPECT_EQ(mgr.tasks.size(), 2u);
    EXPECT_EQ(mgr.runningCount, 2);
}

TEST(HttpPump, ProgressEverySecondTickForStartedDownloadsOnly) {
    InitCommandEngine();
    InitDownloadEngine();
    std::vector<int> log;
    FakeTask download(DownloadManager(), &log, 1);
    FakeTask queued(DownloadManager(), &log, 2);
    queued.refuse = true;
    FakeTask command(CommandManager(), &log, 3);
    SubmitTask(DownloadManager(), &download);
    SubmitTask(DownloadManager(), &queued);
    SubmitTask(CommandManager(), &command);

    for (int i = 0; i < 6; ++i) {
        HttpPumpTimerProc(nullptr, 0, 0, 0);
    }
    EXPECT_EQ(download.timerTicks.size(), 3u);
    for (std::uint32_t tick : download.timerTicks) {
        EXPECT_EQ(tick % 2, 0u);
    }
    EXPECT_TRUE(queued.timerTicks.empty());
    EXPECT_TRUE(command.timerTicks.empty());
    download.Stop();
    queued.Stop();
    command.Stop();
    UninitCommandEngine();
    UninitDownloadEngine();
}

} // namespace
