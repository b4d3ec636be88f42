#include "Http/HttpDownloadFile.h"

#include "Http/CurlWorkshop.h"
#include "Http/HttpLog.h"
#include "Http/HttpMgr.h"
#include "Platform/File.h"
#include "Platform/Time.h"
#include "Runtime/CommonUtils.h"
#include "Runtime/MainThreadDispatch.h"
#include "Runtime/TextConv.h"

#include <algorithm>
#include <memory>
#include <numeric>
#include <set>

namespace {

constexpr const wchar_t* kModule = L".\\Http\\HttpDownloadFile";
constexpr std::size_t kShortestUrl = 3;
constexpr std::size_t kShortestHost = 3;

// Never destroyed: tasks are main-thread objects, but may outlive static destruction.
std::set<const CHttpDownloadFile*>& LiveDownloads() {
    static auto* const downloads = new std::set<const CHttpDownloadFile*>;
    return *downloads;
}

bool IsHostChar(wchar_t c) {
    return c == L'.' || c == L'-' || (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') ||
           (c >= L'0' && c <= L'9');
}

std::wstring ReplaceAll(std::wstring text, const std::wstring& from, const std::wstring& to) {
    if (from.empty()) {
        return text;
    }
    for (std::size_t at = text.find(from); at != std::wstring::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// A final result that reaches the main thread later: dropped when the task has gone or has been
// started or stopped since.
void DeliverPostedResult(void* task, std::uint32_t epoch, int type, int code) {
    auto* download = static_cast<CHttpDownloadFile*>(task);
    if (LiveDownloads().count(download) == 0 || download->epoch != epoch) {
        return;
    }
    if (download->doneCallback != nullptr) {
        download->doneCallback(download->userData, type, code);
    }
}

void LogStep(int line, const wchar_t* format, std::int32_t a, std::int32_t b, const std::wstring& url) {
    httplog::TraceAndFile(httplog::kError, httplog::kInfo, kModule, line, format, a, b, url);
}

} // namespace

// ---- DownloadWriteFile -------------------------------------------------------------------------

DownloadWriteFile::~DownloadWriteFile() {
    Close();
}

void DownloadWriteFile::Fail(int line, std::int32_t type, std::int32_t code, std::int32_t osError) {
    ConsoleLogger::Instance().LogWithSource(httplog::kError, line, kModule, L"[DownloadWriteFile]打开错误:%d",
                                            osError);
    FileLogger::Instance().LogWithSource(httplog::kError, line, kModule, L"[DownloadWriteFile]打开错误 %d:%d",
                                         1, osError);
    SetError(type, code);
}

bool DownloadWriteFile::Open(const std::wstring& filePath) {
    Close();
    path = filePath;
    CFileExException error;
    if (!file.Open(path.c_str(), kOpenFlags, &error)) {
        Fail(__LINE__, kStreamErrorSys, kOpenFailed, error.osError);
        return false;
    }
    try {
        file.Seek(0, plat::FILE_END);
    } catch (const CFileExException& seekError) {
        file.Abort();
        Fail(__LINE__, kStreamErrorSys, kOpenFailed, seekError.osError);
        return false;
    }
    return true;
}

int DownloadWriteFile::Write(const void* data, unsigned n) {
    if (!file.IsOpen()) {
        SetError(kStreamErrorUser, kNotOpen);
        return -1;
    }
    if (!cleared) {
        SetError(kStreamErrorSys, clearError);
        return -1;
    }
    try {
        file.Write(data, n);
    } catch (const CFileExException& writeError) {
        Fail(__LINE__, kStreamErrorSys, writeError.osError, writeError.osError);
        return -1;
    }
    return static_cast<int>(n);
}

void DownloadWriteFile::Close() {
    if (file.IsOpen()) {
        try {
            file.Close();
        } catch (const CFileExException&) {
            file.Abort();
        }
    }
    cleared = true;
    SetError(kStreamErrorNone, 0);
}

void DownloadWriteFile::Clear() {
    if (!file.IsOpen()) {
        plat::DeleteFile(path.c_str());
        return;
    }
    try {
        file.SetLength(0);
    } catch (const CFileExException& error) {
        Fail(__LINE__, kStreamErrorSys, error.osError, error.osError);
        cleared = false;
        clearError = error.osError;
    }
}

// ---- CHttpDownloadFile -------------------------------------------------------------------------

CHttpDownloadFile::CHttpDownloadFile() : CHttpBase(DownloadWorkshop(), DownloadManager()) {
    LiveDownloads().insert(this);
}

CHttpDownloadFile::~CHttpDownloadFile() {
    LiveDownloads().erase(this);
    CHttpDownloadFile::Stop();
}

CHttpDownloadFile* CHttpDownloadFile::AwaitingLookup(void* task, std::uint32_t generation) {
    auto* download = static_cast<CHttpDownloadFile*>(task);
    if (generation == 0 || LiveDownloads().count(download) == 0 || download->pendingLookup != generation) {
        return nullptr;
    }
    return download;
}

const std::wstring& CHttpDownloadFile::GetUrl() {
    static const std::wstring none;
    return urls.empty() ? none : urls.front();
}

void CHttpDownloadFile::OnRecvBytes(std::uint64_t bytes) {
    sinceLastTick += static_cast<std::uint32_t>(bytes);
}

// The result of a Start that needs no transfer. The file is let go first, so that the caller
// may move it at once; nothing here is touched after the callback.
bool CHttpDownloadFile::ReportEarly(std::int32_t type, std::int32_t code) {
    ReleaseTransfer();
    leaveManager = true;
    if (doneCallback != nullptr) {
        doneCallback(userData, type, code);
    }
    return false;
}

bool CHttpDownloadFile::Start() {
    if (started) {
        return false;
    }
    ++epoch;
    EndLookup();
    CCurlHttp* http = NewTransfer();
    http->reportProgress.store(true, std::memory_order_release);
    auto stream = std::make_unique<DownloadWriteFile>();
    if (!stream->Open(localPath)) {
        const std::int32_t type = stream->ErrorType();
        const std::int32_t code = stream->ErrorCode();
        stream.reset();
        return ReportEarly(type, code);
    }
    DownloadWriteFile* file = stream.get();
    http->writeStream = std::move(stream);
    FileLogger::Instance().LogWithSource(httplog::kInfo, __LINE__, kModule,
                                         L"CHttpDownloadFile::Start() localPath:%s", localPath);
    std::int64_t localSize = FileSize(localPath);
    if (localSize < 0) {
        FileLogger::Instance().LogWithSource(httplog::kInfo, __LINE__, kModule, L"无需断点下载 %s ",
                                             localPath);
        localSize = 0;
    }
    if (expectedSize != 0 && static_cast<std::uint64_t>(localSize) == expectedSize) {
        httplog::TraceAndFile(httplog::kError, httplog::kInfo, kModule, __LINE__,
                              L"文件大小等于预计大小，下载已完成 %s pos:%lld", localPath, localSize);
        return ReportEarly(kHttpErrorOk, 0);
    }
    DecideResume(file, localSize);
    http->GuardDownload(resumeOffset, expectedSize);
    return CHttpBase::Start();
}

void CHttpDownloadFile::DecideResume(DownloadWriteFile* file, std::int64_t localSize) {
    CCurlHttp* http = Http();
    const auto size = static_cast<std::uint64_t>(localSize);
    http->resumeRequested = false;
    resumeOffset = 0;
    if (expectedSize == 0) {
        file->Clear();
    } else if (size > expectedSize) {
        httplog::TraceAndFile(httplog::kError, httplog::kError, kModule, __LINE__,
                              L"%s文件大小(%lld)大于预期(%lld)大小  ", localPath, localSize,
                              static_cast<std::int64_t>(expectedSize));
        file->Clear();
    } else if (size > 0) {
        httplog::TraceAndFile(httplog::kError, httplog::kInfo, kModule, __LINE__, L"开始断点下载 %s pos:%lld",
                              localPath, localSize);
        http->resumeRequested = true;
        resumeOffset = size;
    } else {
        httplog::TraceAndFile(httplog::kError, httplog::kInfo, kModule, __LINE__, L"非断点 %s pos:%lld",
                              localPath, localSize);
    }
}

bool CHttpDownloadFile::Stop() {
    ++epoch;
    received = 0;
    sinceLastTick = 0;
    contentLength = 0;
    EndLookup();
    return CHttpBase::Stop();
}

void CHttpDownloadFile::OnHttpCode(int code) {
    if (code >= 300 && code <= 399) {
        ConsoleLogger::Instance().LogWithSource(httplog::kInfo, __LINE__, kModule, L"重定向中... url:%s",
                                                GetUrl());
        FileLogger::Instance().LogWithSource(httplog::kInfo, __LINE__, kModule, L"重定向中...  url:%s",
                                             GetUrl());
        return;
    }
    RecordError(kHttpErrorHttp, code);
    CCurlHttp* http = Http();
    // An error status says nothing about the file's length.
    if (code < 100 || code > 399 || http == nullptr) {
        return;
    }
    if (code == 200 && http->resumeRequested) {
        httplog::ConsoleAndFile(httplog::kInfo, kModule, __LINE__, L"不支持断点续传 url:%s", GetUrl());
        resumeOffset = 0;
    }
    const std::uint64_t length = http->AnnouncedLength();
    if (length == 0) {
        return;
    }
    contentLength = length;
    if (LengthMismatch(expectedSize, resumeOffset, contentLength)) {
        httplog::TraceAndFile(httplog::kError, httplog::kError, kModule, __LINE__,
                              L"长度不一致 预期值:%lld 实际值:%lld", static_cast<std::int64_t>(expectedSize),
                              static_cast<std::int64_t>(resumeOffset + contentLength));
        Stop();
        Finish(kHttpErrorUser, kLengthMismatch);
        return;
    }
    if (progressCallback != nullptr) {
        progressCallback(userData, resumeOffset + contentLength, resumeOffset, 0);
    }
}

void CHttpDownloadFile::OnTimer() {
    if (!started || progressCallback == nullptr || contentLength == 0) {
        return;
    }
    speedSamples.push_back(sinceLastTick);
    received += sinceLastTick;
    sinceLastTick = 0;
    if (speedSamples.size() > kSpeedSamples) {
        speedSamples.pop_front();
    }
    const std::uint64_t sum = std::accumulate(speedSamples.begin(), speedSamples.end(), std::uint64_t{0});
    const auto speed = static_cast<unsigned>(sum / kSpeedSamples);
    progressCallback(userData, resumeOffset + contentLength, resumeOffset + received, speed);
}

void CHttpDownloadFile::Done(CurlCode result) {
    if (!started) {
        return;
    }
    Stop();
    // libcurl ends a close-delimited body cut short, an empty 200, a 204 or a final 3xx without
    // an error: only the file's size tells whether the download is complete.
    const bool incomplete = result == curlcode::kOk && expectedSize != 0 &&
                            FileSize(localPath) != static_cast<std::int64_t>(expectedSize);
    RecordError(kHttpErrorCurl, incomplete ? curlcode::kPartialFile : result);
    const std::uint64_t error = GetError();
    const std::int32_t code = HttpErrorCodeOf(error);
    const std::int32_t type = HttpErrorTypeOf(error);
    if (RetrySameUrl(type, code) || TryBackup(type, code) || TryDnsFallback(type, code)) {
        return;
    }
    errors.clear();
    if (type != kHttpErrorOk) {
        LogStep(__LINE__, L"CHttpDownloadFile::Done()  code:%d errtype:%d  url:%s ", code, type, GetUrl());
    }
    Finish(type, code);
}

void CHttpDownloadFile::Resubmit() {
    retryPending = true;
    retryTick = plat::GetTickCount();
    SubmitDownload(this);
}

bool CHttpDownloadFile::RetrySameUrl(std::int32_t type, std::int32_t code) {
    if (attempts > maxRetries || type != kHttpErrorCurl || code == 0) {
        return false;
    }
    errors.clear();
    LogStep(__LINE__, L"CHttpDownloadFile::Done() 重试.... code:%d errtype:%d  url:%s ", code, kHttpErrorCurl,
            GetUrl());
    Resubmit();
    return true;
}

bool CHttpDownloadFile::TryBackup(std::int32_t type, std::int32_t code) {
    if ((type != kHttpErrorHttp && type != kHttpErrorCurl) || code == 0 || urls.size() < 2) {
        return false;
    }
    errors.clear();
    attempts = 0;
    const std::wstring failed = urls.front();
    urls.pop_front();
    httplog::TraceAndFile(httplog::kError, httplog::kInfo, kModule, __LINE__,
                          L"CHttpDownloadFile::Done() type:%d code:%d  url:%s 下载失败，尝试使用备用地址:%s",
                          type, code, failed, GetUrl());
    Resubmit();
    return true;
}

// The record is kept until the lookup's result has been handled: it holds the type the failure
// ends with if the lookup does not help.
bool CHttpDownloadFile::TryDnsFallback(std::int32_t type, std::int32_t code) {
    if ((type != kHttpErrorHttp && type != kHttpErrorCurl) || code == 0 || originalUrl.empty()) {
        return false;
    }
    const std::string host = WideToUtf8(HostOf(originalUrl));
    if (host.size() < kShortestHost) {
        return false;
    }
    attempts = 0;
    retryPending = true;
    LogStep(__LINE__, L"CHttpDownloadFile::Done() 开始重试DNS解析.... type:%d code:%d  url:%s ", type, code,
            originalUrl);
    retryTick = plat::GetTickCount();
    StartLookup(host);
    return true;
}

void CHttpDownloadFile::StartLookup(const std::string& host) {
    EndLookup();
    dns.SetCallback(&OnSpareDNSResult);
    dns.SetUserData(this);
    dns.SetDomain(host);
    if (!dns.Start()) {
        OnDNSResult(-1, Utf8ToWide(host), std::wstring());
        return;
    }
    pendingLookup = dns.Generation();
}

void CHttpDownloadFile::EndLookup() {
    pendingLookup = 0;
    if (dns.IsRunning()) {
        dns.Stop(500);
    }
}

void CHttpDownloadFile::Finish(std::int32_t type, std::int32_t code) {
    errors.clear();
    urls.clear();
    attempts = 0;
    retryPending = false;
    if (doneCallback != nullptr) {
        doneCallback(userData, type, code);
    }
}

void CHttpDownloadFile::PostFinal(std::int32_t type, std::int32_t code) {
    urls.clear();
    attempts = 0;
    retryPending = false;
    RunOnMainThread(&DeliverPostedResult, static_cast<void*>(this), epoch, type, code);
}

void CHttpDownloadFile::OnDNSResult(int code, const std::wstring& domain, const std::wstring& ipList) {
    dns.Stop(100);
    pendingLookup = 0;
    const std::int32_t type = HttpErrorTypeOf(GetError());
    errors.clear();
    if (originalUrl.empty()) {
        LogStep(__LINE__, L"CHttpDownloadFile::OnDNSResult() 状态不对，忽略 type:%d code:%d  url:%s ", type,
                code, GetUrl());
        PostFinal(type, code);
        return;
    }
    urls.clear();
    for (const std::wstring& address : SplitList(ipList)) {
        if (address.size() >= kShortestAddress) {
            urls.push_back(ReplaceAll(originalUrl, domain, address));
        }
    }
    if (!domain.empty() && !urls.empty()) {
        attempts = 0;
        LogStep(__LINE__, L"CHttpDownloadFile::Done() 重试DNS解析到的ip列表.... type:%d code:%d  url:%s ",
                type, code, GetUrl());
        originalUrl.clear();
        Resubmit();
        return;
    }
    LogStep(__LINE__, L"CHttpDownloadFile::OnDNSResult() 解析DNS失败 type:%d code:%d  url:%s ", type, code,
            GetUrl());
    PostFinal(type, code);
}

// ---- free functions ----------------------------------------------------------------------------

std::vector<std::wstring> SplitList(const std::wstring& text) {
    std::vector<std::wstring> pieces;
    std::size_t begin = 0;
    for (std::size_t at = text.find(L';'); at != std::wstring::npos; at = text.find(L';', begin)) {
        pieces.push_back(text.substr(begin, at - begin));
        begin = at + 1;
    }
    pieces.push_back(text.substr(begin));
    return pieces;
}

std::wstring HostOf(const std::wstring& url) {
    const std::size_t scheme = url.find(L"://");
    const std::size_t begin = scheme == std::wstring::npos ? 0 : scheme + 3;
    std::size_t end = begin;
    while (end < url.size() && IsHostChar(url[end])) {
        ++end;
    }
    return url.substr(begin, end - begin);
}

bool SubmitDownload(CHttpDownloadFile* task) {
    CHttpMgr* manager = DownloadManager();
    if (manager == nullptr) {
        return false;
    }
    task->workshop = DownloadWorkshop();
    return SubmitTask(manager, task);
}

bool StartDownload(CHttpDownloadFile* task, const std::wstring& url, const std::wstring& backupUrls,
                   const std::wstring& localPath, std::uint64_t expectedSize, void* userData,
                   DownloadDoneCallback doneCallback, DownloadProgressCallback progressCallback) {
    std::deque<std::wstring> urls;
    if (!backupUrls.empty()) {
        const std::vector<std::wstring> pieces = SplitList(backupUrls);
        urls.assign(pieces.begin(), pieces.end());
    }
    if (!url.empty()) {
        std::erase_if(
            urls, [&url](const std::wstring& entry) { return entry == url || entry.size() < kShortestUrl; });
        task->originalUrl = url;
    }
    if (task->started) {
        return false;
    }
    urls.push_front(url);
    task->urls = std::move(urls);
    task->localPath = localPath;
    task->expectedSize = expectedSize;
    task->doneCallback = doneCallback;
    task->progressCallback = progressCallback;
    task->userData = userData;
    return SubmitDownload(task);
}

void OnSpareDNSResult(int code, void* task, const std::string& domain, const std::string& ipList,
                      std::uint32_t generation) {
    CHttpDownloadFile* download = CHttpDownloadFile::AwaitingLookup(task, generation);
    if (download == nullptr) {
        httplog::TraceAndFile(httplog::kError, httplog::kError, kModule, __LINE__,
                              L"DNS回调失效 找不到相关任务 id:0x%x %s", 0, AnsiToWide(domain));
        return;
    }
    if (code != 0 || ipList.empty()) {
        httplog::TraceAndFile(httplog::kError, httplog::kInfo, kModule, __LINE__,
                              L"OnSpareDNSResult 失败 code:%d, domain:%s", code, AnsiToWide(domain));
    } else {
        httplog::TraceAndFile(httplog::kError, httplog::kInfo, kModule, __LINE__,
                              L"OnSpareDNSResult 解析成功 code:%d, domain:%s, ip_list:%s", 0,
                              AnsiToWide(domain), AnsiToWide(ipList));
    }
    download->OnDNSResult(code, Utf8ToWide(domain), Utf8ToWide(ipList));
}
