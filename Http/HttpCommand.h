// A request whose response body is collected in memory (the update index is fetched this way).
// Runs on the command engine; retried on libcurl errors only.
#pragma once

#include "Http/HttpBase.h"

#include <cstdint>
#include <string>

// The final result: the body (empty on most failures), the error type and the code.
using CommandCallback = void (*)(void* userData, const std::string& response, int type, int code);

class CHttpCommand : public CHttpBase {
public:
    // More than this is no index: the write fails and the command ends without a retry.
    static constexpr std::uint64_t kMaxBodyBytes = 16u * 1024u * 1024u;
    // The user error code of a body over kMaxBodyBytes.
    static constexpr std::int32_t kBodyTooLarge = 2008;

    // On the command engine.
    CHttpCommand();
    ~CHttpCommand() override;

    bool Start() override;
    void Done(CurlCode result) override;
    void OnHttpCode(int code) override;

    std::string body;
    CommandCallback callback = nullptr;
    void* userData = nullptr;
};

bool SubmitCommand(CHttpCommand* command);
