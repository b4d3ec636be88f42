// Executable resources: the data a module carries (the skin archive, layouts in resources).
#pragma once

#include "Platform/Types.h"

#include <vector>

namespace plat {

// A copy of the resource of that numeric id and type name in module (null: the program).
// False when it is missing, cannot be loaded or is empty.
bool LoadResourceBytes(HINSTANCE module, unsigned id, const wchar_t* type, std::vector<unsigned char>& bytes);

} // namespace plat
