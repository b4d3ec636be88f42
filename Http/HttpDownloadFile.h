// A resumable download into a local file: resumes a partial file with a byte range, checks the
// announced length against the expected size, reports progress with a speed, and on failure
// tries the same URL again, the backup URLs, then the host's addresses from the fallback resolver.
#pragma once

#include "Http/DnsThread.h"
#include "Http/HttpBase.h"
#include "Runtime/FileEx.h"
#include "Runtime/Streams.h"

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

using DownloadDoneCallback = void (*)(void* userData, int type, int code);
using DownloadProgressCallback = void (*)(void* userData, std::uint64_t total, std::uint64_t done,
                                          unsigned speed);

// The download's output stream: appends to the local file.
class DownloadWriteFile : public OBaseStream {
public:
    static constexpr unsigned kOpenFlags = 0xB0A2;
    // Error codes of the stream (user type 3 and sys type 1).
    static constexpr std::int32_t kNotOpen = 2001;
    static constexpr std::int32_t kOpenFailed = 2020;

    DownloadWriteFile() = default;
    ~DownloadWriteFile() override;

    bool Open(const std::wstring& filePath);
    // Transfer thread.
    int Write(const void* data, unsigned n) override;
    void Close() override;
    // Transfer or main thread.
    void Clear() override;

    std::wstring path;
    CFileEx file;

private:
    void Fail(int line, std::int32_t type, std::int32_t code, std::int32_t osError);

    // A Clear that failed leaves the file's content unknown: every later write fails.
    bool cleared = true;
    std::int32_t clearError = 0;
};

class CHttpDownloadFile : public CHttpBase {
public:
    static constexpr std::size_t kSpeedSamples = 10;
    static constexpr std::int32_t kLengthMismatch = 2007;
    // A dotted quad has at least this many characters.
    static constexpr std::size_t kShortestAddress = 7;

    // On the download engine.
    CHttpDownloadFile();
    ~CHttpDownloadFile() override;

    const std::wstring& GetUrl() override;
    bool Start() override;
    bool Stop() override;
    void Done(CurlCode result) override;
    void OnHttpCode(int code) override;
    void OnTimer() override;
    void OnRecvBytes(std::uint64_t bytes) override;
    void OnDNSResult(int code, const std::wstring& domain, const std::wstring& ipList);

    // Main thread: the download whose lookup of this generation is awaited, or null (a stale,
    // repeated or orphaned result).
    static CHttpDownloadFile* AwaitingLookup(void* task, std::uint32_t generation);

    std::wstring originalUrl;
    CDNSThread dns;
    std::wstring localPath;
    std::uint64_t expectedSize = 0;
    DownloadDoneCallback doneCallback = nullptr;
    DownloadProgressCallback progressCallback = nullptr;
    void* userData = nullptr;
    std::deque<std::wstring> urls;
    std::uint64_t received = 0;
    std::uint32_t sinceLastTick = 0;
    std::uint64_t contentLength = 0;
    std::deque<std::uint32_t> speedSamples;
    // The generation of the lookup this task waits for; 0 when it waits for none.
    std::uint32_t pendingLookup = 0;
    // Changes with every Start and Stop: a result posted before then is no longer this task's.
    std::uint32_t epoch = 0;

private:
    bool ReportEarly(std::int32_t type, std::int32_t code);
    void DecideResume(DownloadWriteFile* file, std::int64_t localSize);
    bool RetrySameUrl(std::int32_t type, std::int32_t code);
    bool TryBackup(std::int32_t type, std::int32_t code);
    bool TryDnsFallback(std::int32_t type, std::int32_t code);
    void StartLookup(const std::string& host);
    void EndLookup();
    void Finish(std::int32_t type, std::int32_t code);
    void PostFinal(std::int32_t type, std::int32_t code);
    void Resubmit();
};

bool StartDownload(CHttpDownloadFile* task, const std::wstring& url, const std::wstring& backupUrls,
                   const std::wstring& localPath, std::uint64_t expectedSize, void* userData,
                   DownloadDoneCallback doneCallback, DownloadProgressCallback progressCallback);
bool SubmitDownload(CHttpDownloadFile* task);

// The host of a URL: after "://", up to the first character that cannot be part of a host name.
std::wstring HostOf(const std::wstring& url);
// Pieces between every ";" (empty ones included).
std::vector<std::wstring> SplitList(const std::wstring& text);

// The resolver's result callback for downloads (main thread).
void OnSpareDNSResult(int code, void* task, const std::string& domain, const std::string& ipList,
                      std::uint32_t generation);
