#include "Http/DnsThread.h"
#include "Http/HttpCommand.h"
#include "Http/HttpDownloadFile.h"
#include "Platform/ConsoleMain.h"
#include "Platform/Time.h"
#include "Platform/Window.h"
#include "Runtime/FormatString.h"
#include "Runtime/TextConv.h"
#include "tools/pmtool/Commands.h"
#include "tools/pmtool/EngineSession.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace pmtool {

namespace {

constexpr int kFailed = 1;
constexpr int kUsageError = 2;

struct Outcome {
    std::string body;
    int type = 0;
    int code = 0;
};

std::wstring ResultLine(const Outcome& outcome) {
    return FormatString(L"result %d %d", outcome.type, outcome.code);
}
int ExitCode(const Outcome& outcome) {
    return outcome.type == 0 && outcome.code == 0 ? 0 : kFailed;
}

bool ParseSize(const std::wstring& text, std::uint64_t* value) {
    if (text.empty() || text.size() > 19) {
        return false;
    }
    std::uint64_t result = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') {
            return false;
        }
        result = result * 10 + static_cast<std::uint64_t>(c - L'0');
    }
    *value = result;
    return true;
}

void OnCommandResult(void* userData, const std::string& response, int type, int code) {
    auto* outcome = static_cast<Outcome*>(userData);
    outcome->body = response;
    outcome->type = type;
    outcome->code = code;
    plat::PostQuitMessage(0);
}

struct FetchState {
    Outcome outcome;
    bool quiet = false;
};

void OnFetchDone(void* userData, int type, int code) {
    auto* state = static_cast<FetchState*>(userData);
    state->outcome.type = type;
    state->outcome.code = code;
    plat::PostQuitMessage(0);
}

void OnFetchProgress(void* userData, std::uint64_t total, std::uint64_t done, unsigned speed) {
    const auto* state = static_cast<const FetchState*>(userData);
    if (!state->quiet) {
        PrintErr(FormatString(L"progress %I64u %I64u %u", total, done, speed));
    }
}

struct DnsOutcome {
    int code = -1;
    std::string list;
};

void OnDnsResult(int code, void* userData, const std::string&, const std::string& ipList, std::uint32_t) {
    auto* outcome = static_cast<DnsOutcome*>(userData);
    outcome->code = code;
    outcome->list = ipList;
    plat::PostQuitMessage(0);
}

struct FetchArgs {
    std::uint64_t size = 0;
    std::wstring backups;
    std::vector<std::string> resolvers;
    bool quiet = false;
    std::vector<std::wstring> positional;
};

// Options with a value take the next argument; anything else not starting with "--" is positional.
bool ParseFetchArgs(const Args& args, bool allowDownloadOptions, FetchArgs* out) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == L"--resolver" && hasValue) {
            out->resolvers.push_back(WideToUtf8(args[++i]));
        } else if (allowDownloadOptions && arg == L"--size" && hasValue) {
            if (!ParseSize(args[++i], &out->size)) {
                return false;
            }
        } else if (allowDownloadOptions && arg == L"--backup" && hasValue) {
            out->backups = args[++i];
        } else if (allowDownloadOptions && arg == L"--quiet") {
            out->quiet = true;
        } else if (arg.rfind(L"--", 0) == 0) {
            return false;
        } else {
            out->positional.push_back(arg);
        }
    }
    return true;
}

} // namespace

int RunGet(const Args& args) {
    if (args.size() != 1) {
        PrintErr(L"usage: pmtool get URL");
        return kUsageError;
    }
    // Commands never ask the resolver; the table is made safe all the same.
    if (!UseLoopbackResolvers({})) {
        return kFailed;
    }
    Outcome outcome;
    CHttpCommand command;
    command.url = args[0];
    command.callback = &OnCommandResult;
    command.userData = &outcome;
    if (RunEngines([&] { return SubmitCommand(&command); }) < 0) {
        PrintErr(L"pmtool: the command engine is not running");
        return kFailed;
    }
    plat::SetStdoutBinary();
    std::fwrite(outcome.body.data(), 1, outcome.body.size(), stdout);
    std::fflush(stdout);
    PrintErr(ResultLine(outcome));
    return ExitCode(outcome);
}

int RunFetch(const Args& args) {
    FetchArgs options;
    if (!ParseFetchArgs(args, true, &options) || options.positional.size() != 2) {
        PrintErr(L"usage: pmtool fetch [--size N] [--backup \"URL;URL\"] [--resolver IP[:PORT]]... [--quiet] "
                 L"URL OUT");
        return kUsageError;
    }
    if (!UseLoopbackResolvers(options.resolvers)) {
        return kUsageError;
    }
    FetchState state;
    state.quiet = options.quiet;
    CHttpDownloadFile download;
    const int result = RunEngines([&] {
        return StartDownload(&download, options.positional[0], options.backups, options.positional[1],
                             options.size, &state, &OnFetchDone, &OnFetchProgress);
    });
    if (result < 0) {
        PrintErr(L"pmtool: the download engine is not running");
        return kFailed;
    }
    PrintOut(ResultLine(state.outcome));
    return ExitCode(state.outcome);
}

int RunDns(const Args& args) {
    FetchArgs options;
    if (!ParseFetchArgs(args, false, &options) || options.positional.size() != 1) {
        PrintErr(L"usage: pmtool dns [--resolver IP[:PORT]]... HOST");
        return kUsageError;
    }
    if (!UseLoopbackResolvers(options.resolvers)) {
        return kUsageError;
    }
    DnsOutcome outcome;
    CDNSThread lookup;
    lookup.SetCallback(&OnDnsResult);
    lookup.SetUserData(&outcome);
    lookup.SetDomain(WideToUtf8(options.positional[0]));
    RunEngines([&] { return lookup.Start(); });
    lookup.Stop(100);
    PrintOut(FormatString(L"%d %s", outcome.code, Utf8ToWide(outcome.list)));
    return outcome.code == 0 ? 0 : kFailed;
}

} // namespace pmtool
