#include "tests/support/HttpTestServer.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <limits>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPollMs = 50;
constexpr int kThrottleTickMs = 10;
constexpr int kLingerMs = 1000;
constexpr int kStopGraceMs = 2000;
constexpr std::size_t kChunk = 64 * 1024;
constexpr std::size_t kSendPiece = 16 * 1024;
constexpr std::size_t kMaxHead = 64 * 1024;
constexpr std::uint64_t kMaxRequestBody = 64ull * 1024 * 1024;
constexpr std::uint64_t kUnlimited = std::numeric_limits<std::uint64_t>::max();

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    return text;
}

bool EqualNoCase(const std::string& a, const std::string& b) {
    return Lower(a) == Lower(b);
}

std::string Trim(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t begin = 0;
    for (;;) {
        const std::size_t end = text.find(separator, begin);
        parts.push_back(text.substr(begin, end - begin));
        if (end == std::string::npos) {
            return parts;
        }
        begin = end + 1;
    }
}

// Digits only, no sign, no overflow.
bool ParseUnsigned(const std::string& text, std::uint64_t* value) {
    if (text.empty() || text.size() > 20) {
        return false;
    }
    std::uint64_t result = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        const unsigned digit = static_cast<unsigned>(c - '0');
        if (result > (kUnlimited - digit) / 10) {
            return false;
        }
        result = result * 10 + digit;
    }
    *value = result;
    return true;
}

