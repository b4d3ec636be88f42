// The update module: fetches the update index from the primary and then the secondary address,
// keeps it as the install record, downloads the package into its temporary file, puts it in
// place as "pminstaller.exe", and reports to its listener. Main thread only.
//
// The HTTP engine's callbacks never act themselves: each posts a private message to the
// updater's hidden helper window, so every step and every listener event runs later from the
// message loop, outside the engine's call. Callbacks identify their updater by a ticket that is
// never reused, and the helper window accepts only the messages its own updater posted, so
// nothing of an earlier updater reaches a later one, even through a recycled window handle.
#pragma once

#include "Http/HttpCommand.h"
#include "Http/HttpDownloadFile.h"
#include "Platform/Window.h"
#include "Runtime/ProtoValue.h"
#include "Updater/GameEventListener.h"
#include "Updater/UpdateIndex.h"

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

class CUpdater {
public:
    static constexpr plat::UINT UM_INDEX_DONE = plat::WM_USER + 1000;
    static constexpr plat::UINT UM_PROGRESS = plat::WM_USER + 1001;
    static constexpr plat::UINT UM_DOWNLOAD_DONE = plat::WM_USER + 1002;
    // The updater's own pair for a package it cannot put in place.
    static constexpr int kPlaceFailedClass = 3;
    static constexpr int kPlaceFailedCode = -1;
    // Reported when the download folder vanished before the download could start.
    static constexpr int kFolderLostClass = 1;
    static constexpr int kFolderLostCode = DownloadWriteFile::kOpenFailed;

    CUpdater(const std::wstring& downloadDir, IGameEventListener* listener);
    ~CUpdater();
    CUpdater(const CUpdater&) = delete;
    CUpdater& operator=(const CUpdater&) = delete;

    // Helper window, folder, then the first index fetch. False when the folder cannot be
    // created or no helper window exists (no event could ever arrive).
    bool Start();
    // Fetches from the address at indexCursor (which must be below the number of addresses).
    void FetchIndex();
    // Cancels everything; no event follows.
    void Stop();

    // The engine's callbacks; `ticket` is Ticket() of the updater they report to.
    static void OnIndexCallback(void* ticket, const std::string& response, int type, int code);
    static void OnProgressCallback(void* ticket, std::uint64_t total, std::uint64_t done, unsigned speed);
    static void OnDoneCallback(void* ticket, int type, int code);
    void* Ticket() const { return reinterpret_cast<void*>(ticket); }

    std::wstring downloadDir;
    IGameEventListener* listener = nullptr;
    plat::HWND helperWindow = nullptr;
    std::wstring helperClassName;
    std::vector<std::wstring> indexAddresses;
    int indexCursor = 0;
    CHttpCommand indexCommand;
    std::wstring indexText;
    CHttpDownloadFile download;
    bool downloading = false;
    ProtoValue progress;
    std::wstring url;
    std::wstring backupUrls;
    std::wstring sizeText;
    std::wstring md5;
    std::wstring version;
    std::wstring installerPath;
    std::wstring tmpPath;

private:
    struct PostedEvent {
        plat::UINT message;
        plat::WPARAM wParam;
        plat::LPARAM lParam;
    };

    static plat::LRESULT HelperWindowProc(plat::HWND window, plat::UINT message, plat::WPARAM wParam,
                                          plat::LPARAM lParam);
    static CUpdater* FromTicket(void* ticket);

    bool CreateHelperWindow();
    void DestroyHelperWindow();
    void PostEvent(plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam);
    bool TakePostedEvent(plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam);
    void OnIndexDone(int errorClass, int errorCode);
    void StartPackageDownload();
    void OnProgressMessage();
    void OnDownloadDone(int errorClass, int errorCode);

    std::uintptr_t ticket = 0;
    std::deque<PostedEvent> posted;
};
