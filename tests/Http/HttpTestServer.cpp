// The loopback HTTP server the transfer tests stand on, checked with a raw socket client.
#include "tests/support/HttpTestServer.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

long long MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

struct RawResponse {
    int status = 0;
    HttpHeaderList headers;
    std::string body;

    std::optional<std::string> Header(const std::string& name) const {
        for (const auto& [key, value] : headers) {
            if (key == name) {
                return value;
            }
        }
        return std::nullopt;
    }
};

// Splits "status line, headers, blank line, body" as the server sent it (names kept as sent).
RawResponse ParseResponse(const std::string& text) {
    RawResponse response;
    const std::size_t end = text.find("\r\n\r\n");
    if (text.rfind("HTTP/1.1 ", 0) != 0 || end == std::string::npos) {
        return response;
    }
    response.status = std::stoi(text.substr(9, 3));
    std::size_t line = text.find("\r\n") + 2;
    while (line < end + 2) {
        const std::size_t next = text.find("\r\n", line);
        const std::size_t colon = text.find(':', line);
        response.headers.emplace_back(text.substr(line, colon - line),
                                      text.substr(colon + 2, next - colon - 2));
        line = next + 2;
    }
    response.body = text.substr(end + 4);
    return response;
}

std::string Get(const std::string& target, const std::string& extraHeaders = "") {
    return "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + extraHeaders + "\r\n";
}

// A blocking client with a time limit on every wait, so a faulty server fails the test instead of
// hanging it.
class RawClient {
public:
    explicit RawClient(const plat::SocketAddress& to) : socket(plat::ConnectTcp(to)) {}
    ~RawClient() { plat::CloseSocket(socket); }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool Connected() const { return socket != plat::NO_SOCKET; }

    bool Send(const std::string& text) {
        return plat::SendStream(socket, text.data(), text.size()) == static_cast<int>(text.size());
    }

    // One response of a kept-alive connection: the head, then Content-Length bytes.
    RawResponse ReadResponse() {
        while (buffer.find("\r\n\r\n") == std::string::npos && Fill()) {
        }
        RawResponse response = ParseResponse(buffer.substr(0, buffer.find("\r\n\r\n") + 4));
        buffer.erase(0, buffer.find("\r\n\r\n") + 4);
        const std::size_t length = std::stoul(response.Header("Content-Length").value_or("0"));
        while (buffer.size() < length && Fill()) {
        }
        response.body = buffer.substr(0, length);
        buffer.erase(0, length);
        return response;
    }

    // Everything up to the server's end of the stream.
    std::string ReadAll() {
        while (Fill()) {
        }
        return std::move(buffer);
    }

    // True when the server ended the connection within ms; false when it stayed open and silent.
    bool EndsWithin(plat::DWORD ms) {
        char byte;
        return plat::WaitReadable(socket, ms) == 1 && plat::ReceiveStream(socket, &byte, 1) <= 0;
    }

    std::string& Buffered() { return buffer; }

    // Receives once; false at the end of the stream, on an error or after five silent seconds.
    bool Fill() {
        char chunk[16 * 1024];
        if (plat::WaitReadable(socket, 5000) != 1) {
            return false;
        }
        const int received = plat::ReceiveStream(socket, chunk, sizeof chunk);
        if (received <= 0) {
            return false;
        }
        buffer.append(chunk, static_cast<std::size_t>(received));
        return true;
    }

private:
    plat::SocketHandle socket;
    std::string buffer;
};

RawResponse Fetch(const HttpTestServer& server, const std::string& request) {
    RawClient client(server.Address());
    client.Send(request);
    return ParseResponse(client.ReadAll());
}

TEST(HttpTestServer, BindsOnlyLoopbackAddresses) {
    HttpTestServer other(plat::MakeIpv4(127, 0, 0, 2));
    ASSERT_TRUE(other.Ok());
    EXPECT_EQ(other.Address().ip, plat::MakeIpv4(127, 0, 0, 2));
    EXPECT_NE(other.Port(), 0);
    EXPECT_EQ(other.Url("/x"), "http://127.0.0.2:" + std::to_string(other.Port()) + "/x");
    other.Route("/x", HttpRoute::Text("two"));
    EXPECT_EQ(Fetch(other, Get("/x", "Connection: close\r\n")).body, "two");

    EXPECT_FALSE(HttpTestServer(plat::MakeIpv4(10, 0, 0, 1)).Ok());
}

