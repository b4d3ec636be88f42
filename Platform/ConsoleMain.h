// Entry of a console program: the program defines ConsoleMain and links pm_console_main, which
// supplies the platform's own entry point and hands over the arguments as wide strings.
#pragma once

#include <string>
#include <vector>

// args[0] is the program name. The result is the process exit code.
int ConsoleMain(const std::vector<std::wstring>& args);

namespace plat {
// Puts standard output into binary mode (no newline translation), for byte-exact output.
void SetStdoutBinary();
} // namespace plat
