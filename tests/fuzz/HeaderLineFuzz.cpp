#include "Http/CurlHttp.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

// The status comes from the input instead of libcurl, so every branch of the parser is reached.
class FuzzHttp : public CCurlHttp {
public:
    FuzzHttp() : CCurlHttp(nullptr) {}
    long next = 200;

protected:
    CurlCode QueryResponseCode(long* code) override {
        *code = next;
        return 0;
    }
};

class CountingStream : public OBaseStream {
public:
    int Write(const void*, unsigned n) override {
        written += n;
        return static_cast<int>(n);
    }
    void Close() override {}
    void Clear() override { written = 0; }

    std::uint64_t written = 0;
};

constexpr long kStatuses[] = {200, 206, 204, 100, 301, 302, 304, 399, 400, 404, 500, 99, 0, 700, -1};

} // namespace

// Input: a flags byte, a status byte, then lines split at '\n'. A line starting with 0xFF
// switches the status for the next response; one starting with 0xFE is handed over as body.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    CRefPtr<FuzzHttp> http(new FuzzHttp);
    auto owned = std::make_unique<CountingStream>();
    CountingStream* stream = owned.get();
    http->writeStream = std::move(owned);
    http->resumeRequested = (data[0] & 1) != 0;
    if ((data[0] & 2) != 0) {
        http->GuardDownload(data[0] >> 2, 5000);
    }
    http->next = kStatuses[data[1] % std::size(kStatuses)];

    std::string rest(reinterpret_cast<const char*>(data) + 2, size - 2);
    std::size_t begin = 0;
    while (begin < rest.size()) {
        std::size_t end = rest.find('\n', begin);
        end = end == std::string::npos ? rest.size() : end + 1;
        std::string line = rest.substr(begin, end - begin);
        begin = end;
        const auto first = static_cast<unsigned char>(line[0]);
        if (first == 0xFF && line.size() > 1) {
            http->next = kStatuses[static_cast<unsigned char>(line[1]) % std::size(kStatuses)];
        } else if (first == 0xFE) {
            const std::uint64_t before = stream->written;
            const std::size_t taken = WriteCallback(line.data(), 1, line.size(), http.get());
            if (taken != 0 && taken != line.size()) {
                std::abort();
            }
            if (taken == 0 && stream->written != before) {
                std::abort();
            }
        } else if (HeaderCallback(line.data(), 1, line.size(), http.get()) != line.size()) {
            std::abort();
        }
    }
    http->AnnouncedLength();
    http->CloseStreams();
    std::string late = "X: y\r\n";
    if (HeaderCallback(late.data(), 1, late.size(), http.get()) != 0) {
        std::abort();
    }
    return 0;
}
