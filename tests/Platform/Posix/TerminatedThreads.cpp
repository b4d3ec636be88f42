// A terminated thread really ends at its next wait, unwinding what it holds, before
// TerminateThread returns.
#include "Platform/Thread.h"
#include "tests/Platform/Posix/MachineTest.h"

#include <atomic>

namespace {

using namespace plat;

struct Unwound {
    std::atomic<bool>& flag;
    ~Unwound() { flag = true; }
};

unsigned HoldsAndSleeps(void* argument) {
    Unwound guard{*static_cast<std::atomic<bool>*>(argument)};
    for (;;) {
        Sleep(1);
    }
}

unsigned TerminatesItself(void* argument) {
    auto& self = *static_cast<std::atomic<HANDLE>*>(argument);
    while (self.load() == nullptr) {
        Sleep(1);
    }
    TerminateThread(self, 6);
    return 5;
}

TEST(TerminatedThreads, HaveEndedWithTheirStackUnwoundWhenTerminateReturns) {
    std::atomic<bool> unwound{false};
    HANDLE thread = StartThread(HoldsAndSleeps, &unwound, nullptr);
    Sleep(10);
    ASSERT_TRUE(TerminateThread(thread, 4));
    EXPECT_TRUE(unwound);
    EXPECT_TRUE(TerminateThread(thread, 9)); // already ended: the first code stays
    DWORD code = 0;
    GetExitCodeThread(thread, &code);
    EXPECT_EQ(code, 4u);
    CloseHandle(thread);
}

TEST(TerminatedThreads, AThreadCanEndItself) {
    std::atomic<HANDLE> self{nullptr};
    HANDLE thread = StartThread(TerminatesItself, &self, nullptr);
    self = thread;
    EXPECT_EQ(WaitForObject(thread, 5000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeThread(thread, &code);
    EXPECT_EQ(code, 6u);
    EXPECT_FALSE(TerminateThread(nullptr, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    CloseHandle(thread);
}

} // namespace
