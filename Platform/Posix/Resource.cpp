// The emulated program's resources: whatever tests put there (every module shares them).
#include "Platform/Resource.h"

#include "Platform/Posix/TestResource.h"

#include <map>
#include <mutex>
#include <string>
#include <utility>

namespace plat {

namespace {

using Key = std::pair<unsigned, std::wstring>;

std::mutex& ResourceLock()
{
    static std::mutex lock;
    return lock;
}

std::map<Key, std::vector<unsigned char>>& Resources()
{
    static auto* resources = new std::map<Key, std::vector<unsigned char>>;
    return *resources;
}

} // namespace

bool LoadResourceBytes(HINSTANCE /*module*/, unsigned id, const wchar_t* type, std::vector<unsigned char>& bytes)
{
    std::lock_guard guard(ResourceLock());
    const auto found = Resources().find({id, type != nullptr ? type : L""});
    if (found == Resources().end() || found->second.empty())
        return false;
    bytes = found->second;
    return true;
}

namespace test {

void SetResource(unsigned id, const std::wstring& type, std::vector<unsigned char> bytes)
{
    std::lock_guard guard(ResourceLock());
    Resources()[{id, type}] = std::move(bytes);
}

void RemoveResource(unsigned id, const std::wstring& type)
{
    std::lock_guard guard(ResourceLock());
    Resources().erase({id, type});
}

void ClearResources()
{
    std::lock_guard guard(ResourceLock());
    Resources().clear();
}

} // namespace test

} // namespace plat
