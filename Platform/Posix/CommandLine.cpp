// The Windows command-line splitting rules: the program name ends at the first blank (or its
// closing quote, with no escapes); in the arguments 2n backslashes before a quote give n and
// toggle quoting, 2n+1 give n and a literal quote, and a third quote in a row is a literal one.
#include "Platform/Posix/TestDesktop.h"

namespace plat::test {
namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::size_t SplitProgramName(const std::wstring& line, std::wstring* name) {
    std::size_t i = 0;
    if (line[0] == L'"') {
        for (i = 1; i < line.size() && line[i] != L'"'; ++i) {
            *name += line[i];
        }
        return i < line.size() ? i + 1 : i;
    }
    for (; i < line.size() && !IsBlank(line[i]); ++i) {
        *name += line[i];
    }
    return i;
}

} // namespace

std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine) {
    std::vector<std::wstring> argv;
    if (commandLine.empty()) {
        return argv;
    }
    argv.emplace_back();
    std::size_t i = SplitProgramName(commandLine, &argv.back());
    while (i < commandLine.size() && IsBlank(commandLine[i])) {
        ++i;
    }
    if (i < commandLine.size()) {
        argv.emplace_back();
    }
    int quotes = 0; // 1 while inside quotes
    std::size_t backslashes = 0;
    while (i < commandLine.size()) {
        const wchar_t c = commandLine[i];
        std::wstring& current = argv.back();
        if (IsBlank(c) && quotes == 0) {
            while (i < commandLine.size() && IsBlank(commandLine[i])) {
                ++i;
            }
            if (i < commandLine.size()) {
                argv.emplace_back();
            }
            backslashes = 0;
            continue;
        }
        if (c == L'\\') {
            current += c;
            ++backslashes;
            ++i;
            continue;
        }
        if (c != L'"') {
            current += c;
            backslashes = 0;
            ++i;
            continue;
        }
        // n of 2n backslashes stay; of 2n+1, n stay and the last escapes the quote.
        current.erase(current.size() - (backslashes + 1) / 2);
        if (backslashes % 2 == 0) {
            ++quotes;
        } else {
            current += L'"';
        }
        backslashes = 0;
        for (++i; i < commandLine.size() && commandLine[i] == L'"'; ++i) {
            if (++quotes == 3) {
                current += L'"';
                quotes = 0;
            }
        }
        if (quotes == 2) {
            quotes = 0;
        }
    }
    return argv;
}

} // namespace plat::test
