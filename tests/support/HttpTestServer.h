// A scriptable HTTP/1.1 server on a loopback address, for the tests of the transfer engine and the
// updater, the demo and the benchmarks. Each path answers as its route says: status, headers and a
// body, with the faults a download has to survive (ignored ranges, wrong lengths, cuts, throttling,
// stalls, slow headers). Unknown paths get a file of the served folder, if any, else 404. Every
// request is logged for the test to assert what was asked.
//
// An accept thread hands each connection to a thread of its own; connections are kept alive
// unless the request, the route or a fault ends them. The destructor stops everything within a
// bounded time: the listener closes, sockets are shut down, threads are joined.
#pragma once

#include "Platform/Socket.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

using HttpHeaderList = std::vector<std::pair<std::string, std::string>>;

struct HttpRoute {
    int status = 200;
    std::string reason;     // "" gives the usual phrase of the status
    HttpHeaderList headers; // sent after the server's own (Content-Length, Content-Range, Connection)

    // The body is the file when one is named, else the pattern when a size is given, else body.
    std::string body;
    std::optional<std::uint64_t> patternSize; // HttpTestServer::FillPattern bytes from offset 0
    std::filesystem::path file;

    bool honourRange = true;                      // false: a Range header gets 200 and the whole body
    std::optional<std::uint64_t> announcedLength; // Content-Length sent instead of the true one
    bool sendLength = true;                       // false: the body ends with the connection
    std::uint64_t bytesPerSecond = 0;             // 0: as fast as the client reads
    bool lowerCaseNames = false;                  // header names sent in lower case

    // Faults. A cut closes the connection after so many body bytes of the response; a stall
    // pauses there for stallMs (< 0: until the client leaves or the server stops).
    int delayMs = 0; // before the status line
    std::optional<std::uint64_t> cutAfter;
    std::optional<std::uint64_t> stallAfter;
    int stallMs = -1;
    // > 0: the faults (delay, wrong length, cut, stall) hit only the first so many requests of the
    // path, so that a retry succeeds.
    unsigned faultyRequests = 0;

    static HttpRoute Text(std::string body, int status = 200);
    static HttpRoute Pattern(std::uint64_t size);
    static HttpRoute File(std::filesystem::path file);
    static HttpRoute Redirect(int status, std::string location);
};

struct HttpRequestRecord {
    std::string method;
    std::string target; // as sent, query included
    std::string path;   // the target without its query
    std::string version;
    HttpHeaderList headers;
    std::string body;
    plat::SocketAddress peer;
    unsigned connection = 0; // 1 for the first connection the server accepted, and so on
    std::chrono::steady_clock::time_point at;

    // The value of the first header of that name (any case); "" when there is none.
    std::string Header(const std::string& name) const;
    bool HasHeader(const std::string& name) const;
};

class HttpTestServer {
public:
    // Binds ip:0 (an address of 127/8); Ok() tells whether that worked.
    explicit HttpTestServer(std::uint32_t ip = plat::LOOPBACK_IPV4);
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    bool Ok() const { return listener != plat::NO_SOCKET; }
    plat::SocketAddress Address() const { return address; }
    std::uint16_t Port() const { return address.port; }
    // "http://a.b.c.d:port" followed by path.
    std::string Url(const std::string& path) const;

    // Routes and the folder may change while the server runs; a request sees them as they are
    // when its header block has arrived.
    void Route(const std::string& path, const HttpRoute& route);
    // Paths without a route map to files under root (ranges honoured); ".." never leaves it.
    void ServeFolder(const std::filesystem::path& root);
    // Adds the routes of a script (the format is described in tools/testserver/TestServer.cpp);
    // file= names are taken relative to root. On a bad line nothing is added.
    bool LoadRouteScript(const std::string& script, const std::filesystem::path& root, std::string* error);
    // One script line: false with a reason for a bad one; a blank or comment line leaves path empty.
    static bool ParseRouteLine(const std::string& line, const std::filesystem::path& root, std::string* path,
                               HttpRoute* route, std::string* error);

    // Called on a connection thread for each request once its head has arrived. Set it before
    // the first request.
    void ObserveRequests(std::function<void(const HttpRequestRecord&)> observer);

    std::vector<HttpRequestRecord> Requests() const;
    unsigned Hits(const std::string& path) const;
    unsigned ConnectionsAccepted() const;

    // Refuses new connections and ends the open ones; the destructor does it too.
    void Stop();

    // The generated body: byte i depends on i alone and has no short period, so a body that
    // starts at the wrong offset never compares equal.
    static void FillPattern(std::uint64_t offset, char* out, std::size_t size);
    static std::string PatternBytes(std::uint64_t offset, std::size_t size);

private:
    struct Connection;

    void Accept();
    void ReapFinished();
    void Serve(Connection& connection);
    HttpRoute FindRoute(const std::string& path) const;
    unsigned Record(const HttpRequestRecord& request);
    void Finish(Connection& connection);

    plat::SocketHandle listener = plat::NO_SOCKET;
    plat::SocketAddress address;
    std::atomic<bool> stopping{false};
    std::thread acceptThread;

    mutable std::mutex lock;
    std::map<std::string, HttpRoute> routes;
    std::filesystem::path folder;
    std::function<void(const HttpRequestRecord&)> observer;
    std::vector<HttpRequestRecord> requests;
    std::map<std::string, unsigned> hits;
    std::list<std::unique_ptr<Connection>> connections;
    std::condition_variable connectionEnded;
    unsigned accepted = 0;
};
