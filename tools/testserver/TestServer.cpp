// pm-testserver: the loopback HTTP test server as a program, for shell scripts, the demo and the
// benchmarks.
//
//   pm-testserver [--bind 127.X.Y.Z] [--port 0] [--root DIR] [--route-script FILE] [--seconds N]
//                 [--ignore-stdin] [--log-requests]
//
// The first line of standard output is "listening A.B.C.D:PORT". The server runs until standard
// input ends or carries a line "quit", or until --seconds N have passed. --ignore-stdin (which
// needs --seconds) leaves standard input alone, for a background job whose input is empty.
// --log-requests prints "request METHOD TARGET PEER [RANGE]" for each request; leave it off
// when nobody reads the output, or the server blocks on a full pipe. Only loopback addresses and
// port 0 (a port the system picks) are accepted. Exit code 0, 1 when the server cannot start,
// 2 for a usage error.
//
// --root serves the files under DIR (ranges honoured). A route script answers its paths first;
// one route per line, "#" starts a comment line:
//
//   PATH STATUS [OPTION ...]
//
//   reason=TEXT        status phrase (default: the usual one)
//   body=TEXT          body bytes (default: empty)
//   size=N             generated body of N bytes (the same pattern the in-process server uses)
//   file=NAME          body from the file NAME under --root (under the current folder without it)
//   header=NAME:VALUE  an extra header (repeatable)
//   location=URL       a Location header, relative or absolute
//   ignore-range       answer a Range request with 200 and the whole body
//   length=N           announce Content-Length N whatever the body is, then close
//   no-length          no Content-Length; the body ends with the connection
//   throttle=B         send at most B body bytes per second
//   lower-case         header names in lower case
//   delay=MS           wait before the status line
//   cut=N              close the connection after N body bytes
//   stall=N[:MS]       stop sending after N body bytes for MS (without MS: until the client leaves)
//   faulty=K           delay, length, cut and stall hit only the first K requests of the path
//
// Values take %XX escapes (%20 for a space). Example:
//   /setup.exe 200 file=setup.exe cut=4096 faulty=1
//   /old 302 location=/setup.exe
#include "Platform/ConsoleMain.h"
#include "Runtime/TextConv.h"
#include "tests/support/HttpTestServer.h"

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace {

constexpr int kStartFailed = 1;
constexpr int kUsageError = 2;

struct Options {
    std::uint32_t ip = plat::LOOPBACK_IPV4;
    std::filesystem::path root;
    std::filesystem::path script;
    std::optional<unsigned long> seconds;
    bool watchStdin = true;
    bool logRequests = false;
};

std::filesystem::path Utf8Path(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

void PrintLine(std::FILE* stream, const std::string& line) {
    static std::mutex printing;
    std::lock_guard<std::mutex> guard(printing);
    std::fputs((line + "\n").c_str(), stream);
    std::fflush(stream);
}

int Usage(const std::string& problem) {
    PrintLine(stderr, "pm-testserver: " + problem);
    PrintLine(stderr, "usage: pm-testserver [--bind 127.X.Y.Z] [--port 0] [--root DIR] [--route-script FILE] "
                      "[--seconds N] [--ignore-stdin] [--log-requests]");
    return kUsageError;
}

bool ParseSeconds(const std::string& text, unsigned long* seconds) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    *seconds = std::stoul(text);
    return true;
}

// Reads the arguments into options; "" on success, else what is wrong.
std::string ParseArguments(const std::vector<std::string>& args, Options* options) {
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& flag = args[i];
        if (flag == "--ignore-stdin") {
            options->watchStdin = false;
            continue;
        }
        if (flag == "--log-requests") {
            options->logRequests = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            return "missing value after " + flag;
        }
        const std::string& value = args[++i];
        plat::SocketAddress bind;
        unsigned long seconds = 0;
        if (flag == "--bind" && plat::ParseSocketAddress(value, 0, &bind) && bind.port == 0 &&
            plat::IsLoopbackIpv4(bind.ip)) {
            options->ip = bind.ip;
        } else if (flag == "--port" && value == "0") {
            // The system picks the port; the first line of output tells it.
        } else if (flag == "--root") {
            options->root = Utf8Path(value);
        } else if (flag == "--route-script") {
            options->script = Utf8Path(value);
        } else if (flag == "--seconds" && ParseSeconds(value, &seconds)) {
            options->seconds = seconds;
        } else {
            return "bad argument " + flag + " " + value;
        }
    }
    if (!options->watchStdin && !options->seconds) {
        return "--ignore-stdin needs --seconds";
    }
    return "";
}