bool ParseMs(const std::string& text, int* ms) {
    std::uint64_t value = 0;
    if (!ParseUnsigned(text, &value) || value > static_cast<std::uint64_t>(std::numeric_limits<int>::max())) {
        return false;
    }
    *ms = static_cast<int>(value);
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

// %XX escapes become bytes; a malformed escape stays as it is.
std::string PercentDecode(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
            HexDigit(text[i + 2]) >= 0) {
            out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

fs::path Utf8Path(const std::string& text) {
    return fs::path(std::u8string(text.begin(), text.end()));
}

const char* ReasonPhrase(int status) {
    static const std::map<int, const char*> phrases = {
        {200, "OK"},
        {204, "No Content"},
        {206, "Partial Content"},
        {301, "Moved Permanently"},
        {302, "Found"},
        {303, "See Other"},
        {304, "Not Modified"},
        {307, "Temporary Redirect"},
        {308, "Permanent Redirect"},
        {400, "Bad Request"},
        {403, "Forbidden"},
        {404, "Not Found"},
        {413, "Content Too Large"},
        {416, "Range Not Satisfiable"},
        {431, "Request Header Fields Too Large"},
        {500, "Internal Server Error"},
        {501, "Not Implemented"},
        {503, "Service Unavailable"},
    };
    const auto found = phrases.find(status);
    return found != phrases.end() ? found->second : "Status";
}

std::uint64_t Mix(std::uint64_t word) {
    std::uint64_t z = word + 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

struct ByteRange {
    std::uint64_t first = 0;
    std::uint64_t last = 0;
};

enum class RangeAnswer { Whole, Partial, Unsatisfiable };

// One range of "bytes=N-", "bytes=N-M" or "bytes=-N"; anything else is ignored (whole body).
RangeAnswer ParseRange(const std::string& header, std::uint64_t size, ByteRange* range) {
    const std::string text = Trim(header);
    if (!EqualNoCase(text.substr(0, 6), "bytes=") || text.find(',') != std::string::npos) {
        return RangeAnswer::Whole;
    }
    const std::string spec = Trim(text.substr(6));
    const std::size_t dash = spec.find('-');
    if (dash == std::string::npos) {
        return RangeAnswer::Whole;
    }
    const std::string from = Trim(spec.substr(0, dash));
    const std::string to = Trim(spec.substr(dash + 1));
    std::uint64_t first = 0;
    std::uint64_t last = size == 0 ? 0 : size - 1;
    if (from.empty()) {
        std::uint64_t suffix = 0;
        if (!ParseUnsigned(to, &suffix)) {
            return RangeAnswer::Whole;
        }
        if (suffix == 0 || size == 0) {
            return RangeAnswer::Unsatisfiable;
        }
        first = size - std::min(suffix, size);
    } else {
        std::uint64_t end = kUnlimited;
        if (!ParseUnsigned(from, &first) || (!to.empty() && (!ParseUnsigned(to, &end) || end < first))) {
            return RangeAnswer::Whole;
        }
        last = std::min(last, end);
    }
    if (first >= size) {
        return RangeAnswer::Unsatisfiable;
    }
    *range = ByteRange{first, last};
    return RangeAnswer::Partial;
}

// The bytes of a route's body, read piecewise so that large generated bodies and files need no
// memory.
class BodyReader {
public:
    explicit BodyReader(const HttpRoute& route) : route_(route) {
        if (!route.file.empty()) {
            std::error_code error;
            size_ = fs::is_regular_file(route.file, error) ? fs::file_size(route.file, error) : 0;
            stream_.open(route.file, std::ios::binary);
            ok_ = !error && stream_.is_open();
        } else {
            size_ = route.patternSize ? *route.patternSize : route.body.size();
        }
    }

    bool Ok() const { return ok_; }
    std::uint64_t Size() const { return size_; }

    bool Read(std::uint64_t offset, char* out, std::size_t size) {
        if (!route_.file.empty()) {
            stream_.seekg(static_cast<std::streamoff>(offset));
            stream_.read(out, static_cast<std::streamsize>(size));
            return stream_.gcount() == static_cast<std::streamsize>(size);
        }
        if (route_.patternSize) {
            HttpTestServer::FillPattern(offset, out, size);
        } else {
            std::copy_n(route_.body.data() + offset, size, out);
        }
        return true;
    }

private:
    const HttpRoute& route_;
    std::ifstream stream_;
    std::uint64_t size_ = 0;
    bool ok_ = true;
};

// What one response sends: its head, then length body bytes from start, shaped by the faults.
struct Response {
    std::string head;
    std::uint64_t start = 0;
    std::uint64_t length = 0;
    bool close = false;
    std::optional<std::uint64_t> cutAfter;
    std::optional<std::uint64_t> stallAfter;
    int stallMs = -1;
    std::uint64_t bytesPerSecond = 0;
};

std::string StatusLine(int status, const std::string& reason) {
    return "HTTP/1.1 " + std::to_string(status) + " " + (reason.empty() ? ReasonPhrase(status) : reason) +
           "\r\n";
}

std::string HeadText(int status, const std::string& reason, const HttpHeaderList& headers, bool lowerCase) {
    std::string head = StatusLine(status, reason);
    for (const auto& [name, value] : headers) {
        head += (lowerCase ? Lower(name) : name) + ": " + value + "\r\n";
    }
    return head + "\r\n";
}

bool WantsClose(const HttpRequestRecord& request) {
    const std::string connection = Lower(request.Header("Connection"));
    if (connection.find("close") != std::string::npos) {
        return true;
    }
    return request.version == "HTTP/1.0" && connection.find("keep-alive") == std::string::npos;
}

bool IsSuccess(int status) {
    return status >= 200 && status < 300;
}

// The part of the body a request gets: all of it, a range (206) or none (416).
struct Selection {
    int status;
    std::uint64_t start = 0;
    std::uint64_t length = 0;
    std::string contentRange;
};

Selection Select(const HttpRoute& route, const HttpRequestRecord& request, std::uint64_t size) {
    ByteRange range;
    const bool ranged = IsSuccess(route.status) && route.honourRange && request.HasHeader("Range");
    switch (ranged ? ParseRange(request.Header("Range"), size, &range) : RangeAnswer::Whole) {
    case RangeAnswer::Partial:
        return {206, range.first, range.last - range.first + 1,
                "bytes " + std::to_string(range.first) + "-" + std::to_string(range.last) + "/" +
                    std::to_string(size)};
    case RangeAnswer::Unsatisfiable:
        return {416, 0, 0, "bytes */" + std::to_string(size)};
    case RangeAnswer::Whole:
        break;
    }
    return {route.status, 0, size, ""};
}

Response Plan(const HttpRoute& route, const HttpRequestRecord& request, std::uint64_t size, bool faulty) {
    const Selection selection = Select(route, request, size);
    Response response;
    response.start = selection.start;
    response.length = request.method == "HEAD" ? 0 : selection.length;
    response.bytesPerSecond = route.bytesPerSecond;
    if (faulty) {
        response.cutAfter = route.cutAfter;
        response.stallAfter = route.stallAfter;
        response.stallMs = route.stallMs;
    }
    const bool wrongLength = faulty && route.announcedLength.has_value();
    response.close = WantsClose(request) || !route.sendLength || wrongLength || response.cutAfter.has_value();

    HttpHeaderList headers;
    if (route.sendLength) {
        headers.emplace_back("Content-Length",
                             std::to_string(wrongLength ? *route.announcedLength : selection.length));
    }
    if (!selection.contentRange.empty()) {
        headers.emplace_back("Content-Range", selection.contentRange);
    }
    if (response.close) {
        headers.emplace_back("Connection", "close");
    }
    headers.insert(headers.end(), route.headers.begin(), route.headers.end());
    const std::string reason = selection.status == route.status ? route.reason : "";
    response.head = HeadText(selection.status, reason, headers, route.lowerCaseNames);
    return response;
}

// Paces a body at a byte rate, allowing about 20 ms worth at a time.
class Throttle {
public:
    explicit Throttle(std::uint64_t bytesPerSecond) : rate_(bytesPerSecond) {}

    void Restart(std::uint64_t sent) {
        begin_ = Clock::now();
        base_ = sent;
    }

    // Bytes that may go now; 0 means wait a tick.
    std::uint64_t Allowance(std::uint64_t sent) const {
        if (rate_ == 0) {
            return kUnlimited;
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - begin_).count();
        const std::uint64_t budget =
            static_cast<std::uint64_t>(seconds * static_cast<double>(rate_)) + Quantum();
        const std::uint64_t done = sent - base_;
        return budget > done ? std::min(budget - done, Quantum()) : 0;
    }

private:
    std::uint64_t Quantum() const { return std::clamp<std::uint64_t>(rate_ / 50, 1, kChunk); }

    std::uint64_t rate_;
    Clock::time_point begin_ = Clock::now();
    std::uint64_t base_ = 0;
};

std::uint64_t Left(const std::optional<std::uint64_t>& limit, std::uint64_t sent) {
    return limit ? (*limit > sent ? *limit - sent : 0) : kUnlimited;
}

// The file under root that a request path names, or "" when it would leave root.
fs::path PathInFolder(const fs::path& root, const std::string& path) {
    fs::path file = root;
    for (const std::string& part : Split(PercentDecode(path), '/')) {
        if (part == "." || part == ".." || part.find_first_of(std::string("\\:\0", 3)) != std::string::npos) {
            return {};
        }
        if (!part.empty()) {
            file /= Utf8Path(part);
        }
    }
    return file;
}

HttpRoute NotFound() {
    return HttpRoute::Text("not found\n", 404);
}

// Route script options: name, whether a value follows "=", and how it sets the route.
struct RouteOption {
    const char* name;
    bool takesValue;
    bool (*apply)(HttpRoute& route, const std::string& value, const fs::path& root);
};

bool SetOptional(std::optional<std::uint64_t>* field, const std::string& value) {
    std::uint64_t number = 0;
    if (!ParseUnsigned(value, &number)) {
        return false;
    }
    *field = number;
    return true;
}

bool AddHeader(HttpRoute& route, const std::string& text) {
    const std::size_t colon = text.find(':');
    if (colon == 0 || colon == std::string::npos) {
        return false;
    }
    route.headers.emplace_back(text.substr(0, colon), text.substr(colon + 1));
    return true;
}

bool SetCount(unsigned* field, const std::string& value) {
    std::uint64_t number = 0;
    if (!ParseUnsigned(value, &number) || number > std::numeric_limits<unsigned>::max()) {
        return false;
    }
    *field = static_cast<unsigned>(number);
    return true;
}

bool SetStall(HttpRoute& route, const std::string& value) {
    const std::size_t colon = value.find(':');
    route.stallMs = -1;
    return SetOptional(&route.stallAfter, value.substr(0, colon)) &&
           (colon == std::string::npos || ParseMs(value.substr(colon + 1), &route.stallMs));
}

const RouteOption kRouteOptions[] = {
    {"reason", true,
     [](HttpRoute& r, const std::string& v, const fs::path&) {
         r.reason = v;
         return true;
     }},
    {"body", true,
     [](HttpRoute& r, const std::string& v, const fs::path&) {
         r.body = v;
         return true;
     }},
    {"size", true,
     [](HttpRoute& r, const std::string& v, const fs::path&) { return SetOptional(&r.patternSize, v); }},
    {"file", true,
     [](HttpRoute& r, const std::string& v, const fs::path& root) {
         r.file = root / Utf8Path(v);
         return true;
     }},
    {"header", true, [](HttpRoute& r, const std::string& v, const fs::path&) { return AddHeader(r, v); }},
    {"location", true,
     [](HttpRoute& r, const std::string& v, const fs::path&) { return AddHeader(r, "Location:" + v); }},
    {"ignore-range", false,
     [](HttpRoute& r, const std::string&, const fs::path&) {
         r.honourRange = false;
         return true;
     }},
    {"length", true,
     [](HttpRoute& r, const std::string& v, const fs::path&) { return SetOptional(&r.announcedLength, v); }},
    {"no-length", false,
     [](HttpRoute& r, const std::string&, const fs::path&) {
         r.sendLength = false;
         return true;
     }},
    {"throttle", true,
     [](HttpRoute& r, const std::string& v, const fs::path&) { return ParseUnsigned(v, &r.bytesPerSecond); }},
    {"lower-case", false,
     [](HttpRoute& r, const std::string&, const fs::path&) {
         r.lowerCaseNames = true;
         return true;
     }},
    {"delay", true,
     [](HttpRoute& r, const std::string& v, const fs::path&) { return ParseMs(v, &r.delayMs); }},
    {"cut", true,
     [](HttpRoute& r, const std::string& v, const fs::path&) { return SetOptional(&r.cutAfter, v); }},
    {"stall", true, [](HttpRoute& r, const std::string& v, const fs::path&) { return SetStall(r, v); }},
    {"faulty", true,
     [](HttpRoute& r, const std::string& v, const fs::path&) { return SetCount(&r.faultyRequests, v); }},
};

bool ApplyOption(HttpRoute& route, const std::string& word, const fs::path& root, std::string* error) {
    const std::size_t equals = word.find('=');
    const std::string name = word.substr(0, equals);
    const std::string value = equals == std::string::npos ? "" : PercentDecode(word.substr(equals + 1));
    for (const RouteOption& option : kRouteOptions) {
        if (name == option.name) {
            if (option.takesValue != (equals != std::string::npos) || !option.apply(route, value, root)) {
                *error = "bad option " + word;
                return false;
            }
            return true;
        }
    }
    *error = "unknown option " + name;
    return false;
}

std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    for (const std::string& part : Split(line, ' ')) {
        for (const std::string& word : Split(part, '\t')) {
            if (!word.empty()) {
                words.push_back(word);
            }
        }
    }
    return words;
}

} // namespace

// One accepted connection, served by its own thread. Only that thread touches the buffer;
// finished and closed are guarded by the server's lock.
struct HttpTestServer::Connection {
    enum class Read { Ok, Closed, Refused };

    Connection(plat::SocketHandle handle, const plat::SocketAddress& from, unsigned index,
               const std::atomic<bool>& stop)
        : socket(handle), peer(from), number(index), stopping(stop) {}

    // Waits up to ms while watching the socket; false when the server stops or the client leaves
    // (a client that ends its sending side counts as gone).
    bool Idle(int ms) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
        for (;;) {
            if (stopping) {
                return false;
            }
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) {
                return true;
            }
            const int ready =
                plat::WaitReadable(socket, static_cast<plat::DWORD>(std::min<long long>(left, kPollMs)));
            if (ready < 0 || (ready > 0 && !Fill())) {
                return false;
            }
        }
    }

    bool Stall(int ms) {
        if (ms >= 0) {
            return Idle(ms);
        }
        while (Idle(kPollMs)) {
        }
        return false;
    }

    bool Fill() {
        char buffer[16 * 1024];
        const int received = plat::ReceiveStream(socket, buffer, sizeof buffer);
        if (received <= 0) {
            return false;
        }
        pending.append(buffer, static_cast<std::size_t>(received));
        return true;
    }

    bool WaitAndFill() {
        while (!stopping) {
            const int ready = plat::WaitReadable(socket, kPollMs);
            if (ready != 0) {
                return ready > 0 && Fill();
            }
        }
        return false;
    }

    // The next request; Refused with the status to answer when it cannot be served.
    Read ReadRequest(HttpRequestRecord* request, int* refusal) {
        std::size_t end;
        for (;;) {
            pending.erase(0, std::min(pending.find_first_not_of("\r\n"), pending.size()));
            end = pending.find("\r\n\r\n");
            if (end != std::string::npos) {
                break;
            }
            if (pending.size() > kMaxHead) {
                *refusal = 431;
                return Read::Refused;
            }
            if (!WaitAndFill()) {
                return Read::Closed;
            }
        }
        const std::string head = pending.substr(0, end);
        pending.erase(0, end + 4);
        *refusal = ParseHead(head, request);
        if (*refusal != 0) {
            return Read::Refused;
        }
        return ReadBody(request, refusal);
    }

    static int ParseHead(const std::string& head, HttpRequestRecord* request) {
        const std::vector<std::string> lines = Split(head, '\n');
        const std::vector<std::string> words = Split(Trim(lines[0].substr(0, lines[0].find('\r'))), ' ');
        if (words.size() != 3 || words[0].empty() || words[1].empty() || words[2].rfind("HTTP/1.", 0) != 0) {
            return 400;
        }
        request->method = words[0];
        request->target = words[1];
        request->path = words[1].substr(0, words[1].find('?'));
        request->version = words[2];
        for (std::size_t i = 1; i < lines.size(); ++i) {
            const std::string line = lines[i].substr(0, lines[i].find('\r'));
            const std::size_t colon = line.find(':');
            if (colon == 0 || colon == std::string::npos || line.find_first_of(" \t") < colon) {
                return 400;
            }
            request->headers.emplace_back(line.substr(0, colon), Trim(line.substr(colon + 1)));
        }
        return 0;
    }

    Read ReadBody(HttpRequestRecord* request, int* refusal) {
        if (request->HasHeader("Transfer-Encoding")) {
            *refusal = 501;
            return Read::Refused;
        }
        std::uint64_t length = 0;
        if (request->HasHeader("Content-Length") &&
            !ParseUnsigned(request->Header("Content-Length"), &length)) {
            *refusal = 400;
            return Read::Refused;
        }
        if (length > kMaxRequestBody) {
            *refusal = 413;
            return Read::Refused;
        }
        while (pending.size() < length) {
            if (!WaitAndFill()) {
                return Read::Closed;
            }
        }
        request->body = pending.substr(0, static_cast<std::size_t>(length));
        pending.erase(0, static_cast<std::size_t>(length));
        return Read::Ok;
    }

    // Small pieces after a wait for room: a send that blocks on a client that stopped reading
    // would not notice the server stopping on every system.
    bool SendAll(const char* data, std::size_t size) {
        while (size > 0) {
            const int ready = plat::WaitWritable(socket, kPollMs);
            if (stopping || ready < 0) {
                return false;
            }
            const int sent = ready > 0 ? plat::SendStream(socket, data, std::min(size, kSendPiece)) : 0;
            if (sent < 0) {
                return false;
            }
            data += sent;
            size -= static_cast<std::size_t>(sent);
        }
        return true;
    }

    bool Flush(std::string& out) {
        const bool sent = SendAll(out.data(), out.size());
        out.clear();
        return sent;
    }

    // The head goes out with the first body bytes: a lone small head would wait for the
    // client's delayed acknowledgement. False when the connection has to end (a cut, a client
    // gone, the server stopping).
    bool SendResponse(BodyReader& reader, const Response& response) {
        std::string out = response.head;
        Throttle throttle(response.bytesPerSecond);
        bool stalled = false;
        std::uint64_t sent = 0;
        for (;;) {
            const bool cut = Left(response.cutAfter, sent) == 0;
            const bool stallNow = !stalled && Left(response.stallAfter, sent) == 0;
            const std::uint64_t allowed = throttle.Allowance(sent);
            if ((cut || stallNow || allowed == 0 || sent >= response.length) && !Flush(out)) {
                return false;
            }
            if (cut) {
                return false;
            }
            if (stallNow) {
                stalled = true;
                if (!Stall(response.stallMs)) {
                    return false;
                }
                throttle.Restart(sent);
                continue;
            }
            if (sent >= response.length) {
                return true;
            }
            if (allowed == 0) {
                if (!Idle(kThrottleTickMs)) {
                    return false;
                }
                continue;
            }
            const std::uint64_t limit =
                std::min({allowed, response.length - sent, Left(response.cutAfter, sent),
                          stalled ? kUnlimited : Left(response.stallAfter, sent)});
            const std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(limit, kChunk));
            const std::size_t headSize = out.size();
            out.resize(headSize + chunk);
            if (!reader.Read(response.start + sent, out.data() + headSize, chunk) || !Flush(out)) {
                return false;
            }
            sent += chunk;
        }
    }

    // False when the connection has to end.
    bool Answer(HttpRoute route, const HttpRequestRecord& request, unsigned hit) {
        auto reader = std::make_unique<BodyReader>(route);
        if (!reader->Ok()) {
            route = NotFound();
            reader = std::make_unique<BodyReader>(route);
        }
        const bool faulty = route.faultyRequests == 0 || hit <= route.faultyRequests;
        const Response response = Plan(route, request, reader->Size(), faulty);
        if (faulty && route.delayMs > 0 && !Idle(route.delayMs)) {
            return false;
        }
        return SendResponse(*reader, response) && !response.close;
    }

    void Refuse(int status) {
        const std::string head =
            HeadText(status, "", {{"Content-Length", "0"}, {"Connection", "close"}}, false);
        SendAll(head.data(), head.size());
    }

    // Ends sending, then reads what the client still sends for a while: closing with unread
    // bytes would reset the connection and could destroy the end of the response in transit.
    void Linger() {
        plat::ShutdownSend(socket);
        const auto deadline = Clock::now() + std::chrono::milliseconds(kLingerMs);
        while (!stopping && Clock::now() < deadline) {
            const int ready = plat::WaitReadable(socket, kPollMs);
            if (ready < 0 || (ready > 0 && !Fill())) {
                return;
            }
            pending.clear();
        }
    }

    plat::SocketHandle socket;
    plat::SocketAddress peer;
    unsigned number;
    const std::atomic<bool>& stopping;
    std::string pending;
    std::thread thread;
    bool finished = false;
    bool closed = false;
};