TEST(HttpTestServer, PatternDependsOnTheOffsetAlone) {
    EXPECT_EQ(HttpTestServer::PatternBytes(5, 100), HttpTestServer::PatternBytes(0, 105).substr(5));
    const std::string base = HttpTestServer::PatternBytes(0, 4096);
    for (const std::uint64_t shift : {1u, 8u, 256u, 4096u}) {
        EXPECT_NE(HttpTestServer::PatternBytes(shift, 4096), base) << shift;
    }
}

TEST(HttpTestServer, RangesAreHonouredOrIgnoredOnOneKeptAliveConnection) {
    HttpTestServer server;
    ASSERT_TRUE(server.Ok());
    const std::uint64_t huge = 5ull << 30;
    server.Route("/file", HttpRoute::Pattern(1000));
    server.Route("/huge", HttpRoute::Pattern(huge));
    HttpRoute ignoring = HttpRoute::Pattern(1000);
    ignoring.honourRange = false;
    server.Route("/ignoring", ignoring);

    struct Case {
        const char* path;
        const char* range;
        int status;
        const char* contentRange; // nullptr: none
        std::uint64_t first;
        std::size_t length;
    };
    const Case cases[] = {
        {"/file", "bytes=100-", 206, "bytes 100-999/1000", 100, 900},
        {"/file", "bytes=10-19", 206, "bytes 10-19/1000", 10, 10},
        {"/file", "bytes=990-5000", 206, "bytes 990-999/1000", 990, 10},
        {"/file", "bytes=-5", 206, "bytes 995-999/1000", 995, 5},
        {"/file", "bytes=1000-", 416, "bytes */1000", 0, 0},
        {"/file", "bytes=5-2", 200, nullptr, 0, 1000},
        {"/file", "bytes=0-1,5-6", 200, nullptr, 0, 1000},
        {"/file", "", 200, nullptr, 0, 1000},
        {"/ignoring", "bytes=100-", 200, nullptr, 0, 1000},
        {"/huge", "bytes=5368709100-", 206, "bytes 5368709100-5368709119/5368709120", huge - 20, 20},
    };
    RawClient client(server.Address());
    ASSERT_TRUE(client.Connected());
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.path) + " " + c.range);
        const std::string range = *c.range ? std::string("Range: ") + c.range + "\r\n" : "";
        ASSERT_TRUE(client.Send(Get(c.path, range)));
        const RawResponse response = client.ReadResponse();
        EXPECT_EQ(response.status, c.status);
        EXPECT_EQ(response.Header("Content-Range"),
                  c.contentRange ? std::optional<std::string>(c.contentRange) : std::nullopt);
        EXPECT_EQ(response.Header("Content-Length"), std::to_string(c.length));
        EXPECT_EQ(response.body, HttpTestServer::PatternBytes(c.first, c.length));
    }
    EXPECT_EQ(server.ConnectionsAccepted(), 1u);
}

