// Test API of the emulation's system message boxes: each one is recorded and answered with IDOK.
#pragma once

#include "Platform/Types.h"

#include <string>
#include <vector>

namespace plat::test {

struct MessageBoxCall {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT type;
};
std::vector<MessageBoxCall> TakeMessageBoxes();

} // namespace plat::test