HttpRoute HttpRoute::Text(std::string body, int status) {
    HttpRoute route;
    route.status = status;
    route.body = std::move(body);
    return route;
}

HttpRoute HttpRoute::Pattern(std::uint64_t size) {
    HttpRoute route;
    route.patternSize = size;
    return route;
}

HttpRoute HttpRoute::File(std::filesystem::path file) {
    HttpRoute route;
    route.file = std::move(file);
    return route;
}

HttpRoute HttpRoute::Redirect(int status, std::string location) {
    HttpRoute route;
    route.status = status;
    route.headers.emplace_back("Location", std::move(location));
    return route;
}

std::string HttpRequestRecord::Header(const std::string& name) const {
    for (const auto& [key, value] : headers) {
        if (EqualNoCase(key, name)) {
            return value;
        }
    }
    return "";
}

bool HttpRequestRecord::HasHeader(const std::string& name) const {
    return std::any_of(headers.begin(), headers.end(),
                       [&](const auto& header) { return EqualNoCase(header.first, name); });
}

HttpTestServer::HttpTestServer(std::uint32_t ip) {
    if (!plat::IsLoopbackIpv4(ip) || !plat::StartSockets()) {
        return;
    }
    listener = plat::ListenTcp(ip, &address);
    if (listener != plat::NO_SOCKET) {
        acceptThread = std::thread([this] { Accept(); });
    }
}