TEST(HttpTestServer, FaultsShapeTheResponseAndEndTheConnection) {
    struct Case {
        const char* name;
        HttpRoute route;
        const char* lengthHeader; // the header's name as sent; nullptr: none sent
        const char* announced;
        std::size_t received;
    };
    HttpRoute cut = HttpRoute::Pattern(1000);
    cut.cutAfter = 300;
    HttpRoute longer = HttpRoute::Pattern(1000);
    longer.announcedLength = 2000;
    HttpRoute shorter = HttpRoute::Pattern(1000);
    shorter.announcedLength = 10;
    HttpRoute unannounced = HttpRoute::Pattern(1000);
    unannounced.sendLength = false;
    HttpRoute lower = HttpRoute::Pattern(1000);
    lower.lowerCaseNames = true;
    lower.cutAfter = 1000;
    const Case cases[] = {
        {"cut", cut, "Content-Length", "1000", 300},
        {"announced longer", longer, "Content-Length", "2000", 1000},
        {"announced shorter", shorter, "Content-Length", "10", 1000},
        {"no length", unannounced, nullptr, nullptr, 1000},
        {"lower case", lower, "content-length", "1000", 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HttpTestServer server;
        server.Route("/f", c.route);
        const RawResponse response = Fetch(server, Get("/f"));
        EXPECT_EQ(response.status, 200);
        EXPECT_EQ(response.Header(c.lengthHeader ? c.lengthHeader : "Content-Length"),
                  c.announced ? std::optional<std::string>(c.announced) : std::nullopt);
        EXPECT_EQ(response.Header(c.route.lowerCaseNames ? "connection" : "Connection"), "close");
        EXPECT_EQ(response.body, HttpTestServer::PatternBytes(0, c.received));
    }
}

TEST(HttpTestServer, FaultsCanHitOnlyTheFirstRequestsSoARetrySucceeds) {
    HttpTestServer server;
    HttpRoute route = HttpRoute::Pattern(5000);
    route.cutAfter = 100;
    route.faultyRequests = 2;
    server.Route("/setup.exe", route);

    for (const std::size_t expected : {100u, 100u, 5000u, 5000u}) {
        EXPECT_EQ(Fetch(server, Get("/setup.exe", "Connection: close\r\n")).body,
                  HttpTestServer::PatternBytes(0, expected));
    }
    EXPECT_EQ(server.Hits("/setup.exe"), 4u);
}

TEST(HttpTestServer, RedirectChainsCarryRelativeAndAbsoluteLocations) {
    HttpTestServer server;
    server.Route("/a", HttpRoute::Redirect(302, "/b"));
    server.Route("/b", HttpRoute::Redirect(301, server.Url("/c")));
    server.Route("/c", HttpRoute::Text("arrived"));

    RawClient client(server.Address());
    const struct {
        const char* target;
        int status;
        std::string location;
    } chain[] = {{"/a", 302, "/b"}, {"/b", 301, server.Url("/c")}, {"/c", 200, ""}};
    for (const auto& hop : chain) {
        client.Send(Get(hop.target));
        const RawResponse response = client.ReadResponse();
        EXPECT_EQ(response.status, hop.status) << hop.target;
        EXPECT_EQ(response.Header("Location").value_or(""), hop.location) << hop.target;
    }
    client.Send(Get("/nowhere"));
    const RawResponse missing = client.ReadResponse();
    EXPECT_EQ(missing.status, 404);
    EXPECT_EQ(server.ConnectionsAccepted(), 1u);
}

TEST(HttpTestServer, LogsEveryRequestWithItsHeadersPeerAndTime) {
    HttpTestServer server;
    server.Route("/index.ini", HttpRoute::Text("[update]\n"));
    const Clock::time_point before = Clock::now();
    {
        RawClient client(server.Address());
        client.Send(Get("/index.ini?v=3", "Range: bytes=4-\r\n"));
        client.ReadResponse();
        client.Send("POST /report HTTP/1.1\r\nContent-Length: 5\r\n\r\nhello");
        client.ReadResponse();
    }
    Fetch(server, Get("/index.ini", "Connection: close\r\n"));

    const std::vector<HttpRequestRecord> log = server.Requests();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].method, "GET");
    EXPECT_EQ(log[0].target, "/index.ini?v=3");
    EXPECT_EQ(log[0].path, "/index.ini");
    EXPECT_EQ(log[0].version, "HTTP/1.1");
    EXPECT_EQ(log[0].Header("range"), "bytes=4-");
    EXPECT_EQ(log[0].headers, (HttpHeaderList{{"Host", "127.0.0.1"}, {"Range", "bytes=4-"}}));
    EXPECT_EQ(log[0].peer.ip, plat::LOOPBACK_IPV4);
    EXPECT_NE(log[0].peer.port, 0);
    EXPECT_GE(log[0].at, before);
    EXPECT_EQ(log[1].method, "POST");
    EXPECT_EQ(log[1].body, "hello");
    EXPECT_EQ(log[1].connection, log[0].connection);
    EXPECT_EQ(log[1].peer, log[0].peer);
    EXPECT_FALSE(log[2].HasHeader("Range"));
    EXPECT_NE(log[2].connection, log[0].connection);
    EXPECT_LE(log[1].at, log[2].at);

    EXPECT_EQ(server.Hits("/index.ini"), 2u);
    EXPECT_EQ(server.Hits("/report"), 1u);
    EXPECT_EQ(server.Hits("/other"), 0u);
}

