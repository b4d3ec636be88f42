#include "tests/support/TempFolder.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace testsupport {

namespace {

// System paths use "\\"; both targets' file libraries take "/" as well.
fs::path HostPath(std::wstring path) {
    for (wchar_t& c : path) {
        if (c == L'\\') {
            c = L'/';
        }
    }
    return fs::path(path);
}

std::wstring UniqueName() {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    return L"pmtest-" + std::to_wstring(stamp) + L"-" + std::to_wstring(counter++);
}

} // namespace

TempFolder::TempFolder() {
    const fs::path folder = fs::temp_directory_path() / UniqueName();
    fs::create_directories(folder);
    path_ = folder.wstring();
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    fs::remove_all(fs::path(path_), ignored);
}

std::wstring TempFolder::operator/(const std::wstring& name) const {
    return (fs::path(path_) / name).wstring();
}

std::wstring TempFolder::WriteFile(const std::wstring& name, const std::string& content) const {
    const std::wstring path = *this / name;
    std::ofstream out(HostPath(path), std::ios::binary);
    out << content;
    return path;
}

std::string TempFolder::ReadFile(const std::wstring& path) {
    std::ifstream in(HostPath(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace testsupport