HttpTestServer::~HttpTestServer() {
    Stop();
}

std::string HttpTestServer::Url(const std::string& path) const {
    return "http://" + plat::FormatSocketAddress(address) + path;
}

void HttpTestServer::Route(const std::string& path, const HttpRoute& route) {
    std::lock_guard<std::mutex> guard(lock);
    routes[path] = route;
}

void HttpTestServer::ServeFolder(const std::filesystem::path& root) {
    std::lock_guard<std::mutex> guard(lock);
    folder = root;
}

void HttpTestServer::ObserveRequests(std::function<void(const HttpRequestRecord&)> callback) {
    std::lock_guard<std::mutex> guard(lock);
    observer = std::move(callback);
}

std::vector<HttpRequestRecord> HttpTestServer::Requests() const {
    std::lock_guard<std::mutex> guard(lock);
    return requests;
}

unsigned HttpTestServer::Hits(const std::string& path) const {
    std::lock_guard<std::mutex> guard(lock);
    const auto found = hits.find(path);
    return found != hits.end() ? found->second : 0;
}

unsigned HttpTestServer::ConnectionsAccepted() const {
    std::lock_guard<std::mutex> guard(lock);
    return accepted;
}

void HttpTestServer::FillPattern(std::uint64_t offset, char* out, std::size_t size) {
    std::uint64_t word = Mix(offset >> 3);
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint64_t position = offset + i;
        if (i > 0 && (position & 7) == 0) {
            word = Mix(position >> 3);
        }
        out[i] = static_cast<char>((word >> ((position & 7) * 8)) & 0xFF);
    }
}

