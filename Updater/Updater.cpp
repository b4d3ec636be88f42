#include "Updater/Updater.h"

#include "Platform/Types.h"
#include "Runtime/CommonUtils.h"
#include "Runtime/FormatString.h"
#include "Runtime/Logger.h"
#include "Runtime/TextConv.h"

#include <map>

namespace {

constexpr const wchar_t* kModule = L".\\Updater\\Updater";
constexpr const wchar_t* kFailedText = L"安装失败";
// Messages the helper window swallows without acting (reserved by the module).
constexpr plat::UINT kFirstReserved = plat::WM_USER + 1003;
constexpr plat::UINT kLastReserved = plat::WM_USER + 1008;

int helperWindowCount = 0;
std::uintptr_t lastTicket = 0;

// Live updaters by ticket. Main thread only.
std::map<std::uintptr_t, CUpdater*>& LiveUpdaters() {
    static auto* live = new std::map<std::uintptr_t, CUpdater*>;
    return *live;
}

} // namespace

CUpdater::CUpdater(const std::wstring& dir, IGameEventListener* eventListener)
    : downloadDir(dir), listener(eventListener), indexAddresses(UpdateIndexAddresses()), ticket(++lastTicket) {
    LiveUpdaters()[ticket] = this;
}

CUpdater::~CUpdater() { LiveUpdaters().erase(ticket); }

bool CUpdater::Start() {
    const bool hasWindow = CreateHelperWindow();
    if (!CreateDir(downloadDir)) {
        return false;
    }
    if (!hasWindow) {
        return false;  // no event could ever reach the listener
    }
    FetchIndex();
    return true;
}

void CUpdater::FetchIndex() {
    if (indexCursor < 0 || indexCursor >= static_cast<int>(indexAddresses.size())) {
        return;
    }
    const std::wstring& address = indexAddresses[static_cast<std::size_t>(indexCursor)];
    ++indexCursor;
    if (indexCommand.started) {
        return;
    }
    indexCommand.url = address;
    indexCommand.callback = &CUpdater::OnIndexCallback;
    indexCommand.userData = Ticket();
    SubmitCommand(&indexCommand);
}

void CUpdater::Stop() {
    indexCommand.Stop();
    download.Stop();
    indexText.clear();
    downloading = false;
    posted.clear();
    DestroyHelperWindow();
}

bool CUpdater::CreateHelperWindow() {
    helperClassName = FormatString(L"_UPDATE_MODULE_HELPER_WINDOW_PELMO%d", ++helperWindowCount);
    plat::WindowClass windowClass;
    windowClass.name = helperClassName.c_str();
    windowClass.proc = &CUpdater::HelperWindowProc;
    if (!plat::RegisterClass(windowClass)) {
        const plat::DWORD error = plat::GetLastError();
        ConsoleLogger::Instance().LogWithSource(2, 128, kModule, L"[UM]regclass %d", error);
        FileLogger::Instance().LogWithSource(2, 129, kModule, L"[UM]rcls %d:%d", 1, error);
        return false;
    }
    helperWindow = plat::CreateWindowEx(0, helperClassName.c_str(), L"", 0, 0, 0, 0, 0, plat::HWND_MESSAGE, nullptr);
    if (!helperWindow) {
        const plat::DWORD error = plat::GetLastError();
        plat::UnregisterClass(helperClassName.c_str(), nullptr);
        ConsoleLogger::Instance().LogWithSource(2, 141, kModule, L"[UM]unregclass %d", error);
        FileLogger::Instance().LogWithSource(2, 142, kModule, L"[UM]urcls %d:%d", 1, error);
        return false;
    }
    plat::SetWindowLongPtr(helperWindow, plat::GWLP_USERDATA, reinterpret_cast<plat::LONG_PTR>(this));
    return true;
}

void CUpdater::DestroyHelperWindow() {
    if (!helperWindow) {
        return;
    }
    plat::SetWindowLongPtr(helperWindow, plat::GWLP_USERDATA, 0);
    plat::DestroyWindow(helperWindow);
    helperWindow = nullptr;
    plat::UnregisterClass(helperClassName.c_str(), nullptr);
}

CUpdater* CUpdater::FromTicket(void* ticketArgument) {
    const auto found = LiveUpdaters().find(reinterpret_cast<std::uintptr_t>(ticketArgument));
    return found == LiveUpdaters().end() ? nullptr : found->second;
}

void CUpdater::PostEvent(plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam) {
    if (helperWindow && plat::PostMessage(helperWindow, message, wParam, lParam)) {
        posted.push_back({message, wParam, lParam});
        return;
    }
    const plat::DWORD error = plat::GetLastError();
    ConsoleLogger::Instance().LogWithSource(2, 85, kModule, L"[UM] post_message failed:%u", error);
    FileLogger::Instance().LogWithSource(2, 86, kModule, L"[UM] post message failed:%u", error);
}

bool CUpdater::TakePostedEvent(plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam) {
    for (auto it = posted.begin(); it != posted.end(); ++it) {
        if (it->message == message && it->wParam == wParam && it->lParam == lParam) {
            posted.erase(it);
            return true;
        }
    }
    return false;
}

