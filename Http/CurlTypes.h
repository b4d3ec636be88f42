// libcurl's handle types and the result codes the engine acts on, without libcurl's headers:
// on Windows those bring the system headers along, whose macros clash with the neutral platform
// names. Only the few sources that call libcurl include <curl/curl.h>, after everything else.
#pragma once

typedef void CURL;
typedef void CURLM;

// A CURLcode value.
using CurlCode = int;

namespace curlcode {
constexpr CurlCode kOk = 0;
constexpr CurlCode kFailedInit = 2;
constexpr CurlCode kCouldntConnect = 7;
constexpr CurlCode kPartialFile = 18;
constexpr CurlCode kWriteError = 23;
constexpr CurlCode kOperationTimedOut = 28;
constexpr CurlCode kTooManyRedirects = 47;
} // namespace curlcode