std::string HttpTestServer::PatternBytes(std::uint64_t offset, std::size_t size) {
    std::string bytes(size, '\0');
    FillPattern(offset, bytes.data(), size);
    return bytes;
}

void HttpTestServer::Stop() {
    if (stopping.exchange(true)) {
        return;
    }
    if (acceptThread.joinable()) {
        // A connection of our own wakes an accept that a vanished client left blocking.
        const plat::SocketHandle wake = plat::ConnectTcp(address);
        acceptThread.join();
        plat::CloseSocket(wake);
    }
    plat::CloseSocket(listener);
    listener = plat::NO_SOCKET;

    std::unique_lock<std::mutex> guard(lock);
    for (const auto& connection : connections) {
        if (!connection->closed) {
            plat::ShutdownSend(connection->socket);
        }
    }
    const auto allFinished = [this] {
        return std::all_of(connections.begin(), connections.end(), [](const auto& c) { return c->finished; });
    };
    if (!connectionEnded.wait_for(guard, std::chrono::milliseconds(kStopGraceMs), allFinished)) {
        // A send still blocked after the shutdown ends when its socket closes.
        for (const auto& connection : connections) {
            if (!connection->closed) {
                plat::CloseSocket(connection->socket);
                connection->closed = true;
            }
        }
    }
    std::list<std::unique_ptr<Connection>> ending;
    ending.swap(connections);
    guard.unlock();
    for (const auto& connection : ending) {
        connection->thread.join();
    }
}

