#include "Http/DnsThread.h"

#include "Platform/Time.h"
#include "Runtime/MainThreadDispatch.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <random>

// The build's resolver list, "ip[:port]" entries separated by ",".
#ifndef PM_DNS_RESOLVERS
#error PM_DNS_RESOLVERS must name the resolvers
#endif

namespace dns {

namespace {

constexpr std::uint16_t kFlagsRecursionDesired = 0x0100;
// Response, standard query, not truncated, recursion desired, no error; AA and RA not looked at.
constexpr std::uint16_t kResponseMask = 0xFB7F;
constexpr std::uint16_t kResponseExpected = 0x8100;
// Decoded names are never longer than the wire allows, trailing dot included.
constexpr std::size_t kMaxNameText = kMaxNameBytes;

void PutU16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
}

// Length-prefixed labels of the dot-separated pieces; empty pieces are left out.
bool EncodeName(const std::string& domain, std::vector<std::uint8_t>& out) {
    const std::size_t start = out.size();
    std::size_t begin = 0;
    while (begin <= domain.size()) {
        std::size_t end = domain.find('.', begin);
        if (end == std::string::npos) {
            end = domain.size();
        }
        const std::size_t length = end - begin;
        if (length > kMaxLabelBytes) {
            return false;
        }
        if (length > 0) {
            out.push_back(static_cast<std::uint8_t>(length));
            out.insert(out.end(), domain.begin() + static_cast<std::ptrdiff_t>(begin),
                       domain.begin() + static_cast<std::ptrdiff_t>(end));
        }
        begin = end + 1;
    }
    const std::size_t encoded = out.size() - start;
    out.push_back(0);
    return encoded > 0 && encoded + 1 <= kMaxNameBytes;
}

// Bounds-checked reading of one received datagram.
class DatagramReader {
public:
    DatagramReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::size_t Position() const { return pos_; }
    void MoveTo(std::size_t pos) { pos_ = pos; }

    bool U16(std::uint16_t* value) {
        if (!Has(2)) {
            return false;
        }
        *value = static_cast<std::uint16_t>((data_[pos_] << 8) | data_[pos_ + 1]);
        pos_ += 2;
        return true;
    }

    bool U32(std::uint32_t* value) {
        std::uint16_t high = 0;
        std::uint16_t low = 0;
        if (!U16(&high) || !U16(&low)) {
            return false;
        }
        *value = (std::uint32_t(high) << 16) | low;
        return true;
    }

    bool Skip(std::size_t count) {
        if (!Has(count)) {
            return false;
        }
        pos_ += count;
        return true;
    }

