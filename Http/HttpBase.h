// An HTTP task as the application sees it: one request that survives retries, with a fresh
// transfer per attempt, an error record and one final (error type, code) result.
#pragma once

#include "Http/CurlHttp.h"
#include "Platform/Types.h"
#include "Runtime/ProtoValue.h"
#include "Runtime/RefCounted.h"

#include "Http/CurlTypes.h"

#include <cstdint>
#include <string>

class CCurlWorkshop;
class CHttpMgr;

// Error types of a result pair; (0, 0) is success.
enum HttpErrorType : std::int32_t {
    kHttpErrorOk = 0,
    kHttpErrorSys = 1,
    kHttpErrorCrt = 2,
    kHttpErrorUser = 3,
    kHttpErrorHttp = 4,
    kHttpErrorCurl = 5,
};

// The error record's kind name of an error type ("ok" .. "curl"); null outside the table.
const wchar_t* ErrorKindName(std::int32_t type);

// GetError's packing: the code in the low, the type in the high 32 bits.
constexpr std::uint64_t PackHttpError(std::int32_t type, std::int32_t code) {
    return (std::uint64_t(static_cast<std::uint32_t>(type)) << 32) | static_cast<std::uint32_t>(code);
}
constexpr std::int32_t HttpErrorCodeOf(std::uint64_t packed) {
    return static_cast<std::int32_t>(packed & 0xFFFFFFFFu);
}
constexpr std::int32_t HttpErrorTypeOf(std::uint64_t packed) {
    return static_cast<std::int32_t>(packed >> 32);
}

class CHttpBase {
public:
    static constexpr std::int32_t kMethodGet = 1;
    static constexpr std::int32_t kMethodPost = 2;
    static constexpr long kMaxRedirects = 5;

    CHttpBase(CCurlWorkshop* engineWorkshop, CHttpMgr* engineManager);
    CHttpBase(const CHttpBase&) = delete;
    CHttpBase& operator=(const CHttpBase&) = delete;

    virtual const std::wstring& GetUrl();
    virtual ~CHttpBase();
    virtual bool Prepare();
    virtual bool Start();
    virtual bool Stop();
    virtual void Done(CurlCode result) = 0;
    virtual void OnHttpCode(int code) = 0;
    virtual void OnTimer() {}
    virtual void OnRecvBytes(std::uint64_t bytes) { static_cast<void>(bytes); }

    // The record's verdict, packed as PackHttpError does.
    std::uint64_t GetError() const;
    // errors[kind of type]["code"] = code.
    void RecordError(std::int32_t type, std::int64_t code);
    // The current attempt's transfer (null when there is none).
    CCurlHttp* Http() const;
    // Gives the current transfer up: no callback touches its streams afterwards.
    void ReleaseTransfer();

    CRefPtr<CCurlBase> transfer;
    CHttpMgr* manager = nullptr;
    CCurlWorkshop* workshop = nullptr;
    bool started = false;
    std::wstring url;
    std::uint32_t taskId = 0;
    plat::DWORD addTick = 0;
    std::int32_t method = kMethodGet;
    std::uint64_t resumeOffset = 0;
    std::int32_t attempts = 0;
    bool scheduled = false;
    ProtoValue errors;
    std::int32_t maxRetries = 2;
    // Seconds.
    std::int32_t connectTimeout = 5;
    // Seconds below one byte per second after which a stalled transfer is aborted.
    std::int32_t lowSpeedTime = 30;
    bool retryPending = false;
    plat::DWORD retryTick = 0;
    // Set by a Start that reported the final result itself: the manager lets the task go.
    bool leaveManager = false;

protected:
    // A new transfer for the next attempt (the previous one given up first).
    CCurlHttp* NewTransfer();
};

bool SubmitTask(CHttpMgr* mgr, CHttpBase* task);
