// Shell services answered from the emulated machine: scripted folder-picker answers, a map of
// special folders, and a record of every document opened.
#include "Platform/Shell.h"

#include "Platform/File.h"
#include "Platform/Posix/MachineState.h"
#include "Platform/Posix/TestDesktop.h"

#include <deque>
#include <map>
#include <mutex>

namespace plat {
namespace {

std::mutex g_mutex;
std::deque<BrowseResult> g_browseAnswers;    // guarded by g_mutex
std::vector<test::BrowseCall> g_browseCalls; // guarded by g_mutex
std::map<int, std::wstring> g_specialFolders; // guarded by g_mutex
std::vector<std::wstring> g_shellOpens;       // guarded by g_mutex

std::wstring CurrentFolder() {
    wchar_t buffer[260];
    const DWORD length = GetCurrentDirectory(260, buffer);
    return length > 0 && length < 260 ? std::wstring(buffer, length) : std::wstring();
}

template <typename T> std::vector<T> Take(std::vector<T>& items) {
    std::lock_guard<std::mutex> lock(g_mutex);
    std::vector<T> taken;
    taken.swap(items);
    return taken;
}

} // namespace

BrowseResult BrowseForFolder(HWND owner, const wchar_t* title, UINT flags, const wchar_t* initialFolder) {
    const std::wstring selection = initialFolder != nullptr ? initialFolder : CurrentFolder();
    std::lock_guard<std::mutex> lock(g_mutex);
    g_browseCalls.push_back({owner, title != nullptr ? title : L"", flags, selection});
    if (g_browseAnswers.empty()) {
        return {};
    }
    BrowseResult answer = g_browseAnswers.front();
    g_browseAnswers.pop_front();
    return answer;
}

std::wstring GetSpecialFolder(int csidl) {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto found = g_specialFolders.find(csidl);
    return found != g_specialFolders.end() ? found->second : std::wstring();
}

bool ShellOpen(const wchar_t* target) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_shellOpens.emplace_back(target != nullptr ? target : L"");
    return true;
}

namespace posix {
void ResetShell() {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_browseAnswers.clear();
    g_browseCalls.clear();
    g_specialFolders.clear();
    g_shellOpens.clear();
}
} // namespace posix

namespace test {

void QueueBrowseAnswer(bool chosen, const std::wstring& path) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_browseAnswers.push_back({chosen, chosen ? path : std::wstring()});
}

std::vector<BrowseCall> TakeBrowseCalls() { return Take(g_browseCalls); }

void SetSpecialFolder(int csidl, const std::wstring& path) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_specialFolders[csidl] = path;
}

std::vector<std::wstring> TakeShellOpens() { return Take(g_shellOpens); }

} // namespace test

} // namespace plat