TEST(HttpTestServer, PacingFaultsTakeTheirTimeAndStillDeliverTheBody) {
    struct Case {
        const char* name;
        HttpRoute route;
        long long atLeastMs;
    };
    HttpRoute throttled = HttpRoute::Pattern(3000);
    throttled.bytesPerSecond = 10000;
    HttpRoute stalled = HttpRoute::Pattern(3000);
    stalled.stallAfter = 1000;
    stalled.stallMs = 300;
    HttpRoute delayed = HttpRoute::Pattern(3000);
    delayed.delayMs = 300;
    const Case cases[] = {
        {"throttled", throttled, 250}, {"stalled", stalled, 300}, {"delayed", delayed, 300}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HttpTestServer server;
        server.Route("/f", c.route);
        const Clock::time_point start = Clock::now();
        const RawResponse response = Fetch(server, Get("/f", "Connection: close\r\n"));
        EXPECT_GE(MsSince(start), c.atLeastMs);
        EXPECT_LT(MsSince(start), 5000);
        EXPECT_EQ(response.body, HttpTestServer::PatternBytes(0, 3000));
    }
}

TEST(HttpTestServer, StopsPromptlyWithStalledAndIdleConnectionsOpen) {
    auto server = std::make_unique<HttpTestServer>();
    const plat::SocketAddress address = server->Address();
    HttpRoute stalled = HttpRoute::Pattern(1 << 20);
    stalled.stallAfter = 100;
    server->Route("/stall", stalled);
    server->Route("/big", HttpRoute::Pattern(64 << 20));

    RawClient stalling(server->Address());
    RawClient idle(server->Address());
    RawClient unread(server->Address());
    stalling.Send(Get("/stall"));
    unread.Send(Get("/big"));
    while (stalling.Buffered().size() < 100 && stalling.Fill()) {
    }
    EXPECT_FALSE(stalling.EndsWithin(300)); // open and silent
    EXPECT_EQ(ParseResponse(stalling.Buffered()).body, HttpTestServer::PatternBytes(0, 100));

    const Clock::time_point start = Clock::now();
    server.reset();
    EXPECT_LT(MsSince(start), 3000);
    EXPECT_TRUE(stalling.EndsWithin(1000));
    EXPECT_TRUE(idle.EndsWithin(1000));
    EXPECT_EQ(plat::ConnectTcp(address), plat::NO_SOCKET);
}

TEST(HttpTestServer, FolderModeServesFilesWithRangesAndNeverLeavesTheRoot) {
    testsupport::TempFolder temp;
    std::filesystem::create_directories(std::filesystem::path(temp / L"root") / "sub");
    temp.WriteFile(L"root/sub/data.bin", "0123456789");
    temp.WriteFile(L"secret.txt", "secret");
    HttpTestServer server;
    server.ServeFolder(temp / L"root");
    server.Route("/sub/data.bin2", HttpRoute::Text("route"));

    struct Case {
        const char* target;
        const char* range;
        int status;
        const char* body;
    };
    const Case cases[] = {
        {"/sub/data.bin", "", 200, "0123456789"},   {"/sub/data.bin", "bytes=6-", 206, "6789"},
        {"/sub/%64ata.bin", "", 200, "0123456789"}, {"/sub/data.bin2", "", 200, "route"},
        {"/sub", "", 404, "not found\n"},           {"/missing.bin", "", 404, "not found\n"},
        {"/../secret.txt", "", 404, "not found\n"}, {"/sub/%2e%2e/../secret.txt", "", 404, "not found\n"},
    };
    RawClient client(server.Address());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        client.Send(Get(c.target, *c.range ? std::string("Range: ") + c.range + "\r\n" : ""));
        const RawResponse response = client.ReadResponse();
        EXPECT_EQ(response.status, c.status);
        EXPECT_EQ(response.body, c.body);
    }
}