void HttpTestServer::Accept() {
    while (!stopping) {
        ReapFinished();
        const int ready = plat::WaitReadable(listener, kPollMs);
        if (ready < 0) {
            return;
        }
        plat::SocketAddress peer;
        const plat::SocketHandle socket = ready > 0 ? plat::AcceptTcp(listener, &peer) : plat::NO_SOCKET;
        if (socket == plat::NO_SOCKET) {
            continue;
        }
        if (stopping) {
            plat::CloseSocket(socket);
            return;
        }
        std::lock_guard<std::mutex> guard(lock);
        connections.push_back(std::make_unique<Connection>(socket, peer, ++accepted, stopping));
        Connection& connection = *connections.back();
        connection.thread = std::thread([this, &connection] { Serve(connection); });
    }
}

void HttpTestServer::ReapFinished() {
    std::list<std::unique_ptr<Connection>> done;
    {
        std::lock_guard<std::mutex> guard(lock);
        for (auto it = connections.begin(); it != connections.end();) {
            const auto next = std::next(it);
            if ((*it)->finished) {
                done.splice(done.end(), connections, it);
            }
            it = next;
        }
    }
    for (const auto& connection : done) {
        connection->thread.join();
    }
}

void HttpTestServer::Serve(Connection& connection) {
    for (;;) {
        HttpRequestRecord request;
        int refusal = 0;
        const Connection::Read read = connection.ReadRequest(&request, &refusal);
        if (read == Connection::Read::Refused) {
            connection.Refuse(refusal);
        }
        if (read != Connection::Read::Ok) {
            break;
        }
        request.peer = connection.peer;
        request.connection = connection.number;
        request.at = Clock::now();
        const unsigned hit = Record(request);
        if (!connection.Answer(FindRoute(request.path), request, hit)) {
            break;
        }
    }
    Finish(connection);
}

