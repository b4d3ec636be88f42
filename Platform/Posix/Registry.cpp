// The emulated registry: an in-memory store of string values that tests fill directly or from a
// file. Key paths and value names compare without regard to case, as the system's do. A read sees
// the view it asks for: values stored without "32:" are what a plain read finds.
#include "Platform/Registry.h"

#include "Platform/Posix/MachineState.h"
#include "Platform/Posix/TestDesktop.h"
#include "Platform/Posix/Utf8.h"

#include <cwctype>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <tuple>

namespace plat {
namespace {

using Key = std::tuple<RegistryRoot, bool, std::wstring, std::wstring>;

std::mutex g_mutex;
std::map<Key, std::wstring> g_values; // guarded by g_mutex

std::wstring Folded(const std::wstring& text) {
    std::wstring folded;
    for (wchar_t c : text) {
        folded += static_cast<wchar_t>(std::towlower(c));
    }
    return folded;
}

std::wstring KeyPath(const std::wstring& subKey) {
    const std::size_t first = subKey.find_first_not_of(L'\\');
    const std::size_t last = subKey.find_last_not_of(L'\\');
    return first == std::wstring::npos ? std::wstring() : Folded(subKey.substr(first, last - first + 1));
}

Key MakeKey(RegistryRoot root, bool view32, const std::wstring& subKey, const std::wstring& name) {
    return Key(root, view32, KeyPath(subKey), Folded(name));
}

bool ParseRoot(const std::wstring& name, RegistryRoot* root) {
    const std::wstring folded = Folded(name);
    if (folded == L"hklm" || folded == L"hkey_local_machine") {
        *root = RegistryRoot::LocalMachine;
    } else if (folded == L"hkcu" || folded == L"hkey_current_user") {
        *root = RegistryRoot::CurrentUser;
    } else {
        return false;
    }
    return true;
}

// "[32:]ROOT\key\path|name|value"; the value may itself hold "|".
bool LoadLine(std::wstring line) {
    const bool view32 = line.compare(0, 3, L"32:") == 0;
    if (view32) {
        line.erase(0, 3);
    }
    const std::size_t rootEnd = line.find(L'\\');
    const std::size_t keyEnd = line.find(L'|');
    const std::size_t nameEnd = keyEnd == std::wstring::npos ? keyEnd : line.find(L'|', keyEnd + 1);
    RegistryRoot root{};
    if (rootEnd == std::wstring::npos || nameEnd == std::wstring::npos || rootEnd > keyEnd ||
        !ParseRoot(line.substr(0, rootEnd), &root)) {
        return false;
    }
    test::SetRegistryString(root, line.substr(rootEnd + 1, keyEnd - rootEnd - 1),
                            line.substr(keyEnd + 1, nameEnd - keyEnd - 1), line.substr(nameEnd + 1), view32);
    return true;
}

} // namespace

bool ReadRegistryString(RegistryRoot root, const wchar_t* subKey, const wchar_t* valueName, std::wstring* value,
                        bool view32) {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto found = g_values.find(MakeKey(root, view32, subKey != nullptr ? subKey : L"",
                                       valueName != nullptr ? valueName : L""));
    if (found == g_values.end()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return false;
    }
    *value = found->second;
    return true;
}

namespace posix {
void ResetRegistry() { test::ClearRegistry(); }
} // namespace posix

namespace test {

void SetRegistryString(RegistryRoot root, const std::wstring& subKey, const std::wstring& name,
                       const std::wstring& value, bool view32) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_values[MakeKey(root, view32, subKey, name)] = value;
}

bool LoadRegistryFile(const std::string& hostPath) {
    std::ifstream file(hostPath, std::ios::binary);
    if (!file) {
        return false;
    }
    std::stringstream bytes;
    bytes << file.rdbuf();
    std::string text = bytes.str();
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        text.erase(0, 3);
    }
    bool wellFormed = true;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty() || line[0] == '#' || line[0] == ';') {
            continue;
        }
        wellFormed = LoadLine(posix::FromUtf8(line)) && wellFormed;
    }
    return wellFormed;
}

void ClearRegistry() {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_values.clear();
}

} // namespace test

} // namespace plat
