#include "Runtime/Logger.h"

#include "Platform/Debug.h"
#include "Platform/File.h"
#include "Platform/Thread.h"
#include "Platform/Time.h"
#include "Runtime/Utf16Text.h"

namespace {

constexpr std::size_t kSourcePieceLimit = 2047;

const wchar_t* LevelTag(int level) {
    switch (level) {
    case 0:
        return L"INFO";
    case 1:
        return L"WARN";
    case 2:
        return L"ERRO";
    default:
        return nullptr;
    }
}

void AppendTime(std::wstring& line) {
    const plat::LocalTime now = plat::GetLocalTime();
    line += FormatString(L"[%04d-%02d-%02d %02d:%02d:%02d]", now.year, now.month, now.day, now.hour,
                         now.minute, now.second);
}

} // namespace

BaseLogger::~BaseLogger() = default;

void BaseLogger::Emit(int level, const wchar_t* file, int line, const wchar_t* format, FormatArgs args) {
    const LoggerOptions settings = Options() ? *Options() : LoggerOptions{};
    std::wstring text;
    if (const wchar_t* tag = LevelTag(level)) {
        text += FormatString(L"[%4s]", tag);
    }
    if (settings.flags & LoggerOptions::kTime) {
        AppendTime(text);
    }
    if (settings.flags & LoggerOptions::kProcessId) {
        text += FormatString(L"[pid:%d]", plat::GetCurrentProcessId());
    }
    if (settings.flags & LoggerOptions::kThreadId) {
        text += FormatString(L"[tid:%d]", plat::GetCurrentThreadId());
    }
    if (file != nullptr) {
        text += FormatString(L"[%s:%d]", file, line).substr(0, kSourcePieceLimit);
    }
    AppendFormatted(text, format, args);
    if (settings.appendNewline) {
        text += L"\r\n";
    }
    Output(text);
}

void BaseLogger::AttachOptions(const LoggerOptions& newOptions) {
    std::lock_guard<std::recursive_mutex> guard(lock);
    options = std::make_unique<LoggerOptions>(newOptions);
}

void BaseLogger::DetachOptions() {
    std::lock_guard<std::recursive_mutex> guard(lock);
    options.reset();
}

bool FileLogger::Open(const wchar_t* path, std::uint8_t flags, bool appendNewline) {
    std::lock_guard<std::recursive_mutex> guard(Lock());
    Close();
    file = plat::OpenCrtFile(path, L"ab");
    if (file == nullptr) {
        return false;
    }
    AttachOptions(LoggerOptions{flags, static_cast<std::uint8_t>(appendNewline ? 1 : 0)});
    return true;
}

void FileLogger::Close() {
    std::lock_guard<std::recursive_mutex> guard(Lock());
    DetachOptions();
    if (file != nullptr) {
        std::fclose(file);
        file = nullptr;
    }
}

void FileLogger::Output(const std::wstring& line) {
    if (!IsEnabled()) {
        return;
    }
    const std::string bytes = WideToUtf16LeBytes(line);
    if (!bytes.empty()) {
        std::fwrite(bytes.data(), bytes.size(), 1, file);
    }
    std::fflush(file);
}

bool FileLogger::IsEnabled() {
    return Options() != nullptr && file != nullptr;
}

void TraceLogger::Attach(const LoggerOptions& newOptions) {
    AttachOptions(newOptions);
}

void TraceLogger::Detach() {
    DetachOptions();
}

void TraceLogger::Output(const std::wstring& line) {
    if (IsEnabled()) {
        plat::OutputDebugString(line.c_str());
    }
}

bool TraceLogger::IsEnabled() {
    return Options() != nullptr;
}

void ConsoleLogger::Attach(const LoggerOptions& newOptions) {
    std::lock_guard<std::recursive_mutex> guard(Lock());
    AttachOptions(newOptions);
    consoleAttached = true;
}

void ConsoleLogger::Detach() {
    std::lock_guard<std::recursive_mutex> guard(Lock());
    DetachOptions();
    consoleAttached = false;
}

void ConsoleLogger::Output(const std::wstring& line) {
    if (IsEnabled()) {
        plat::WriteConsole(line.c_str(), static_cast<plat::DWORD>(line.size()));
    }
}

bool ConsoleLogger::IsEnabled() {
    return Options() != nullptr && consoleAttached;
}
