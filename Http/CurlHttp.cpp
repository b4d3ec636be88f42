#include "Http/CurlHttp.h"

#include "Http/HttpLog.h"
#include "Platform/Time.h"
#include "Runtime/MainThreadDispatch.h"
#include "Runtime/TextConv.h"

#include <algorithm>
#include <cerrno>
#include <set>
#include <string>

#include <curl/curl.h>

namespace {

constexpr const wchar_t* kModule = L".\\Http\\CurlHttp";
constexpr CurlCode kNoQuery = 89;

bool IsUsableStatus(std::int32_t code) {
    return code >= 100 && code <= 399;
}
bool IsRedirectStatus(std::int32_t code) {
    return code >= 300 && code <= 399;
}
bool IsInformationalStatus(std::int32_t code) {
    return code >= 100 && code <= 199;
}
bool IsSuccessStatus(std::int32_t code) {
    return code >= 200 && code <= 299;
}

bool StartsWith(const char* data, std::size_t len, const char* prefix) {
    const std::size_t n = std::char_traits<char>::length(prefix);
    return len >= n && std::equal(prefix, prefix + n, data);
}

bool IsContentLength(const std::wstring& name) {
    return ToLower(name) == L"content-length";
}

// Leading decimal digits; saturates instead of wrapping, so an absurd length still mismatches.
std::uint64_t ParseLength(const std::wstring& text) {
    std::uint64_t value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') {
            break;
        }
        const auto digit = static_cast<std::uint64_t>(c - L'0');
        value = value > (UINT64_MAX - digit) / 10 ? UINT64_MAX : value * 10 + digit;
    }
    return value;
}

// Never destroyed: a listener may outlive static destruction.
std::set<const CurlListener*>& LiveListeners() {
    static auto* const listeners = new std::set<const CurlListener*>;
    return *listeners;
}

CCurlBase* Live(void* userdata) {
    auto* curl = static_cast<CCurlBase*>(userdata);
    return curl != nullptr && curl->alive.load(std::memory_order_acquire) ? curl : nullptr;
}

// Runs on the main thread: the listener may have gone since the report was queued.
template <typename Value, void (CurlListener::*Report)(CCurlBase*, Value)>
void Deliver(const CRefPtr<CCurlBase>& curl, Value value) {
    if (curl && CurlListener::IsLive(curl->listener)) {
        (curl->listener->*Report)(curl.get(), value);
    }
}

// A transfer without a listener has nobody to report to: nothing is queued for it.
template <typename Value, void (CurlListener::*Report)(CCurlBase*, Value)>
void Post(CCurlBase* curl, Value value) {
    if (curl->listener != nullptr) {
        RunOnMainThread(&Deliver<Value, Report>, CRefPtr<CCurlBase>(curl), value);
    }
}

} // namespace

CurlListener::CurlListener() {
    LiveListeners().insert(this);
}

CurlListener::~CurlListener() {
    LiveListeners().erase(this);
}

bool CurlListener::IsLive(const CurlListener* listener) {
    return listener != nullptr && LiveListeners().count(listener) != 0;
}

CCurlBase::~CCurlBase() {
    if (easy != nullptr) {
        curl_easy_cleanup(easy);
    }
}

void CCurlBase::PostDone(CurlCode result) {
    Post<CurlCode, &CurlListener::OnCurlDone>(this, result);
}
void CCurlBase::PostRecv(unsigned bytes) {
    Post<unsigned, &CurlListener::OnCurlRecv>(this, bytes);
}
void CCurlBase::PostSend(unsigned bytes) {
    Post<unsigned, &CurlListener::OnCurlSend>(this, bytes);
}
void CCurlBase::PostHttpCode(int code) {
    Post<int, &CurlListener::OnCurlHttpCode>(this, code);
}
void CCurlBase::PostRemoved() {
    Post<int, &CurlListener::OnCurlRemoved>(this, 0);
}
void CCurlBase::PostAdded() {
    Post<int, &CurlListener::OnCurlAdded>(this, 0);
}