    // Decodes the name at the current position and moves past it (a pointer counts two bytes
    // and ends the name). Pointers must lead to an offset before the part of the name that
    // holds them, which keeps every chain inside the datagram and free of loops.
    bool Name(bool compressionAllowed, std::string* text) {
        text->clear();
        std::size_t cursor = pos_;
        std::size_t segmentStart = pos_;
        bool jumped = false;
        for (;;) {
            if (cursor >= size_) {
                return false;
            }
            const std::uint8_t length = data_[cursor];
            if (length == 0) {
                if (!jumped) {
                    pos_ = cursor + 1;
                }
                if (!text->empty()) {
                    text->pop_back();
                }
                return true;
            }
            if ((length & 0xC0) == 0xC0) {
                if (!compressionAllowed || cursor + 1 >= size_) {
                    return false;
                }
                const std::size_t target = (std::size_t(length & 0x3F) << 8) | data_[cursor + 1];
                if (target >= segmentStart) {
                    return false;
                }
                if (!jumped) {
                    pos_ = cursor + 2;
                    jumped = true;
                }
                cursor = segmentStart = target;
                continue;
            }
            // 0x40 and 0x80 are label types nobody defined for use.
            if ((length & 0xC0) != 0 || cursor + 1 + length > size_ || text->size() + length + 1 > kMaxNameText) {
                return false;
            }
            text->append(reinterpret_cast<const char*>(data_ + cursor + 1), length);
            text->push_back('.');
            cursor += 1 + std::size_t(length);
        }
    }

private:
    bool Has(std::size_t count) const { return count <= size_ - pos_; }

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

struct Header {
    std::uint16_t id = 0;
    std::uint16_t flags = 0;
    std::uint16_t questions = 0;
    std::uint16_t answers = 0;
};

bool ReadHeader(DatagramReader& reader, Header* header) {
    return reader.U16(&header->id) && reader.U16(&header->flags) && reader.U16(&header->questions) &&
           reader.U16(&header->answers) && reader.Skip(4);
}

bool SkipQuestions(DatagramReader& reader, unsigned count) {
    std::string name;
    for (unsigned i = 0; i < count; ++i) {
        if (!reader.Name(false, &name) || !reader.Skip(4)) {
            return false;
        }
    }
    return true;
}

bool ReadRecord(DatagramReader& reader, std::vector<std::uint32_t>* addresses) {
    std::string name;
    std::uint16_t type = 0;
    std::uint16_t klass = 0;
    std::uint32_t ttl = 0;
    std::uint16_t dataLength = 0;
    if (!reader.Name(true, &name) || !reader.U16(&type) || !reader.U16(&klass) || !reader.U32(&ttl) ||
        !reader.U16(&dataLength)) {
        return false;
    }
    const std::size_t dataStart = reader.Position();
    if (!reader.Skip(dataLength)) {
        return false;
    }
    if (type == kTypeA) {
        std::uint32_t address = 0;
        reader.MoveTo(dataStart);
        if (dataLength != 4 || !reader.U32(&address)) {
            return false;
        }
        addresses->push_back(address);
    } else if (type == kTypeCname) {
        reader.MoveTo(dataStart);
        if (!reader.Name(true, &name)) {
            return false;
        }
        reader.MoveTo(dataStart + dataLength);
    }
    return true;
}

} // namespace

std::vector<std::uint8_t> BuildQuery(std::uint16_t id, const std::string& domain) {
    std::vector<std::uint8_t> packet;
    packet.reserve(kMaxQueryBytes);
    PutU16(packet, id);
    PutU16(packet, kFlagsRecursionDesired);
    PutU16(packet, 1);
    PutU16(packet, 0);
    PutU16(packet, 0);
    PutU16(packet, 0);
    if (!EncodeName(domain, packet)) {
        return {};
    }
    PutU16(packet, kTypeA);
    PutU16(packet, kClassIn);
    return packet;
}

AnswerStatus ReadAnswer(const std::uint8_t* data, std::size_t size, std::uint16_t id,
                        std::vector<std::uint32_t>* addresses) {
    DatagramReader reader(data, size);
    Header header;
    if (!ReadHeader(reader, &header) || header.id != id || (header.flags & kResponseMask) != kResponseExpected ||
        header.answers == 0) {
        return AnswerStatus::Ignored;
    }
    addresses->clear();
    if (!SkipQuestions(reader, header.questions)) {
        return AnswerStatus::Unusable;
    }
    for (unsigned i = 0; i < header.answers; ++i) {
        if (!ReadRecord(reader, addresses)) {
            addresses->clear();
            return AnswerStatus::Unusable;
        }
    }
    return AnswerStatus::Answered;
}

std::string JoinAddresses(const std::vector<std::uint32_t>& addresses) {
    std::string list;
    for (const std::uint32_t address : addresses) {
        if (!list.empty()) {
            list += ';';
        }
        list += plat::FormatIpv4(address);
    }
    return list;
}

} // namespace dns

namespace {

std::mutex resolverLock;

std::vector<plat::SocketAddress>& ResolverTable() {
    static std::vector<plat::SocketAddress> table = [] {
        std::vector<plat::SocketAddress> built;
        const std::string list = PM_DNS_RESOLVERS;
        std::size_t begin = 0;
        while (begin < list.size()) {
            std::size_t end = list.find(',', begin);
            if (end == std::string::npos) {
                end = list.size();
            }
            plat::SocketAddress address;
            if (plat::ParseSocketAddress(list.substr(begin, end - begin), 53, &address)) {
                built.push_back(address);
            }
            begin = end + 1;
        }
        return built;
    }();
    return table;
}

} // namespace

bool SetDnsResolvers(const std::vector<std::string>& resolvers) {
    std::vector<plat::SocketAddress> parsed;
    for (const std::string& text : resolvers) {
        plat::SocketAddress address;
        if (!plat::ParseSocketAddress(text, 53, &address)) {
            return false;
        }
        parsed.push_back(address);
    }
    std::lock_guard<std::mutex> guard(resolverLock);
    ResolverTable() = std::move(parsed);
    return true;
}

std::vector<plat::SocketAddress> GetDnsResolvers() {
    std::lock_guard<std::mutex> guard(resolverLock);
    return ResolverTable();
}