// "" on success, else why the folder or the script cannot be used.
std::string Configure(HttpTestServer& server, const Options& options) {
    std::error_code error;
    if (!options.root.empty()) {
        if (!std::filesystem::is_directory(options.root, error)) {
            return "no folder " + options.root.string();
        }
        server.ServeFolder(options.root);
    }
    if (options.script.empty()) {
        return "";
    }
    std::ifstream in(options.script, std::ios::binary);
    if (!in) {
        return "cannot read " + options.script.string();
    }
    const std::string script((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string problem;
    if (!server.LoadRouteScript(script, options.root, &problem)) {
        return options.script.string() + " " + problem;
    }
    return "";
}

std::string RequestLine(const HttpRequestRecord& request) {
    std::string line =
        "request " + request.method + " " + request.target + " " + plat::FormatSocketAddress(request.peer);
    if (request.HasHeader("Range")) {
        line += " " + request.Header("Range");
    }
    return line;
}

// Set when standard input ends or says quit; shared with the thread that reads it, which may
// outlive the wait when the time limit ends the run first.
struct StopSignal {
    std::mutex lock;
    std::condition_variable changed;
    bool stdinEnded = false;
};

void WatchStdin(const std::shared_ptr<StopSignal>& signal) {
    std::string line;
    for (int c; (c = std::fgetc(stdin)) != EOF;) {
        if (c != '\n') {
            line += static_cast<char>(c);
        } else if (line == "quit" || line == "quit\r") {
            break;
        } else {
            line.clear();
        }
    }
    std::lock_guard<std::mutex> guard(signal->lock);
    signal->stdinEnded = true;
    signal->changed.notify_all();
}

// Waits for the end of standard input or the time limit; true when the reader thread has ended.
bool WaitForStop(const Options& options) {
    auto signal = std::make_shared<StopSignal>();
    std::thread reader;
    if (options.watchStdin) {
        reader = std::thread(WatchStdin, signal);
    }
    std::unique_lock<std::mutex> guard(signal->lock);
    const auto ended = [&] { return signal->stdinEnded; };
    if (options.seconds) {
        signal->changed.wait_for(guard, std::chrono::seconds(*options.seconds), ended);
    } else {
        signal->changed.wait(guard, ended);
    }
    const bool readerEnded = signal->stdinEnded || !options.watchStdin;
    guard.unlock();
    if (reader.joinable()) {
        readerEnded ? reader.join() : reader.detach();
    }
    return readerEnded;
}

} // namespace

int ConsoleMain(const std::vector<std::wstring>& wideArgs) {
    plat::SetStdoutBinary(); // lines end in a bare newline on every system
    std::vector<std::string> args;
    for (const std::wstring& arg : wideArgs) {
        args.push_back(WideToUtf8(arg));
    }
    Options options;
    const std::string problem = ParseArguments(args, &options);
    if (!problem.empty()) {
        return Usage(problem);
    }
    HttpTestServer server(options.ip);
    if (!server.Ok()) {
        PrintLine(stderr, "pm-testserver: cannot listen on " + plat::FormatIpv4(options.ip));
        return kStartFailed;
    }
    const std::string failure = Configure(server, options);
    if (!failure.empty()) {
        PrintLine(stderr, "pm-testserver: " + failure);
        return kStartFailed;
    }
    if (options.logRequests) {
        server.ObserveRequests(
            [](const HttpRequestRecord& request) { PrintLine(stdout, RequestLine(request)); });
    }
    PrintLine(stdout, "listening " + plat::FormatSocketAddress(server.Address()));
    const bool readerEnded = WaitForStop(options);
    server.Stop();
    std::fflush(stdout);
    if (!readerEnded) {
        // The reader still blocks in standard input; a normal exit could wait on its lock.
        std::_Exit(0);
    }
    return 0;
}