bool CCurlBase::ReportDue() {
    if (!reportProgress.load(std::memory_order_acquire)) {
        return false;
    }
    const plat::DWORD now = plat::GetTickCount();
    if (now - lastReportTick <= kReportIntervalMs) {
        return false;
    }
    lastReportTick = now;
    return true;
}

bool LengthMismatch(std::uint64_t total, std::uint64_t offset, std::uint64_t length) {
    if (total == 0 || length == 0) {
        return false;
    }
    return offset > total || length != total - offset;
}

std::size_t HeaderCallback(char* ptr, std::size_t size, std::size_t nmemb, void* userdata) {
    auto* curl = static_cast<CCurlBase*>(userdata);
    if (curl == nullptr) {
        return 0;
    }
    std::lock_guard<std::mutex> guard(curl->streamLock);
    if (!Live(curl)) {
        return 0;
    }
    return curl->OnRecieveHeader(ptr, size * nmemb);
}

std::size_t WriteCallback(char* ptr, std::size_t size, std::size_t nmemb, void* userdata) {
    auto* curl = static_cast<CCurlBase*>(userdata);
    if (curl == nullptr) {
        return 0;
    }
    const CRefPtr<CCurlBase> hold(curl);
    std::lock_guard<std::mutex> guard(curl->streamLock);
    if (!Live(curl)) {
        return 0;
    }
    const std::size_t n = curl->OnRecieveBody(ptr, size * nmemb);
    curl->recvSinceReport += n;
    if (curl->ReportDue()) {
        curl->PostRecv(static_cast<unsigned>(curl->recvSinceReport));
        curl->recvSinceReport = 0;
    }
    return n;
}

std::size_t ReadCallback(char* ptr, std::size_t size, std::size_t nmemb, void* userdata) {
    auto* curl = static_cast<CCurlBase*>(userdata);
    if (curl == nullptr) {
        return 0;
    }
    const CRefPtr<CCurlBase> hold(curl);
    std::lock_guard<std::mutex> guard(curl->streamLock);
    if (!Live(curl)) {
        return 0;
    }
    const std::size_t n = curl->OnSendBody(ptr, size * nmemb);
    if (curl->ReportDue()) {
        curl->PostSend(static_cast<unsigned>(n));
    }
    return n;
}

CCurlHttp::~CCurlHttp() {
    if (writeStream) {
        writeStream->Close();
        writeStream.reset();
    }
    if (readStream) {
        readStream->Close();
        readStream.reset();
    }
}

CurlCode CCurlHttp::QueryResponseCode(long* code) {
    if (easy == nullptr) {
        *code = httpCode;
        return kNoQuery;
    }
    return curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, code);
}

void CCurlHttp::ResetResponse() {
    sendTotal = 0;
    sent = 0;
    httpCode = kNoStatus;
    headers.clear();
    responseLength = 0;
    announcedLength = 0;
    bodyRefused = false;
    clearPending = false;
}

void CCurlHttp::GuardDownload(std::uint64_t offset, std::uint64_t total) {
    guarded = true;
    guardOffset = offset;
    guardTotal = total;
}

std::uint64_t CCurlHttp::AnnouncedLength() {
    std::lock_guard<std::mutex> guard(streamLock);
    return announcedLength;
}

std::size_t CCurlHttp::OnRecieveHeader(const char* data, std::size_t len) {
    // A new response starts after none, after an interim one or after a redirect.
    if (httpCode == kNoStatus || IsInformationalStatus(httpCode) || IsRedirectStatus(httpCode)) {
        ReadStatus();
    }
    if (!IsUsableStatus(httpCode)) {
        PostHttpCode(httpCode);
        return len;
    }
    if (StartsWith(data, len, "\r\n") || StartsWith(data, len, "\n")) {
        EndHeaderBlock();
        PostHttpCode(httpCode);
        return len;
    }
    if (StartsWith(data, len, "HTTP/")) {
        responseLength = 0;
    }
    StoreHeader(data, len);
    return len;
}

