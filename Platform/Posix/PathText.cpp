// Path text helpers with the shell's rules. Besides "\", "/" separates too: host paths use it.
#include "Platform/File.h"

namespace plat {
namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

} // namespace

bool PathRemoveFileSpec(std::wstring& path) {
    std::size_t cursor = 0;
    std::size_t cut = 0;
    // A leading separator, or the two of a network path, stay.
    for (int skipped = 0; skipped < 2 && cursor < path.size() && IsSeparator(path[cursor]); ++skipped) {
        cut = ++cursor;
    }
    while (cursor < path.size()) {
        if (IsSeparator(path[cursor])) {
            cut = cursor;
        } else if (path[cursor] == L':') {
            cut = ++cursor;
            if (cursor < path.size() && IsSeparator(path[cursor])) {
                ++cut;
            }
        }
        ++cursor;
    }
    if (cut >= path.size()) {
        return false;
    }
    path.erase(cut);
    return true;
}

std::wstring PathJoin(const std::wstring& folder, const std::wstring& part) {
    if (folder.empty() || part.empty()) {
        return folder.empty() ? part : folder;
    }
    std::size_t folderEnd = folder.size();
    while (folderEnd > 0 && IsSeparator(folder[folderEnd - 1])) {
        --folderEnd;
    }
    std::size_t partStart = 0;
    while (partStart < part.size() && IsSeparator(part[partStart])) {
        ++partStart;
    }
    return folder.substr(0, folderEnd) + L'\\' + part.substr(partStart);
}

} // namespace plat