void CUpdater::OnIndexCallback(void* ticketArgument, const std::string& response, int type, int code) {
    CUpdater* updater = FromTicket(ticketArgument);
    if (!updater) {
        return;
    }
    updater->indexText = Utf8ToWide(response);
    updater->PostEvent(UM_INDEX_DONE, static_cast<plat::WPARAM>(type), static_cast<plat::LPARAM>(code));
}

void CUpdater::OnProgressCallback(void* ticketArgument, std::uint64_t total, std::uint64_t done, unsigned speed) {
    CUpdater* updater = FromTicket(ticketArgument);
    if (!updater) {
        return;
    }
    ProtoValue& process = updater->progress[L"process"];
    process[L"total"] = ProtoValue(static_cast<std::int64_t>(total));
    process[L"complete"] = ProtoValue(static_cast<std::int64_t>(done));
    process[L"speed"] = ProtoValue(static_cast<std::int64_t>(speed));
    updater->PostEvent(UM_PROGRESS, 0, 0);
}

void CUpdater::OnDoneCallback(void* ticketArgument, int type, int code) {
    if (CUpdater* updater = FromTicket(ticketArgument)) {
        updater->PostEvent(UM_DOWNLOAD_DONE, static_cast<plat::WPARAM>(type), static_cast<plat::LPARAM>(code));
    }
}

plat::LRESULT CUpdater::HelperWindowProc(plat::HWND window, plat::UINT message, plat::WPARAM wParam,
                                         plat::LPARAM lParam) {
    auto* updater = reinterpret_cast<CUpdater*>(plat::GetWindowLongPtr(window, plat::GWLP_USERDATA));
    switch (message) {
    case UM_INDEX_DONE:
    case UM_PROGRESS:
    case UM_DOWNLOAD_DONE:
        if (updater && updater->helperWindow == window && updater->TakePostedEvent(message, wParam, lParam)) {
            const int first = static_cast<int>(wParam);
            const int second = static_cast<int>(lParam);
            if (message == UM_INDEX_DONE) {
                updater->OnIndexDone(first, second);
            } else if (message == UM_PROGRESS) {
                updater->OnProgressMessage();
            } else {
                updater->OnDownloadDone(first, second);
            }
        }
        return 0;
    case plat::WM_TIMER:
        return 0;
    default:
        if (message >= kFirstReserved && message <= kLastReserved) {
            return 0;
        }
        return plat::DefWindowProc(window, message, wParam, lParam);
    }
}

void CUpdater::OnIndexDone(int errorClass, int errorCode) {
    indexCommand.Stop();
    if (errorClass == 0) {
        const std::wstring recordPath = RecordPathFor(downloadDir);
        StoreInstallRecord(recordPath, indexText);
        const PackageRecord record = ReadPackageRecord(recordPath);
        url = record.url;
        backupUrls = record.backupUrls;
        sizeText = record.sizeText;
        md5 = record.md5;
        version = record.version;
        StartPackageDownload();
        listener->OnIndexFetched(0, errorCode, version, md5);
        return;
    }
    if (indexCursor < static_cast<int>(indexAddresses.size())) {
        FetchIndex();
        return;
    }
    listener->OnIndexFetched(errorClass, errorCode, version, md5);
}

void CUpdater::StartPackageDownload() {
    installerPath = InstallerPathFor(downloadDir);
    tmpPath = TmpPathFor(installerPath, version);
    downloading = true;
    if (!CreateDir(downloadDir)) {
        // Reported rather than waited for: the window's retry then takes over.
        PostEvent(UM_DOWNLOAD_DONE, static_cast<plat::WPARAM>(kFolderLostClass),
                  static_cast<plat::LPARAM>(kFolderLostCode));
        return;
    }
    const std::int64_t expected = ParseExpectedSize(sizeText);
    StartDownload(&download, url, backupUrls, tmpPath, static_cast<std::uint64_t>(expected), Ticket(),
                  &CUpdater::OnDoneCallback, &CUpdater::OnProgressCallback);
}

void CUpdater::OnProgressMessage() {
    if (!downloading) {
        return;
    }
    if (progress.isMember(L"process")) {
        const ProtoValue& process = progress.get(L"process");
        listener->OnProgress(process.get(L"total").integer(), process.get(L"complete").integer(),
                             process.get(L"speed").integer());
    }
    progress = ProtoValue();
}

void CUpdater::OnDownloadDone(int errorClass, int errorCode) {
    if (!downloading) {
        return;
    }
    download.Stop();
    downloading = false;
    std::wstring message;
    if (errorClass != 0) {
        const std::int64_t size = FileSize(tmpPath);
        if (size == 0 || size == -1) {
            RemoveFile(tmpPath);
        }
        message = kFailedText;
    } else if (!RemoveFile(installerPath) || !MoveFileReplacing(tmpPath, installerPath)) {
        errorClass = kPlaceFailedClass;
        errorCode = kPlaceFailedCode;
    }
    listener->OnDownloadFinished(errorClass, errorCode, message);
}
