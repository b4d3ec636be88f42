// Test API of the emulation's executable resources: what the program "carries".
#pragma once

#include <string>
#include <vector>

namespace plat::test {

// Adds or replaces the resource (id, type); empty bytes make an empty resource.
void SetResource(unsigned id, const std::wstring& type, std::vector<unsigned char> bytes);
void RemoveResource(unsigned id, const std::wstring& type);
void ClearResources();

} // namespace plat::test
