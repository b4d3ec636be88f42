// Test API of the emulation's tooltip: what the tooltip of a window shows now.
#pragma once

#include "Platform/Window.h"

#include <optional>
#include <string>

namespace plat::test {

struct ShownToolTip {
    HWND toolTip;
    std::wstring text;
    RECT tool;
    int maxWidth;
};

// The tooltip of owner that is shown now, if any.
std::optional<ShownToolTip> VisibleToolTip(HWND owner);

} // namespace plat::test
