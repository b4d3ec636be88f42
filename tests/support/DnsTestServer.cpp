#include "tests/support/DnsTestServer.h"

#include <algorithm>
#include <cctype>

namespace {

using Clock = std::chrono::steady_clock;

void PutU16(std::vector<std::uint8_t>& out, unsigned value) {
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    PutU16(out, value >> 16);
    PutU16(out, value & 0xFFFF);
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    return text;
}

void PutName(std::vector<std::uint8_t>& out, const std::string& name) {
    std::size_t begin = 0;
    while (begin < name.size()) {
        std::size_t end = name.find('.', begin);
        if (end == std::string::npos) {
            end = name.size();
        }
        out.push_back(static_cast<std::uint8_t>(end - begin));
        out.insert(out.end(), name.begin() + static_cast<std::ptrdiff_t>(begin),
                   name.begin() + static_cast<std::ptrdiff_t>(end));
        begin = end + 1;
    }
    out.push_back(0);
}

// The question name of a query (labels only, as our client sends them) and where it ends.
bool ReadQuestionName(const std::vector<std::uint8_t>& query, std::string* name, std::size_t* end) {
    std::size_t pos = 12;
    name->clear();
    while (pos < query.size() && query[pos] != 0) {
        const std::size_t length = query[pos];
        if (length > 63 || pos + 1 + length > query.size()) {
            return false;
        }
        if (!name->empty()) {
            *name += '.';
        }
        name->append(query.begin() + static_cast<std::ptrdiff_t>(pos + 1),
                     query.begin() + static_cast<std::ptrdiff_t>(pos + 1 + length));
        pos += 1 + length;
    }
    *end = pos + 1;
    return pos < query.size();
}

void PutRecordHead(std::vector<std::uint8_t>& out, std::size_t ownerOffset, unsigned type) {
    PutU16(out, 0xC000 | static_cast<unsigned>(ownerOffset));
    PutU16(out, type);
    PutU16(out, 1);
    PutU32(out, 60);
}

} // namespace

DnsTestServer::DnsTestServer(std::uint32_t ip) {
    fallback.reply = false;
    if (!plat::StartSockets()) {
        return;
    }
    socket = plat::OpenUdpSocket(ip, &address);
    otherSocket = plat::OpenUdpSocket(ip, nullptr);
    if (socket != plat::NO_SOCKET) {
        thread = std::thread([this] { Serve(); });
    }
}

DnsTestServer::~DnsTestServer() {
    stopping = true;
    if (thread.joinable()) {
        thread.join();
    }
    plat::CloseSocket(socket);
    plat::CloseSocket(otherSocket);
}

void DnsTestServer::Script(const std::string& name, const DnsReplyScript& script) {
    std::lock_guard<std::mutex> guard(lock);
    scripts[Lower(name)] = script;
}

void DnsTestServer::ScriptDefault(const DnsReplyScript& script) {
    std::lock_guard<std::mutex> guard(lock);
    fallback = script;
}

std::vector<DnsReceivedQuery> DnsTestServer::Queries() const {
    std::lock_guard<std::mutex> guard(lock);
    return queries;
}

std::vector<std::uint8_t> DnsTestServer::BuildReply(const std::vector<std::uint8_t>& query,
                                                    const DnsReplyScript& script) {
    if (query.size() < 12) {
        return {};
    }
    const unsigned id = (unsigned(query[0]) << 8 | query[1]) ^ (script.wrongId ? 0x5A5A : 0);
    if (!script.raw.empty()) {
        std::vector<std::uint8_t> raw = script.raw;
        raw.resize(std::max<std::size_t>(raw.size(), 2));
        raw[0] = static_cast<std::uint8_t>(id >> 8);
        raw[1] = static_cast<std::uint8_t>(id & 0xFF);
        return raw;
    }
    std::string name;
    std::size_t nameEnd = 0;
    if (!ReadQuestionName(query, &name, &nameEnd) || nameEnd + 4 > query.size()) {
        return {};
    }
    std::vector<std::uint8_t> reply;
    PutU16(reply, id);
    PutU16(reply, 0x8180u | (script.truncated ? 0x0200u : 0u) | (script.rcode & 0x0Fu));
    PutU16(reply, 1);
    PutU16(reply, (script.cname.empty() ? 0u : 1u) + static_cast<unsigned>(script.addresses.size()));
    PutU16(reply, 0);
    PutU16(reply, 0);
    reply.insert(reply.end(), query.begin() + 12, query.begin() + static_cast<std::ptrdiff_t>(nameEnd + 4));
    std::size_t owner = 12;
    if (!script.cname.empty()) {
        PutRecordHead(reply, owner, 5);
        std::vector<std::uint8_t> target;
        PutName(target, script.cname);
        PutU16(reply, static_cast<unsigned>(target.size()));
        owner = reply.size();
        reply.insert(reply.end(), target.begin(), target.end());
    }
    for (const std::string& text : script.addresses) {
        plat::SocketAddress parsed;
        plat::ParseSocketAddress(text, 0, &parsed);
        PutRecordHead(reply, owner, 1);
        PutU16(reply, 4);
        PutU32(reply, parsed.ip);
    }
    return reply;
}

void DnsTestServer::Serve() {
    while (!stopping) {
        if (plat::WaitReadable(socket, 5) > 0) {
            Receive();
        }
        SendDue();
    }
}

void DnsTestServer::Receive() {
    std::vector<std::uint8_t> buffer(2048);
    DnsReceivedQuery query;
    const int received = plat::ReceiveDatagram(socket, buffer.data(), buffer.size(), &query.from);
    if (received < 0) {
        return;
    }
    buffer.resize(static_cast<std::size_t>(received));
    query.at = Clock::now();
    query.bytes = buffer;
    query.id = buffer.size() >= 2 ? static_cast<std::uint16_t>(buffer[0] << 8 | buffer[1]) : 0;
    std::size_t nameEnd = 0;
    if (!ReadQuestionName(buffer, &query.name, &nameEnd)) {
        query.name.clear();
    }
    DnsReplyScript script;
    {
        std::lock_guard<std::mutex> guard(lock);
        queries.push_back(query);
        const auto found = scripts.find(Lower(query.name));
        script = found != scripts.end() ? found->second : fallback;
    }
    if (script.reply) {
        pending.push_back(Pending{query.at + std::chrono::milliseconds(script.delayMs), BuildReply(buffer, script),
                                  query.from, script.fromOtherPort});
    }
}

void DnsTestServer::SendDue() {
    const auto now = Clock::now();
    for (auto it = pending.begin(); it != pending.end();) {
        if (it->due > now) {
            ++it;
            continue;
        }
        const plat::SocketHandle from = it->fromOtherPort ? otherSocket : socket;
        plat::SendDatagram(from, it->bytes.data(), it->bytes.size(), it->to);
        it = pending.erase(it);
    }
}
