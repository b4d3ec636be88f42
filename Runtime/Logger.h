// Process-wide diagnostic loggers: a file, the debugger output channel and the console.
// Every logger stays disabled (each call returns after one locked check) until it has been
// given options and, for the file and console sinks, an output.
#pragma once

#include "Runtime/FormatString.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

struct LoggerOptions {
    static constexpr std::uint8_t kTime = 0x02;
    static constexpr std::uint8_t kProcessId = 0x04;
    static constexpr std::uint8_t kThreadId = 0x08;

    std::uint8_t flags = 0;
    std::uint8_t appendNewline = 0;
};

// The single T, created on first use. It is never destroyed: a thread still logging while the
// process exits must find it (and its lock) alive.
template <typename T> class CSingleton {
public:
    static T& Instance() {
        static T* const instance = new T();
        return *instance;
    }

    CSingleton(const CSingleton&) = delete;
    CSingleton& operator=(const CSingleton&) = delete;

protected:
    CSingleton() = default;
    ~CSingleton() = default;
};

class BaseLogger {
public:
    virtual ~BaseLogger();

    BaseLogger(const BaseLogger&) = delete;
    BaseLogger& operator=(const BaseLogger&) = delete;

    // Arguments follow FormatString's conventions. Nothing is formatted while disabled.
    template <typename... Args> void Log(int level, const wchar_t* format, const Args&... args) {
        std::lock_guard<std::recursive_mutex> guard(lock);
        if (IsEnabled()) {
            const std::array<FormatArg, sizeof...(Args)> list{FormatArg(args)...};
            Emit(level, nullptr, 0, format, list);
        }
    }

    // file names the calling module by its relative path (".\Updater\Updater"), line the call.
    template <typename... Args>
    void LogWithSource(int level, int line, const wchar_t* file, const wchar_t* format, const Args&... args) {
        std::lock_guard<std::recursive_mutex> guard(lock);
        if (IsEnabled()) {
            const std::array<FormatArg, sizeof...(Args)> list{FormatArg(args)...};
            Emit(level, file ? file : L"", line, format, list);
        }
    }

    // Writes a finished line to the sink (nothing while disabled).
    virtual void Output(const std::wstring& line) = 0;
    virtual bool IsEnabled() = 0;

protected:
    BaseLogger() = default;

    // Builds one line (tag, time, pid, tid, source when file is non-null, message, line break)
    // and hands it to Output. Called with the lock held.
    virtual void Emit(int level, const wchar_t* file, int line, const wchar_t* format, FormatArgs args);

    void AttachOptions(const LoggerOptions& newOptions);
    void DetachOptions();
    const LoggerOptions* Options() const { return options.get(); }
    std::recursive_mutex& Lock() { return lock; }

private:
    std::unique_ptr<LoggerOptions> options;
    std::recursive_mutex lock;
};

// Writes each line as UTF-16LE code units and flushes after it.
class FileLogger : public BaseLogger, public CSingleton<FileLogger> {
public:
    // Opens (appending to) the log file and enables the logger; false if it cannot be opened.
    bool Open(const wchar_t* path, std::uint8_t flags, bool appendNewline);
    // Closes the file and disables the logger.
    void Close();

    void Output(const std::wstring& line) override;
    bool IsEnabled() override;

private:
    friend class CSingleton<FileLogger>;
    FileLogger() = default;

    std::FILE* file = nullptr;
};

// Passes each line to the debugger output channel.
class TraceLogger : public BaseLogger, public CSingleton<TraceLogger> {
public:
    void Attach(const LoggerOptions& newOptions);
    void Detach();

    void Output(const std::wstring& line) override;
    bool IsEnabled() override;

private:
    friend class CSingleton<TraceLogger>;
    TraceLogger() = default;
};

// Writes each line to the process console.
class ConsoleLogger : public BaseLogger, public CSingleton<ConsoleLogger> {
public:
    // Enables the logger and marks the console as attached.
    void Attach(const LoggerOptions& newOptions);
    void Detach();

    void Output(const std::wstring& line) override;
    bool IsEnabled() override;

private:
    friend class CSingleton<ConsoleLogger>;
    ConsoleLogger() = default;

    bool consoleAttached = false;
};
