#include "Platform/ConsoleMain.h"

#include <clocale>
#include <cstdlib>
#include <cwchar>

namespace plat {
void SetStdoutBinary() {}
} // namespace plat

namespace {

std::wstring Widen(const char* text) {
    // Host arguments are UTF-8 (or plain ASCII); decode with the C library's multibyte rules.
    std::mbstate_t state{};
    const char* source = text;
    const std::size_t length = std::mbsrtowcs(nullptr, &source, 0, &state);
    if (length == static_cast<std::size_t>(-1)) {
        return std::wstring(text, text + std::char_traits<char>::length(text));
    }
    std::wstring wide(length, L'\0');
    source = text;
    state = std::mbstate_t{};
    std::mbsrtowcs(wide.data(), &source, length, &state);
    return wide;
}

} // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_CTYPE, "C.UTF-8");
    std::vector<std::wstring> args;
    for (int i = 0; i < argc; ++i) {
        args.push_back(Widen(argv[i]));
    }
    return ConsoleMain(args);
}
