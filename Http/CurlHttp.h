// One libcurl easy transfer and what its callbacks need on the transfer thread: the status and
// headers of the current response, the body streams and the progress counters. Shared between
// the main thread and the transfer thread by reference count.
#pragma once

#include "Platform/Types.h"
#include "Runtime/ProtoValue.h"
#include "Runtime/RefCounted.h"
#include "Runtime/Streams.h"

#include "Http/CurlTypes.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

class CCurlBase;

// How transfers and the workshop report to their task manager; every call on the main thread.
// Listeners are created and destroyed on the main thread; a report queued for one that has gone
// meanwhile is dropped.
class CurlListener {
public:
    CurlListener();
    CurlListener(const CurlListener&) = delete;
    CurlListener& operator=(const CurlListener&) = delete;
    virtual ~CurlListener();
    // Main thread: whether the listener still exists.
    static bool IsLive(const CurlListener* listener);

    virtual void OnCurlDone(CCurlBase* curl, CurlCode result) = 0;
    virtual void OnCurlRecv(CCurlBase* curl, unsigned bytes) = 0;
    virtual void OnCurlSend(CCurlBase* curl, unsigned bytes) = 0;
    virtual void OnCurlHttpCode(CCurlBase* curl, int code) = 0;
    virtual void OnCurlRemoved(CCurlBase* curl, int value) = 0;
    virtual void OnCurlAdded(CCurlBase* curl, int value) = 0;
};

class CCurlBase : public CRefThreadSafeBase<CCurlBase> {
public:
    static constexpr plat::DWORD kReportIntervalMs = 100;

    explicit CCurlBase(CurlListener* owner) : listener(owner) {}
    CCurlBase(const CCurlBase&) = delete;
    CCurlBase& operator=(const CCurlBase&) = delete;
    virtual ~CCurlBase();

    // Transfer thread, with streamLock held by the callback that calls them.
    virtual std::size_t OnRecieveHeader(const char* data, std::size_t len) = 0;
    virtual std::size_t OnRecieveBody(const char* data, std::size_t len) = 0;
    virtual std::size_t OnSendBody(char* buffer, std::size_t len) = 0;
    // Main thread: clears alive and closes the streams, both under streamLock.
    virtual void CloseStreams() = 0;

    // Any thread: queue a report for the listener on the main thread.
    void PostDone(CurlCode result);
    void PostRecv(unsigned bytes);
    void PostSend(unsigned bytes);
    void PostHttpCode(int code);
    void PostRemoved();
    void PostAdded();

    // True when a progress report is due now (and marks it made).
    bool ReportDue();

    CURL* easy = nullptr;
    CurlListener* const listener;
    std::atomic<bool> alive{true};
    std::atomic<bool> reportProgress{false};
    std::uint64_t recvSinceReport = 0;
    plat::DWORD lastReportTick = 0;
    // Held by the three callbacks and by CloseStreams: once the owner has given the transfer up,
    // no callback reaches its streams.
    std::mutex streamLock;
};

// A download announcing `length` bytes from `offset` that cannot end as a file of `total` bytes.
// No expected total or no announced length never mismatch.
bool LengthMismatch(std::uint64_t total, std::uint64_t offset, std::uint64_t length);

class CCurlHttp : public CCurlBase {
public:
    static constexpr std::int32_t kNoStatus = 700;
    static constexpr std::size_t kLoggedBodyBytes = 1000;

    explicit CCurlHttp(CurlListener* owner) : CCurlBase(owner) {}
    ~CCurlHttp() override;

    std::size_t OnRecieveHeader(const char* data, std::size_t len) override;
    std::size_t OnRecieveBody(const char* data, std::size_t len) override;
    std::size_t OnSendBody(char* buffer, std::size_t len) override;
    void CloseStreams() override;

    // Main thread, while preparing: headers emptied, status unread, upload counters zero.
    void ResetResponse();
    // Main thread, before the hand-over: the body of a download must complete a file of `total`
    // bytes from `offset` on, and only a 2xx response may write to it.
    void GuardDownload(std::uint64_t offset, std::uint64_t total);
    // Any thread: the Content-Length of the latest response whose headers have ended (0: none).
    std::uint64_t AnnouncedLength();

    ProtoValue headers;
    std::int32_t httpCode = kNoStatus;
    std::uint64_t sendTotal = 0;
    std::uint64_t sent = 0;
    bool resumeRequested = false;
    std::unique_ptr<OBaseStream> writeStream;
    std::unique_ptr<IBaseStream> readStream;

protected:
    // The status libcurl parsed for the current response. Without an easy handle no query is
    // made: *code keeps httpCode and the result is 89.
    virtual CurlCode QueryResponseCode(long* code);

private:
    void ReadStatus();
    void StoreHeader(const char* data, std::size_t len);
    void EndHeaderBlock();
    bool BodyAccepted();

    // The current response's own Content-Length: headers of all responses share one object.
    std::uint64_t responseLength = 0;
    std::uint64_t announcedLength = 0;
    bool guarded = false;
    std::uint64_t guardOffset = 0;
    std::uint64_t guardTotal = 0;
    bool bodyRefused = false;
    // A 200 to a range request: the partial file is emptied at the first accepted body byte.
    bool clearPending = false;
};

// libcurl's callbacks; userdata is the CCurlBase.
std::size_t HeaderCallback(char* ptr, std::size_t size, std::size_t nmemb, void* userdata);
std::size_t WriteCallback(char* ptr, std::size_t size, std::size_t nmemb, void* userdata);
std::size_t ReadCallback(char* ptr, std::size_t size, std::size_t nmemb, void* userdata);
