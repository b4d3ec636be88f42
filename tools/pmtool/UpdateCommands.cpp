#include "Platform/Window.h"
#include "Runtime/FormatString.h"
#include "Runtime/TextConv.h"
#include "Updater/Updater.h"
#include "tools/pmtool/Commands.h"
#include "tools/pmtool/EngineSession.h"

#include <memory>
#include <string>
#include <vector>

namespace pmtool {

namespace {

constexpr int kFailed = 1;
constexpr int kUsageError = 2;

// Prints each event as a line and ends the loop after the last one of the attempt.
class ConsoleGameListener : public IGameEventListener {
public:
    void OnProgress(std::int64_t total, std::int64_t complete, std::int64_t speed) override {
        PrintOut(FormatString(L"progress %lld %lld %lld", total, complete, speed));
    }
    void OnDownloadFinished(int errorClass, int errorCode, const std::wstring&) override {
        PrintOut(FormatString(L"finished %d %d", errorClass, errorCode));
        plat::PostQuitMessage(errorClass == 0 && errorCode == 0 ? 0 : kFailed);
    }
    void OnIndexFetched(int errorClass, int errorCode, const std::wstring& version, const std::wstring& md5) override {
        PrintOut(FormatString(L"index %d %d %s %s", errorClass, errorCode, version, md5));
        if (errorClass != 0) {
            plat::PostQuitMessage(kFailed);
        }
    }
};

struct UpdateOptions {
    std::wstring dir;
    std::vector<std::wstring> indexes;
    std::vector<std::string> resolvers;
};

bool ParseUpdateOptions(const Args& args, UpdateOptions* options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const bool hasValue = i + 1 < args.size();
        if (args[i] == L"--dir" && hasValue) {
            options->dir = args[++i];
        } else if (args[i] == L"--index" && hasValue) {
            options->indexes.push_back(args[++i]);
        } else if (args[i] == L"--resolver" && hasValue) {
            options->resolvers.push_back(WideToUtf8(args[++i]));
        } else {
            return false;
        }
    }
    return !options->dir.empty() && !options->indexes.empty();
}

} // namespace

int RunUpdate(const Args& args) {
    UpdateOptions options;
    if (!ParseUpdateOptions(args, &options)) {
        PrintErr(L"usage: pmtool update --dir DIR --index URL [--index URL]... [--resolver IP[:PORT]]...");
        return kUsageError;
    }
    if (!UseLoopbackResolvers(options.resolvers)) {
        return kUsageError;
    }
    SetUpdateIndexAddresses(options.indexes);
    ConsoleGameListener listener;
    std::unique_ptr<CUpdater> updater;
    const int result = RunEngines(
        [&] {
            updater = std::make_unique<CUpdater>(options.dir, &listener);
            if (!updater->Start()) {
                PrintErr(L"pmtool: the updater could not start (folder or helper window)");
                return false;
            }
            return true;
        },
        [&] {
            if (updater) {
                updater->Stop();
            }
        });
    return result < 0 ? kFailed : result;
}

} // namespace pmtool
