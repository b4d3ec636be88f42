#include "Http/HttpBase.h"

#include "Http/CurlWorkshop.h"
#include "Http/HttpMgr.h"
#include "Runtime/FormatString.h"
#include "Runtime/TextConv.h"

#include <curl/curl.h>

namespace {

constexpr const wchar_t* kKindNames[] = {L"ok", L"sys", L"crt", L"user", L"http", L"curl"};
constexpr long kLowSpeedLimit = 1;
constexpr const char* kProtocols = "http,https";
// libcurl's largest receive buffer: its 16 KiB default costs a third more CPU on a fast link.
constexpr long kReceiveBufferBytes = 512 * 1024;

bool HasCode(const ProtoValue& errors, std::int32_t type, std::int64_t* code) {
    const ProtoValue& entry = errors.get(ErrorKindName(type));
    if (entry.type() != ProtoValue::Object || !entry.isMember(L"code")) {
        return false;
    }
    const ProtoValue& value = entry.get(L"code");
    if (value.type() != ProtoValue::Integer) {
        return false;
    }
    *code = value.integer();
    return true;
}

} // namespace

const wchar_t* ErrorKindName(std::int32_t type) {
    return type >= 0 && type <= kHttpErrorCurl ? kKindNames[type] : nullptr;
}

CHttpBase::CHttpBase(CCurlWorkshop* engineWorkshop, CHttpMgr* engineManager)
    : manager(engineManager), workshop(engineWorkshop) {}

CHttpBase::~CHttpBase() {
    CHttpBase::Stop();
}

const std::wstring& CHttpBase::GetUrl() {
    return url;
}

CCurlHttp* CHttpBase::Http() const {
    return static_cast<CCurlHttp*>(transfer.get());
}

void CHttpBase::RecordError(std::int32_t type, std::int64_t code) {
    const wchar_t* kind = ErrorKindName(type);
    if (kind != nullptr) {
        errors[kind][L"code"] = ProtoValue(code);
    }
}

std::uint64_t CHttpBase::GetError() const {
    std::int64_t code = 0;
    if (HasCode(errors, kHttpErrorSys, &code) && code != 0) {
        return PackHttpError(kHttpErrorSys, static_cast<std::int32_t>(code));
    }
    if (HasCode(errors, kHttpErrorUser, &code) && code != 0) {
        return PackHttpError(kHttpErrorUser, static_cast<std::int32_t>(code));
    }
    if (HasCode(errors, kHttpErrorHttp, &code) && (code < 100 || code > 399)) {
        return PackHttpError(kHttpErrorHttp, static_cast<std::int32_t>(code));
    }
    if (HasCode(errors, kHttpErrorCurl, &code) && code != 0) {
        return PackHttpError(kHttpErrorCurl, static_cast<std::int32_t>(code));
    }
    return PackHttpError(kHttpErrorOk, 0);
}

void CHttpBase::ReleaseTransfer() {
    if (transfer) {
        transfer->alive.store(false, std::memory_order_release);
        transfer->CloseStreams();
        transfer = nullptr;
    }
}

CCurlHttp* CHttpBase::NewTransfer() {
    ReleaseTransfer();
    auto* http = new CCurlHttp(manager);
    transfer = http;
    return http;
}

bool CHttpBase::Start() {
    if (started) {
        return false;
    }
    ++attempts;
    started = true;
    Prepare();
    if (transfer && workshop != nullptr) {
        workshop->AddCurl(transfer);
    }
    return true;
}

bool CHttpBase::Prepare() {
    CCurlHttp* http = Http();
    if (http == nullptr) {
        return false;
    }
    if (http->easy == nullptr) {
        http->easy = curl_easy_init();
    } else {
        curl_easy_reset(http->easy);
    }
    http->ResetResponse();
    CURL* easy = http->easy;
    if (easy == nullptr) {
        // The workshop finishes a transfer without a handle with an error.
        return true;
    }
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_URL, WideToAnsi(GetUrl()).c_str());
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &HeaderCallback);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, static_cast<CCurlBase*>(http));
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &WriteCallback);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, static_cast<CCurlBase*>(http));
    curl_easy_setopt(easy, CURLOPT_READFUNCTION, &ReadCallback);
    curl_easy_setopt(easy, CURLOPT_READDATA, static_cast<CCurlBase*>(http));
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, kReceiveBufferBytes);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, static_cast<long>(connectTimeout));
    // Neither the request nor any redirect may leave HTTP: no file:, no other schemes.
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, kProtocols);
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, kProtocols);
    // A stalled server would otherwise hold the transfer for ever.
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, kLowSpeedLimit);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, static_cast<long>(lowSpeedTime));
    if (method == kMethodPost) {
        const unsigned size = http->readStream ? http->readStream->Size() : 0;
        curl_easy_setopt(easy, CURLOPT_POST, 1L);
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE, static_cast<long>(size));
        http->sendTotal = size;
    } else if (resumeOffset != 0) {
        curl_easy_setopt(easy, CURLOPT_RANGE, WideToAnsi(FormatString(L"%I64u-", resumeOffset)).c_str());
    }
    return true;
}

bool CHttpBase::Stop() {
    if (started) {
        started = false;
        if (transfer && workshop != nullptr) {
            workshop->RemoveCurl(transfer);
        }
    }
    ReleaseTransfer();
    if (manager != nullptr && manager->RemoveTask(this)) {
        manager = nullptr;
    }
    return true;
}

bool SubmitTask(CHttpMgr* mgr, CHttpBase* task) {
    if (mgr == nullptr) {
        return false;
    }
    task->manager = mgr;
    mgr->AddTask(task);
    return true;
}
