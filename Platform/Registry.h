// Read-only registry access (the POSIX backend reads a file-backed store set by tests).
#pragma once

#include "Platform/Types.h"

#include <string>

namespace plat {

enum class RegistryRoot { LocalMachine, CurrentUser };

// Reads a string value (REG_SZ or REG_EXPAND_SZ, unexpanded). `view32` reads the 32-bit view.
// False when the key or value does not exist or is not a string.
bool ReadRegistryString(RegistryRoot root, const wchar_t* subKey, const wchar_t* valueName,
                        std::wstring* value, bool view32 = false);

} // namespace plat
