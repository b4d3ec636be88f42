// Downloads on the real engines from a real web server on 127.0.0.1 (tests/support/nginx-fixture,
// started by CTest): whole and resumed files, complete files, the length check and a backup
// address. The server's access log tells what was asked and how many body bytes it sent.
#include "Updater/MD5.h"
#include "tests/Http/DownloadFixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using enginetest::DownloadResult;
using namespace std::chrono_literals;

constexpr const char* kFile = "/file-5m.bin";
constexpr std::uint64_t kSize = 5 * 1024 * 1024;
constexpr std::size_t kHalf = 2000000;

struct Served {
    std::string uri;
    int status = 0;
    std::string range; // "-" when the request had none
    std::uint64_t bodyBytes = 0;
};

std::string ReadHostFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Digest(const std::string& bytes) {
    MD5 md5;
    md5.update(reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<unsigned>(bytes.size()));
    md5.finalize();
    return md5.hex_digest();
}

// A log line: URI STATUS "RANGE" BYTES_SENT BODY_BYTES_SENT
Served ParseLogLine(const std::string& line) {
    Served served;
    std::istringstream in(line);
    std::string range;
    std::uint64_t bytesSent = 0;
    in >> served.uri >> served.status >> range >> bytesSent >> served.bodyBytes;
    served.range = range.size() >= 2 ? range.substr(1, range.size() - 2) : range;
    return served;
}

class NginxDownloads : public enginetest::DownloadTest {
protected:
    void SetUp() override {
        DownloadTest::SetUp();
        const char* dir = std::getenv("PM_NGINX_DIR");
        if (dir == nullptr) {
            GTEST_SKIP() << "PM_NGINX_DIR is not set: run through CTest, which starts the server";
        }
        serverDir = dir;
        std::string url = ReadHostFile(serverDir + "/url");
        while (!url.empty() && (url.back() == '\n' || url.back() == '\r')) {
            url.pop_back();
        }
        ASSERT_EQ(url.rfind("http://127.0.0.1:", 0), 0u) << "no server in " << serverDir;
        baseUrl = url;
        source = ReadHostFile(serverDir + "/www" + kFile);
        ASSERT_EQ(source.size(), kSize);
        sourceDigest = Digest(source);
        tag = "?case=" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
    }

    // The URL of a path on the server, marked so that this round finds its own log lines.
    std::string Url(const std::string& target) const { return baseUrl + target + Mark(); }
    std::string Mark() const { return tag + "-" + std::to_string(round); }

    // This round's requests, once the server has logged at least `count` of them.
    std::vector<Served> Requests(std::size_t count) const {
        const std::string mark = Mark();
        std::vector<Served> found;
        const auto deadline = std::chrono::steady_clock::now() + 3s;
        do {
            found.clear();
            std::istringstream log(ReadHostFile(serverDir + "/access.log"));
            for (std::string line; std::getline(log, line);) {
                Served served = ParseLogLine(line);
                if (served.uri.size() >= mark.size() &&
                    served.uri.compare(served.uri.size() - mark.size(), mark.size(), mark) == 0) {
                    served.uri.resize(served.uri.size() - mark.size());
                    found.push_back(served);
                }
            }
            if (found.size() >= count) {
                break;
            }
            std::this_thread::sleep_for(20ms);
        } while (std::chrono::steady_clock::now() < deadline);
        return found;
    }

    void NextRound(const std::string& local, bool exists) {
        ++round;
        task = std::make_unique<CHttpDownloadFile>();
        RemoveFile(path);
        if (exists) {
            WriteLocal(local);
        }
    }

    std::string serverDir;
    std::string baseUrl;
    std::string source;
    std::string sourceDigest;
    std::string tag;
    int round = 0;
};

TEST_F(NginxDownloads, WholeAndResumedFilesEndIdenticalToTheServedOne) {
    struct Case {
        const char* name;
        std::string local;
        bool exists;
        std::uint64_t expected;
        const char* target;
        int status;
        std::string range;
        std::uint64_t body; // bytes the server sent for the body
    };
    const std::string half = source.substr(0, kHalf);
    const Case cases[] = {
        {"no local file", "", false, kSize, kFile, 200, "-", kSize},
        {"no size expected", std::string(1000, 'x'), true, 0, kFile, 200, "-", kSize},
        {"longer than expected", std::string(kSize + 7, 'x'), true, kSize, kFile, 200, "-", kSize},
        {"partial file resumed", half, true, kSize, kFile, 206, "bytes=2000000-", kSize - kHalf},
        {"range ignored by the server", half, true, kSize, "/norange/file-5m.bin", 200, "bytes=2000000-",
         kSize},
    };
    for (const Case& c : cases) {
        NextRound(c.local, c.exists);
        const DownloadResult result = Run(Url(c.target), c.expected);

        EXPECT_EQ(result.type, 0) << c.name;
        EXPECT_EQ(result.code, 0) << c.name;
        EXPECT_EQ(Digest(File()), sourceDigest) << c.name;
        const std::vector<Served> served = Requests(1);
        ASSERT_EQ(served.size(), 1u) << c.name;
        EXPECT_EQ(served[0].status, c.status) << c.name;
        EXPECT_EQ(served[0].range, c.range) << c.name;
        EXPECT_EQ(served[0].bodyBytes, c.body) << c.name;
    }
}

TEST_F(NginxDownloads, ACompleteFileIsReportedWithoutARequest) {
    NextRound(source, true);
    const DownloadResult result = Run(Url(kFile), kSize);
    EXPECT_EQ(result.type, 0);
    EXPECT_EQ(result.code, 0);
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(Requests(0).empty());
    EXPECT_EQ(Digest(File()), sourceDigest);
}

TEST_F(NginxDownloads, ALengthOtherThanTheExpectedSizeIsRefusedWithoutRetry) {
    struct Case {
        const char* name;
        std::string local;
        bool exists;
        std::uint64_t expected;
        std::string range;
    };
    const Case cases[] = {
        {"whole file one byte short of the expectation", "", false, kSize + 1, "-"},
        {"resumed file one byte past the expectation", source.substr(0, kHalf), true, kSize - 1,
         "bytes=2000000-"},
    };
    for (const Case& c : cases) {
        NextRound(c.local, c.exists);
        const DownloadResult result = Run(Url(kFile), c.expected);

        EXPECT_EQ(result.type, 3) << c.name;
        EXPECT_EQ(result.code, 2007) << c.name;
        // No body byte of a refused answer reaches the file.
        EXPECT_EQ(Digest(File()), Digest(c.local)) << c.name;
        std::this_thread::sleep_for(200ms); // time for a wrongful retry to show in the log
        const std::vector<Served> served = Requests(1);
        ASSERT_EQ(served.size(), 1u) << c.name;
        EXPECT_EQ(served[0].range, c.range) << c.name;
    }
}

TEST_F(NginxDownloads, AMissingFileMovesOnToTheBackupAddress) {
    NextRound("", false);
    const DownloadResult result = Run(Url("/missing.bin"), kSize, Url(kFile));

    EXPECT_EQ(result.type, 0);
    EXPECT_EQ(result.code, 0);
    EXPECT_EQ(Digest(File()), sourceDigest);
    const std::vector<Served> served = Requests(2);
    ASSERT_EQ(served.size(), 2u);
    EXPECT_EQ(served[0].uri, "/missing.bin");
    EXPECT_EQ(served[0].status, 404);
    EXPECT_EQ(served[1].uri, kFile);
    EXPECT_EQ(served[1].status, 200);
    EXPECT_EQ(served[1].bodyBytes, kSize);
}

} // namespace