HttpRoute HttpTestServer::FindRoute(const std::string& path) const {
    fs::path root;
    {
        std::lock_guard<std::mutex> guard(lock);
        const auto found = routes.find(path);
        if (found != routes.end()) {
            return found->second;
        }
        root = folder;
    }
    const fs::path file = root.empty() ? fs::path() : PathInFolder(root, path);
    std::error_code error;
    return !file.empty() && fs::is_regular_file(file, error) ? HttpRoute::File(file) : NotFound();
}

unsigned HttpTestServer::Record(const HttpRequestRecord& request) {
    std::function<void(const HttpRequestRecord&)> callback;
    unsigned hit;
    {
        std::lock_guard<std::mutex> guard(lock);
        hit = ++hits[request.path];
        requests.push_back(request);
        callback = observer;
    }
    if (callback) {
        callback(request);
    }
    return hit;
}

void HttpTestServer::Finish(Connection& connection) {
    bool closed;
    {
        std::lock_guard<std::mutex> guard(lock);
        closed = connection.closed;
    }
    if (!closed) {
        connection.Linger();
    }
    std::lock_guard<std::mutex> guard(lock);
    if (!connection.closed) {
        plat::CloseSocket(connection.socket);
        connection.closed = true;
    }
    connection.finished = true;
    connectionEnded.notify_all();
}

