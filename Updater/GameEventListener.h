// What the updater tells the main window.
#pragma once

#include <cstdint>
#include <string>

class IGameEventListener {
public:
    virtual ~IGameEventListener() = default;

    // Package size, bytes downloaded so far and bytes per second; at most once a second.
    virtual void OnProgress(std::int64_t total, std::int64_t complete, std::int64_t speed) = 0;
    // The end of the package download; errorClass 0 is success.
    virtual void OnDownloadFinished(int errorClass, int errorCode, const std::wstring& message) = 0;
    // The end of fetching the index, with the package record's version and digest.
    virtual void OnIndexFetched(int errorClass, int errorCode, const std::wstring& version,
                                const std::wstring& md5) = 0;
};
