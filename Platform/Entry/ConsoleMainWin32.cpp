#include "Platform/ConsoleMain.h"

#include <fcntl.h>
#include <io.h>
#include <cstdio>

namespace plat {
void SetStdoutBinary() { _setmode(_fileno(stdout), _O_BINARY); }
} // namespace plat

int wmain(int argc, wchar_t** argv) {
    std::vector<std::wstring> args(argv, argv + argc);
    return ConsoleMain(args);
}
