// The commands of pmtool, the command-line front end to the engine, the updater and the toolkit.
#pragma once

#include <string>
#include <vector>

namespace pmtool {

using Args = std::vector<std::wstring>;  // the command's own arguments (after its name)

struct Command {
    const wchar_t* name;
    const wchar_t* usage;
    int (*run)(const Args& args);
};

int RunMd5(const Args& args);
int RunSize(const Args& args);
int RunGet(const Args& args);
int RunFetch(const Args& args);
int RunDns(const Args& args);
int RunUpdate(const Args& args);
int RunLayout(const Args& args);
int RunIdle(const Args& args);

// Output helpers: wide text leaves as UTF-8.
void PrintOut(const std::wstring& line);
void PrintErr(const std::wstring& line);

} // namespace pmtool
