#include "tools/pmtool/EngineSession.h"

#include "Http/DnsThread.h"
#include "Platform/Socket.h"
#include "Runtime/TextConv.h"
#include "tools/pmtool/Commands.h"

namespace pmtool {

namespace {
constexpr const char* kDefaultResolver = "127.0.0.1:53";
} // namespace

bool UseLoopbackResolvers(std::vector<std::string> resolvers) {
    if (resolvers.empty()) {
        resolvers.push_back(kDefaultResolver);
    }
    for (const std::string& text : resolvers) {
        plat::SocketAddress address;
        if (!plat::ParseSocketAddress(text, 53, &address) || !plat::IsLoopbackIpv4(address.ip)) {
            PrintErr(L"pmtool: resolvers must be loopback addresses: " + Utf8ToWide(text));
            return false;
        }
    }
    return SetDnsResolvers(resolvers);
}

} // namespace pmtool
