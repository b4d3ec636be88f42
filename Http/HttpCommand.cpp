#include "Http/HttpCommand.h"

#include "Http/HttpLog.h"
#include "Http/HttpMgr.h"
#include "Platform/Time.h"
#include "Runtime/Streams.h"

#include <memory>

namespace {

constexpr const wchar_t* kModule = L".\\Http\\HttpCommand";

// The in-memory body, bounded so that a runaway response cannot exhaust memory.
class CommandBodyStream : public OBufferStream {
public:
    int Write(const void* bytes, unsigned n) override {
        if (Length() + n > CHttpCommand::kMaxBodyBytes) {
            SetError(kStreamErrorUser, CHttpCommand::kBodyTooLarge);
            return -1;
        }
        return OBufferStream::Write(bytes, n);
    }
};

} // namespace

CHttpCommand::CHttpCommand() : CHttpBase(CommandWorkshop(), CommandManager()) {}

CHttpCommand::~CHttpCommand() {
    CHttpBase::Stop();
}

bool CHttpCommand::Start() {
    TraceLogger::Instance().Log(httplog::kInfo, L"CHttpCommand::Start");
    if (started) {
        return false;
    }
    CCurlHttp* http = NewTransfer();
    http->writeStream = std::make_unique<CommandBodyStream>();
    if (method == kMethodPost && !body.empty()) {
        http->readStream = std::make_unique<IBufferStream>(static_cast<unsigned>(body.size()), body.data());
    }
    return CHttpBase::Start();
}

void CHttpCommand::OnHttpCode(int code) {
    RecordError(kHttpErrorHttp, code);
}

void CHttpCommand::Done(CurlCode result) {
    if (!started) {
        return;
    }
    RecordError(kHttpErrorCurl, result);
    std::string response;
    if (CCurlHttp* http = Http(); http != nullptr && http->writeStream) {
        const auto* stream = static_cast<const OBufferStream*>(http->writeStream.get());
        if (stream->ErrorCode() != 0 || stream->ErrorType() != 0) {
            RecordError(stream->ErrorType(), stream->ErrorCode());
        }
        if (stream->Data() != nullptr) {
            response.assign(reinterpret_cast<const char*>(stream->Data()),
                            static_cast<std::size_t>(stream->Length()));
        }
    }
    Stop();
    const std::uint64_t error = GetError();
    const std::int32_t code = HttpErrorCodeOf(error);
    const std::int32_t type = HttpErrorTypeOf(error);
    errors.clear();
    if (attempts <= maxRetries && type == kHttpErrorCurl && code != 0) {
        httplog::TraceAndFile(httplog::kInfo, httplog::kInfo, kModule, __LINE__,
                              L"CHttpCommand::Done() 重试.... code:%d errtype:%d  url:%s ", code, type,
                              GetUrl());
        retryPending = true;
        retryTick = plat::GetTickCount();
        SubmitCommand(this);
        return;
    }
    if (type != kHttpErrorOk) {
        httplog::TraceAndFile(httplog::kInfo, httplog::kInfo, kModule, __LINE__,
                              L"CHttpCommand::Done()  code:%d errtype:%d  url:%s ", code, type, GetUrl());
    }
    attempts = 0;
    if (callback != nullptr) {
        callback(userData, response, type, code);
    }
}

bool SubmitCommand(CHttpCommand* command) {
    CHttpMgr* manager = CommandManager();
    if (manager == nullptr) {
        return false;
    }
    // A command made before the engine existed learns its workshop here.
    command->workshop = CommandWorkshop();
    return SubmitTask(manager, command);
}