TEST(HttpTestServer, RouteScriptLinesBuildRoutes) {
    const std::filesystem::path root = "root";
    std::string path;
    HttpRoute route;
    std::string error;

    ASSERT_TRUE(HttpTestServer::ParseRouteLine("/a 206 size=5000 ignore-range cut=10 faulty=2 stall=5:250 "
                                               "throttle=100 delay=7 length=9 lower-case",
                                               root, &path, &route, &error));
    EXPECT_EQ(path, "/a");
    EXPECT_EQ(route.status, 206);
    EXPECT_EQ(route.patternSize, 5000u);
    EXPECT_FALSE(route.honourRange);
    EXPECT_EQ(route.cutAfter, 10u);
    EXPECT_EQ(route.faultyRequests, 2u);
    EXPECT_EQ(route.stallAfter, 5u);
    EXPECT_EQ(route.stallMs, 250);
    EXPECT_EQ(route.bytesPerSecond, 100u);
    EXPECT_EQ(route.delayMs, 7);
    EXPECT_EQ(route.announcedLength, 9u);
    EXPECT_TRUE(route.lowerCaseNames);

    ASSERT_TRUE(HttpTestServer::ParseRouteLine("\t/b\t302  location=/c reason=Moved%20Away header=X-Id:%207 "
                                               "body=a%25b file=dir/f.bin no-length stall=3",
                                               root, &path, &route, &error));
    EXPECT_EQ(path, "/b");
    EXPECT_EQ(route.reason, "Moved Away");
    EXPECT_EQ(route.headers, (HttpHeaderList{{"Location", "/c"}, {"X-Id", " 7"}}));
    EXPECT_EQ(route.body, "a%b");
    EXPECT_EQ(route.file, root / "dir" / "f.bin");
    EXPECT_FALSE(route.sendLength);
    EXPECT_EQ(route.stallAfter, 3u);
    EXPECT_EQ(route.stallMs, -1);

    for (const char* blank : {"", "   ", "# /a 200"}) {
        EXPECT_TRUE(HttpTestServer::ParseRouteLine(blank, root, &path, &route, &error));
        EXPECT_EQ(path, "");
    }
    for (const char* bad : {"a 200", "/a", "/a 99", "/a 600", "/a two", "/a 200 size=-1", "/a 200 size",
                            "/a 200 no-length=1", "/a 200 cut=1x", "/a 200 header=novalue", "/a 200 loud",
                            "/a 200 delay=99999999999", "/a 200 stall=4:"}) {
        EXPECT_FALSE(HttpTestServer::ParseRouteLine(bad, root, &path, &route, &error)) << bad;
    }

    HttpTestServer server;
    EXPECT_FALSE(server.LoadRouteScript("/ok 200\n\n/bad 200 wobble\n", root, &error));
    EXPECT_EQ(error, "line 3: unknown option wobble");
    EXPECT_TRUE(server.LoadRouteScript("# routes\r\n/x 200 body=hi\r\n/y 302 location=/x\r\n", root, &error));
    EXPECT_EQ(Fetch(server, Get("/ok", "Connection: close\r\n")).status, 404);
    EXPECT_EQ(Fetch(server, Get("/x", "Connection: close\r\n")).body, "hi");
    EXPECT_EQ(Fetch(server, Get("/y", "Connection: close\r\n")).Header("Location"), "/x");
}

TEST(HttpTestServer, MalformedRequestsAreRefusedAndClosed) {
    HttpTestServer server;
    const struct {
        const char* request;
        int status;
    } cases[] = {
        {"NONSENSE\r\n\r\n", 400},
        {"GET / SPDY/3\r\n\r\n", 400},
        {"GET / HTTP/1.1\r\nno colon here\r\n\r\n", 400},
        {"POST / HTTP/1.1\r\nContent-Length: many\r\n\r\n", 400},
        {"POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n", 501},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Fetch(server, c.request).status, c.status) << c.request;
    }
    EXPECT_TRUE(server.Requests().empty());
}

} // namespace
