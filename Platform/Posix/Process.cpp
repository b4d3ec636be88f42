// Process starts, answered by the test policy: simulated, refused, or a host program run instead.
#include "Platform/Process.h"

#include "Platform/Posix/EmulatedClock.h"
#include "Platform/Posix/HostPaths.h"
#include "Platform/Posix/KernelObjects.h"
#include "Platform/Posix/MachineState.h"
#include "Platform/Posix/TestDesktop.h"
#include "Platform/Posix/Utf8.h"

#include <spawn.h>
#include <sys/wait.h>

#include <atomic>
#include <cerrno>
#include <mutex>
#include <thread>

extern char** environ;

namespace plat {
namespace {

using test::ProcessPolicy;
using test::ProcessStart;

std::mutex g_mutex;
std::function<ProcessPolicy(const ProcessStart&)> g_policy; // guarded by g_mutex; empty: simulate
std::vector<ProcessStart> g_starts;                         // guarded by g_mutex

std::atomic<DWORD> g_nextSimulatedId{10000};

ProcessPolicy Decide(const ProcessStart& start) {
    std::function<ProcessPolicy(const ProcessStart&)> policy;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_starts.push_back(start);
        policy = g_policy;
    }
    return policy ? policy(start) : ProcessPolicy{};
}

// A host process's end as an exit code; a signal counts as 128 + its number, as shells report it.
DWORD ExitCodeOf(int status) {
    return WIFEXITED(status) ? static_cast<DWORD>(WEXITSTATUS(status)) : 128u + static_cast<DWORD>(WTERMSIG(status));
}

bool SpawnHost(const ProcessPolicy& answer, const ProcessStart& start, pid_t* pid) {
    std::vector<std::string> arguments{answer.hostProgram};
    for (std::size_t i = 1; i < start.argv.size(); ++i) {
        arguments.push_back(posix::ToUtf8(start.argv[i]));
    }
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    const int error = posix_spawnp(pid, answer.hostProgram.c_str(), nullptr, nullptr, argv.data(), environ);
    if (error != 0) {
        SetLastError(posix::ErrorFromErrno(error));
        return false;
    }
    return true;
}

void ReapInBackground(std::shared_ptr<posix::KernelObject> process, pid_t pid) {
    std::thread([process, pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        process->Signal(ExitCodeOf(status));
    }).detach();
}

} // namespace

bool CreateProcess(const wchar_t* application, const std::wstring& commandLine, ProcessInformation* info) {
    ProcessStart start{application != nullptr ? application : L"", commandLine, test::SplitCommandLine(commandLine)};
    const ProcessPolicy answer = Decide(start);
    auto process = std::make_shared<posix::KernelObject>(posix::KernelObject::Kind::Process);
    DWORD processId = 0;
    switch (answer.kind) {
    case ProcessPolicy::Refuse:
        SetLastError(answer.error);
        return false;
    case ProcessPolicy::Simulate:
        process->SignalAt(posix::SteadyNowNs() + std::int64_t(answer.runMs) * 1000000, answer.exitCode);
        processId = g_nextSimulatedId.fetch_add(4);
        break;
    case ProcessPolicy::RunHost: {
        pid_t pid = 0;
        if (!SpawnHost(answer, start, &pid)) {
            return false;
        }
        ReapInBackground(process, pid);
        processId = static_cast<DWORD>(pid);
        break;
    }
    }
    if (info != nullptr) {
        // The primary thread's handle shares the process object: it ends with it.
        info->process = posix::RegisterHandle(process);
        info->thread = posix::RegisterHandle(process);
        info->processId = processId;
        info->threadId = posix::NewThreadId();
    }
    SetLastError(ERROR_SUCCESS);
    return true;
}

bool GetExitCodeProcess(HANDLE process, DWORD* exitCode) {
    auto object = posix::LookupHandleAs<posix::KernelObject>(process, posix::KernelObject::Kind::Process);
    if (!object) {
        return false;
    }
    *exitCode = object->ExitCode();
    return true;
}

namespace posix {
void ResetProcesses() {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_policy = nullptr;
    g_starts.clear();
}
} // namespace posix

namespace test {

void SetProcessPolicy(std::function<ProcessPolicy(const ProcessStart&)> policy) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_policy = std::move(policy);
}

std::vector<ProcessStart> TakeProcessStarts() {
    std::lock_guard<std::mutex> lock(g_mutex);
    std::vector<ProcessStart> taken;
    taken.swap(g_starts);
    return taken;
}

} // namespace test

} // namespace plat