namespace {

// Waits are short so that a stop request ends the lookup long before Stop(100) gives up on it.
constexpr plat::DWORD kWaitStepMs = 10;
constexpr std::int64_t kResolverTimeoutMs = 1500;

std::atomic<std::uint32_t> lastGeneration{0};

// A fresh, unpredictable id for every query: a fixed one lets anyone who sees one query forge
// the answers to all later ones.
std::uint16_t NewQueryId() {
    try {
        std::random_device source;
        return static_cast<std::uint16_t>(source());
    } catch (...) {
        static std::atomic<std::uint32_t> fallback{0x9E3779B9u};
        const auto now = static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
        return static_cast<std::uint16_t>((fallback.fetch_add(0x9E3779B9u) ^ now) >> 7);
    }
}

// Milliseconds of the high-resolution counter: the tick count moves in steps of 10 to 16 ms on
// Windows, enough to end a wait visibly early.
std::int64_t NowMs() {
    static const std::int64_t frequency = [] {
        std::int64_t perSecond = 0;
        return plat::QueryPerformanceFrequency(&perSecond) && perSecond > 0 ? perSecond : 0;
    }();
    std::int64_t count = 0;
    if (frequency == 0 || !plat::QueryPerformanceCounter(&count)) {
        return plat::GetTickCount();
    }
    return count / frequency * 1000 + count % frequency * 1000 / frequency;
}

// The lookup's socket, closed when the lookup is over and before its result is posted.
class ClientSocket {
public:
    ClientSocket() : socket(plat::StartSockets() ? plat::OpenUdpSocket(0, nullptr) : plat::NO_SOCKET) {}
    ~ClientSocket() { plat::CloseSocket(socket); }
    ClientSocket(const ClientSocket&) = delete;
    ClientSocket& operator=(const ClientSocket&) = delete;

    const plat::SocketHandle socket;
};

} // namespace

CDNSThread::~CDNSThread() {
    Stop(500);
}

bool CDNSThread::Start() {
    if (IsRunning()) {
        return true;
    }
    generation = lastGeneration.fetch_add(1, std::memory_order_relaxed) + 1;
    return CSimpleThread::Start();
}

void CDNSThread::Run() {
    std::vector<std::uint32_t> addresses;
    const bool answered = Lookup(&addresses);
    if (StopRequested() || callback == nullptr) {
        return;
    }
    RunOnMainThread(callback, answered ? 0 : -1, userData, domain, dns::JoinAddresses(addresses), generation);
}

bool CDNSThread::Lookup(std::vector<std::uint32_t>* addresses) {
    const ClientSocket client;
    for (const plat::SocketAddress& resolver : GetDnsResolvers()) {
        if (StopRequested()) {
            return false;
        }
        if (Query(client.socket, resolver, addresses)) {
            return true;
        }
    }
    return false;
}

bool CDNSThread::Query(plat::SocketHandle socket, const plat::SocketAddress& resolver,
                       std::vector<std::uint32_t>* addresses) {
    if (socket == plat::NO_SOCKET) {
        return false;
    }
    const std::uint16_t id = NewQueryId();
    const std::vector<std::uint8_t> packet = dns::BuildQuery(id, domain);
    if (packet.empty() ||
        plat::SendDatagram(socket, packet.data(), packet.size(), resolver) != static_cast<int>(packet.size())) {
        return false;
    }
    const std::int64_t sentAt = NowMs();
    std::vector<std::uint8_t> datagram(dns::kMaxAnswerBytes);
    while (!StopRequested()) {
        const int ready = plat::WaitReadable(socket, kWaitStepMs);
        if (ready < 0) {
            return false;
        }
        plat::SocketAddress from;
        const int received = ready > 0 ? plat::ReceiveDatagram(socket, datagram.data(), datagram.size(), &from) : -1;
        // Only the resolver asked may answer; anything else is noise or a forgery.
        if (received >= 0 && from == resolver) {
            switch (dns::ReadAnswer(datagram.data(), static_cast<std::size_t>(received), id, addresses)) {
            case dns::AnswerStatus::Answered:
                return true;
            case dns::AnswerStatus::Unusable:
                return false;
            case dns::AnswerStatus::Ignored:
                break;
            }
        }
        if (NowMs() - sentAt > kResolverTimeoutMs) {
            return false;
        }
    }
    return false;
}
