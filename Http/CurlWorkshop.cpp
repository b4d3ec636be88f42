#include "Http/CurlWorkshop.h"

#include "Http/HttpLog.h"
#include "Platform/Thread.h"

#include <algorithm>

#include <curl/curl.h>

namespace {

constexpr const wchar_t* kModule = L".\\Http\\CurlWorkshop";

static_assert(curlcode::kOk == CURLE_OK && curlcode::kFailedInit == CURLE_FAILED_INIT &&
              curlcode::kCouldntConnect == CURLE_COULDNT_CONNECT &&
              curlcode::kPartialFile == CURLE_PARTIAL_FILE && curlcode::kWriteError == CURLE_WRITE_ERROR &&
              curlcode::kOperationTimedOut == CURLE_OPERATION_TIMEDOUT &&
              curlcode::kTooManyRedirects == CURLE_TOO_MANY_REDIRECTS);

bool curlReady = false;

} // namespace

void CCurlWorkshop::GlobalInit() {
    if (!curlReady) {
        curlReady = true;
        curl_global_init(CURL_GLOBAL_DEFAULT);
    }
}

CCurlWorkshop::~CCurlWorkshop() {
    Stop(kWaitForever);
    if (multi != nullptr) {
        curl_multi_cleanup(multi);
        multi = nullptr;
    }
}

void CCurlWorkshop::Init() {
    std::lock_guard<std::recursive_mutex> guard(lock);
    if (multi != nullptr) {
        return;
    }
    multi = curl_multi_init();
    httplog::File(httplog::kInfo, kModule, __LINE__, L"CCurlWorkshop::Init() %x",
                  static_cast<const void*>(multi));
}

bool CCurlWorkshop::AddCurl(const CRefPtr<CCurlBase>& curl) {
    std::lock_guard<std::recursive_mutex> guard(lock);
    if (multi == nullptr) {
        return false;
    }
    pendingAdd.push_back(curl);
    const auto again = std::find(pendingRemove.begin(), pendingRemove.end(), curl);
    if (again != pendingRemove.end()) {
        pendingRemove.erase(again);
    }
    return true;
}

bool CCurlWorkshop::RemoveCurl(const CRefPtr<CCurlBase>& curl) {
    std::lock_guard<std::recursive_mutex> guard(lock);
    if (multi == nullptr) {
        return false;
    }
    pendingRemove.push_back(curl);
    return true;
}

void CCurlWorkshop::Uninit() {
    std::lock_guard<std::recursive_mutex> guard(lock);
    if (multi != nullptr) {
        for (const CRefPtr<CCurlBase>& curl : running) {
            if (curl->easy != nullptr) {
                curl_multi_remove_handle(multi, curl->easy);
                curl_easy_cleanup(curl->easy);
                curl->easy = nullptr;
            }
        }
        curl_multi_cleanup(multi);
        multi = nullptr;
    }
    pendingRemove.clear();
    pendingAdd.clear();
    running.clear();
}

CCurlWorkshop::Counts CCurlWorkshop::ListCounts() {
    std::lock_guard<std::recursive_mutex> guard(lock);
    return Counts{pendingAdd.size(), running.size(), pendingRemove.size()};
}

void CCurlWorkshop::Run() {
    while (!StopRequested()) {
        const bool active = Perform();
        const int finished = ReadMessages();
        if (active || finished != 0) {
            continue;
        }
        if (StopRequested()) {
            break;
        }
        plat::Sleep(1);
    }
}

// libcurl's own wait: capped at kWaitMs like a select over its descriptors, returns at once when
// it has none, survives signals, and has no descriptor-number limit.
bool CCurlWorkshop::Perform() {
    if (StopRequested()) {
        return false;
    }
    ProcessPending();
    curl_multi_wait(multi, nullptr, 0, kWaitMs, nullptr);
    bool result = false;
    CURLMcode code = CURLM_OK;
    do {
        int count = 0;
        code = curl_multi_perform(multi, &count);
        if (count > 0) {
            result = true;
        }
    } while (code == CURLM_CALL_MULTI_PERFORM);
    return result;
}

void CCurlWorkshop::ProcessPending() {
    std::lock_guard<std::recursive_mutex> guard(lock);
    for (const List* list : {&pendingAdd, &running}) {
        for (const CRefPtr<CCurlBase>& curl : *list) {
            const bool listed =
                std::find(pendingRemove.begin(), pendingRemove.end(), curl) != pendingRemove.end();
            if (!curl->alive.load(std::memory_order_acquire) && !listed) {
                pendingRemove.push_back(curl);
            }
        }
    }
    for (std::size_t n = pendingRemove.size(); n > 0; --n) {
        const CRefPtr<CCurlBase> front = pendingRemove.front();
        DetachCurl(front);
        front->PostRemoved();
        pendingRemove.pop_front();
    }
    for (std::size_t n = pendingAdd.size(); n > 0; --n) {
        const CRefPtr<CCurlBase> front = pendingAdd.front();
        pendingAdd.pop_front();
        AddPending(front);
    }
}

// A transfer libcurl will not take is finished at once with an error, so that its task retries
// or fails instead of waiting for ever.
void CCurlWorkshop::AddPending(const CRefPtr<CCurlBase>& curl) {
    if (!curl->alive.load(std::memory_order_acquire)) {
        return;
    }
    const CURLMcode code =
        curl->easy != nullptr ? curl_multi_add_handle(multi, curl->easy) : CURLM_BAD_EASY_HANDLE;
    if (code != CURLM_OK) {
        httplog::File(httplog::kError, kModule, __LINE__, L"CCurlWorkshop::ProcessPending() add failed %d",
                      static_cast<int>(code));
        curl->PostDone(curlcode::kFailedInit);
        return;
    }
    curl->PostAdded();
    running.push_back(curl);
}

CCurlWorkshop::List::iterator CCurlWorkshop::FindEasy(List& list, CURL* easy) {
    return std::find_if(list.begin(), list.end(),
                        [easy](const CRefPtr<CCurlBase>& entry) { return entry->easy == easy; });
}

bool CCurlWorkshop::DetachCurl(const CRefPtr<CCurlBase>& curl) {
    CURL* const easy = curl->easy;
    if (easy == nullptr) {
        // Never added (or already detached): only an entry still waiting is dropped.
        const auto waiting = std::find(pendingAdd.begin(), pendingAdd.end(), curl);
        if (waiting != pendingAdd.end()) {
            pendingAdd.erase(waiting);
        }
        return false;
    }
    const auto inMulti = FindEasy(running, easy);
    if (inMulti != running.end()) {
        curl_multi_remove_handle(multi, easy);
        curl_easy_cleanup(easy);
        curl->easy = nullptr;
        running.erase(inMulti);
        return true;
    }
    const auto waiting = FindEasy(pendingAdd, easy);
    if (waiting != pendingAdd.end()) {
        pendingAdd.erase(waiting);
    }
    return true;
}

int CCurlWorkshop::ReadMessages() {
    int count = 0;
    while (!StopRequested()) {
        int left = 0;
        const CURLMsg* message = curl_multi_info_read(multi, &left);
        if (message == nullptr) {
            break;
        }
        if (message->msg != CURLMSG_DONE) {
            continue;
        }
        // The message dies with the handle's removal.
        CURL* const easy = message->easy_handle;
        const CurlCode result = message->data.result;
        std::lock_guard<std::recursive_mutex> guard(lock);
        ++count;
        const auto entry = FindEasy(running, easy);
        if (entry != running.end()) {
            const CRefPtr<CCurlBase> curl = *entry;
            curl->PostDone(result);
            DetachCurl(curl);
        }
    }
    return count;
}
