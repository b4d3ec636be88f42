#include "Runtime/CommonUtils.h"

#include "Platform/File.h"
#include "Platform/Shell.h"
#include "Platform/Thread.h"
#include "Runtime/FormatString.h"
#include "Runtime/Logger.h"

#include <cstdio>

namespace {

constexpr plat::DWORD kModulePathChars = 512;
constexpr const wchar_t* kBrowseTitle = L"选择文件夹";
constexpr plat::UINT kBrowseFlags = plat::BIF_RETURNONLYFSDIRS | plat::BIF_EDITBOX | plat::BIF_NEWDIALOGSTYLE;

struct SizeUnit {
    const wchar_t* pattern;
};
constexpr SizeUnit kSizeUnits[] = {{L"%.0fB"}, {L"%.2fKB"}, {L"%.2fMB"}, {L"%.2fGB"}, {L"%.2fTB"}};
constexpr int kLastSizeUnit = 4;

std::wstring& ModuleFolderCache() {
    static std::wstring* cache = new std::wstring;  // outlives every static destructor
    return *cache;
}

} // namespace

std::wstring GetModuleFolder() {
    std::wstring& cache = ModuleFolderCache();
    if (cache.empty()) {
        wchar_t buffer[kModulePathChars] = {};
        if (plat::GetModuleFileName(buffer, kModulePathChars) == 0) {
            return std::wstring();
        }
        std::wstring path = buffer;
        plat::PathRemoveFileSpec(path);
        cache = path;
    }
    return cache;
}

std::wstring BrowseFolder(plat::HWND owner, const wchar_t* initialFolder) {
    const plat::BrowseResult result = plat::BrowseForFolder(owner, kBrowseTitle, kBrowseFlags, initialFolder);
    if (!result.chosen || result.path.empty()) {
        return std::wstring();
    }
    std::wstring folder = result.path;
    if (folder.back() != L'\\') {
        folder += L'\\';
    }
    return folder;
}

std::wstring FormatSize(std::uint64_t bytes) {
    int unit = 0;
    double divisor = 1.0;
    const double value = static_cast<double>(bytes);
    if (bytes >= 1000) {
        for (unit = 1; unit <= kLastSizeUnit; ++unit) {
            divisor *= 1024.0;
            if (divisor * 1000.0 > value || unit == kLastSizeUnit) {
                break;
            }
        }
    }
    return FormatString(kSizeUnits[unit].pattern, value / divisor);
}

plat::DWORD LaunchProcess(const wchar_t* application, const std::wstring& commandLine,
                          plat::ProcessInformation* info) {
    plat::ProcessInformation started;
    if (!plat::CreateProcess(application, commandLine, &started)) {
        return plat::GetLastError();
    }
    if (info) {
        *info = started;
    }
    plat::CloseHandle(started.thread);
    plat::CloseHandle(started.process);
    return 0;
}

bool CreateDir(const std::wstring& path) {
    if (plat::PathFileExists(path.c_str())) {
        return true;
    }
    const int ret = plat::CreateDirectoryWithParents(path.c_str());
    if (ret == static_cast<int>(plat::ERROR_SUCCESS)) {
        return true;
    }
    TraceLogger::Instance().Log(2, L"CreateDir：%s ret：%d", path, ret);
    FileLogger::Instance().LogWithSource(2, 708, L".\\CommonUtils", L"CreateDir：%s ret：%d", path, ret);
    return false;
}

bool RemoveFile(const std::wstring& path) {
    if (!plat::PathFileExists(path.c_str())) {
        return true;
    }
    if (plat::DeleteFile(path.c_str())) {
        return true;
    }
    plat::Sleep(1);
    return false;
}

bool MoveFileReplacing(const std::wstring& from, const std::wstring& to) {
    if (!plat::PathFileExists(from.c_str())) {
        return false;
    }
    if (plat::MoveFileReplacing(from.c_str(), to.c_str())) {
        return true;
    }
    plat::Sleep(1);
    return false;
}

std::int64_t FileSize(const std::wstring& path) {
    if (std::FILE* file = plat::OpenCrtFile(path.c_str(), L"r")) {
        std::int64_t size = -1;
        if (plat::CrtSeek64(file, 0, SEEK_END) == 0) {
            size = plat::CrtTell64(file);
        }
        std::fclose(file);
        return size;
    }
    std::int64_t size = -1;
    if (plat::FindFileSize(path.c_str(), &size)) {
        return size;
    }
    return -1;
}

std::wstring ParentFolder(const std::wstring& path) {
    if (path.empty()) {
        return std::wstring();
    }
    std::wstring copy = path;
    for (wchar_t& c : copy) {
        if (c == L'/') {
            c = L'\\';
        }
    }
    if (copy.back() == L'\\') {
        copy.pop_back();
    }
    const std::size_t last = copy.rfind(L'\\');
    return last == std::wstring::npos ? std::wstring() : copy.substr(0, last);
}

std::wstring TextBeforeLast(const std::wstring& text, const std::wstring& separator) {
    const std::size_t last = text.rfind(separator);
    return last == std::wstring::npos ? text : text.substr(0, last);
}