void CCurlHttp::ReadStatus() {
    long code = kNoStatus;
    const CurlCode result = QueryResponseCode(&code);
    httpCode = static_cast<std::int32_t>(code);
    if (result != curlcode::kOk || !IsUsableStatus(httpCode)) {
        httplog::ConsoleAndFile(httplog::kError, kModule, __LINE__,
                                L"CCurlHttp::OnRecieveHeader HTTP error code:%d httpcode:%d ", result,
                                httpCode);
    }
    if (httpCode == 200 && resumeRequested) {
        httplog::ConsoleAndFile(httplog::kInfo, kModule, __LINE__, L"httpcode==200 不支持断点续传，清空文件");
        clearPending = true;
    }
}

void CCurlHttp::StoreHeader(const char* data, std::size_t len) {
    const std::string line(data, len);
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos || colon == 0) {
        return;
    }
    std::wstring name = AnsiToWide(line.substr(0, colon));
    std::wstring value = AnsiToWide(line.substr(colon + 1));
    Trim(name);
    Trim(value);
    if (IsContentLength(name)) {
        responseLength = ParseLength(value);
    }
    headers[name] = value;
}

// The transfer thread decides as the task will once this status reaches it, so that a body the
// task is going to reject never reaches the file.
void CCurlHttp::EndHeaderBlock() {
    announcedLength = responseLength;
    if (!guarded || IsRedirectStatus(httpCode)) {
        return;
    }
    const std::uint64_t offset = httpCode == 200 && resumeRequested ? 0 : guardOffset;
    bodyRefused = LengthMismatch(guardTotal, offset, responseLength);
}

bool CCurlHttp::BodyAccepted() {
    if (bodyRefused) {
        return false;
    }
    // A final 3xx (one libcurl does not follow) carries no part of the file.
    return !guarded || IsSuccessStatus(httpCode);
}

std::size_t CCurlHttp::OnRecieveBody(const char* data, std::size_t len) {
    if (!IsUsableStatus(httpCode)) {
        const std::string shown(data, std::min(len, kLoggedBodyBytes));
        FileLogger::Instance().LogWithSource(httplog::kError, __LINE__, kModule,
                                             L"CCurlHttp::OnRecieveBody HTTP error  httpcode:%d %s", httpCode,
                                             AnsiToWide(shown));
        return 0;
    }
    if (!writeStream || !BodyAccepted()) {
        return 0;
    }
    if (clearPending) {
        clearPending = false;
        writeStream->Clear();
    }
    const int n = writeStream->Write(data, static_cast<unsigned>(len));
    if (n < 0) {
        httplog::ConsoleAndFile(httplog::kError, kModule, __LINE__,
                                L"CCurlHttp::OnRecieveBody  Write file error %d", writeStream->ErrorCode());
        return 0;
    }
    return static_cast<std::size_t>(n);
}

std::size_t CCurlHttp::OnSendBody(char* buffer, std::size_t len) {
    if (!readStream || sendTotal == 0 || sent >= sendTotal) {
        return 0;
    }
    const std::uint64_t wanted = std::min<std::uint64_t>(len, sendTotal - sent);
    const int n = readStream->Read(buffer, static_cast<unsigned>(wanted));
    if (n < 0) {
        httplog::ConsoleAndFile(httplog::kError, kModule, __LINE__,
                                L"CCurlHttp::OnSendBody  Read file error %d", errno);
        return 0;
    }
    sent += static_cast<std::uint64_t>(n);
    return static_cast<std::size_t>(n);
}

void CCurlHttp::CloseStreams() {
    std::lock_guard<std::mutex> guard(streamLock);
    alive.store(false, std::memory_order_release);
    if (writeStream) {
        writeStream->Close();
    }
    if (readStream) {
        readStream->Close();
    }
}