bool HttpTestServer::ParseRouteLine(const std::string& line, const std::filesystem::path& root,
                                    std::string* path, HttpRoute* route, std::string* error) {
    path->clear();
    const std::vector<std::string> words = Words(line.substr(0, line.find_first_of("\r\n")));
    if (words.empty() || words[0][0] == '#') {
        return true;
    }
    std::uint64_t status = 0;
    if (words[0][0] != '/' || words.size() < 2 || !ParseUnsigned(words[1], &status) || status < 100 ||
        status > 599) {
        *error = "expected PATH STATUS [OPTION...]";
        return false;
    }
    HttpRoute parsed;
    parsed.status = static_cast<int>(status);
    for (std::size_t i = 2; i < words.size(); ++i) {
        if (!ApplyOption(parsed, words[i], root, error)) {
            return false;
        }
    }
    *path = words[0];
    *route = parsed;
    return true;
}

bool HttpTestServer::LoadRouteScript(const std::string& script, const std::filesystem::path& root,
                                     std::string* error) {
    std::vector<std::pair<std::string, HttpRoute>> parsed;
    const std::vector<std::string> lines = Split(script, '\n');
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string path;
        HttpRoute route;
        std::string reason;
        if (!ParseRouteLine(lines[i], root, &path, &route, &reason)) {
            *error = "line " + std::to_string(i + 1) + ": " + reason;
            return false;
        }
        if (!path.empty()) {
            parsed.emplace_back(path, route);
        }
    }
    for (const auto& [path, route] : parsed) {
        Route(path, route);
    }
    return true;
}
