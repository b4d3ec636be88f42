#include "Http/DnsThread.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

// The id is taken from the input itself, so most inputs get past the header check.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A private copy of exactly the received length: reads past it are caught.
    const std::vector<std::uint8_t> datagram(data, data + size);
    const std::uint16_t id = size >= 2 ? static_cast<std::uint16_t>(datagram[0] << 8 | datagram[1]) : 0;
    std::vector<std::uint32_t> addresses;
    const dns::AnswerStatus status = dns::ReadAnswer(datagram.data(), datagram.size(), id, &addresses);
    if (status != dns::AnswerStatus::Answered && !addresses.empty()) {
        std::abort();
    }
    // An A record takes at least 15 bytes (owner, fixed fields, address).
    if (addresses.size() * 15 > size) {
        std::abort();
    }
    dns::JoinAddresses(addresses);
    return 0;
}
