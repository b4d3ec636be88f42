#include "Platform/ConsoleMain.h"
#include "Runtime/TextConv.h"
#include "tools/pmtool/Commands.h"

#include <cstdio>

namespace pmtool {

namespace {

constexpr int kUsageError = 2;

const Command kCommands[] = {
    {L"md5", L"md5 FILE", RunMd5},
    {L"size", L"size BYTES", RunSize},
    {L"get", L"get URL", RunGet},
    {L"fetch", L"fetch [--size N] [--backup \"URL;URL\"] [--resolver IP[:PORT]]... [--quiet] URL OUT", RunFetch},
    {L"dns", L"dns [--resolver IP[:PORT]]... HOST", RunDns},
    {L"update", L"update --dir DIR --index URL [--index URL]... [--resolver IP[:PORT]]...", RunUpdate},
    {L"layout", L"layout [--skin DIR|ZIP] [--size WxH] [--png OUT] FILE", RunLayout},
    {L"idle", L"idle SECONDS", RunIdle},
};

void WriteUtf8(std::FILE* stream, const std::wstring& line) {
    const std::string bytes = WideToUtf8(line) + "\n";
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
}

int Usage() {
    PrintErr(L"usage: pmtool COMMAND [ARGS]");
    for (const Command& command : kCommands) {
        PrintErr(std::wstring(L"  pmtool ") + command.usage);
    }
    return kUsageError;
}

} // namespace

void PrintOut(const std::wstring& line) { WriteUtf8(stdout, line); }
void PrintErr(const std::wstring& line) { WriteUtf8(stderr, line); }

} // namespace pmtool

int ConsoleMain(const std::vector<std::wstring>& args) {
    using namespace pmtool;
    if (args.size() < 2) {
        return Usage();
    }
    for (const Command& command : kCommands) {
        if (args[1] == command.name) {
            return command.run(Args(args.begin() + 2, args.end()));
        }
    }
    PrintErr(L"pmtool: unknown command " + args[1]);
    return Usage();
}
