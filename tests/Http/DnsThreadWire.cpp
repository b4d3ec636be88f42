#include "Http/DnsThread.h"
#include "tests/support/DnsTestServer.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

TEST(DnsQuery, EncodesTheHeaderQuestionTypeAndClass) {
    const Bytes expected = Concat({{0x12, 0x34, 0x01, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
                                   {3}, Text("www"), {7}, Text("example"), {3}, Text("com"), {0},
                                   {0x00, 0x01, 0x00, 0x01}});
    const Bytes query = dns::BuildQuery(0x1234, "www.example.com");
    EXPECT_EQ(query, expected);
    EXPECT_EQ(query.size(), 16u + 17u);
}

TEST(DnsQuery, EncodesNamesWithinTheWireLimits) {
    const std::string l63(63, 'a');
    const std::string l61(61, 'b');
    struct Case {
        std::string domain;
        Bytes name; // empty: the name cannot be sent
    };
    const Case cases[] = {
        {"a..b", Concat({{1}, Text("a"), {1}, Text("b"), {0}})},
        {".a.", Concat({{1}, Text("a"), {0}})},
        {l63 + ".c", Concat({{63}, Text(l63), {1}, Text("c"), {0}})},
        {l63 + "a.c", {}},
        {"", {}},
        {"...", {}},
    };
    for (const Case& c : cases) {
        const Bytes query = dns::BuildQuery(7, c.domain);
        const Bytes expected = c.name.empty() ? Bytes{} : Concat({Bytes(query.begin(), query.begin() + 12), c.name,
                                                                  {0x00, 0x01, 0x00, 0x01}});
        EXPECT_EQ(query, expected) << c.domain;
    }
    // 254 encoded bytes and the zero fill the packet exactly; one more does not fit.
    const std::string longest = l63 + "." + l63 + "." + l63 + "." + l61;
    EXPECT_EQ(dns::BuildQuery(7, longest).size(), dns::kMaxQueryBytes);
    EXPECT_TRUE(dns::BuildQuery(7, longest + "b").empty());
}

// Offsets in the answer to a query for "www.example.com": the question ends at 33, the first
// record's owner, type, data length and data start at 33, 35, 43 and 45.
constexpr std::size_t kFirstRecord = 33;

Bytes Reply(const DnsReplyScript& script, std::uint16_t id = 0x4242) {
    return DnsTestServer::BuildReply(dns::BuildQuery(id, "www.example.com"), script);
}

DnsReplyScript Addresses(std::vector<std::string> addresses) {
    DnsReplyScript script;
    script.addresses = std::move(addresses);
    return script;
}

// A header for id 0x4242 with the given flags and counts, then body.
Bytes Raw(std::uint16_t flags, std::uint8_t questions, std::uint8_t answers, const Bytes& body) {
    return Concat({{0x42, 0x42, std::uint8_t(flags >> 8), std::uint8_t(flags & 0xFF), 0, questions, 0, answers, 0, 0,
                    0, 0},
                   body});
}

// The question "www" IN A, from offset 12 to 21, and an A record for 9.8.7.6 owned by its name.
const Bytes kQuestion = {3, 'w', 'w', 'w', 0, 0, 1, 0, 1};
const Bytes kRecordA = {0xC0, 12, 0, 1, 0, 1, 0, 0, 0, 60, 0, 4, 9, 8, 7, 6};

struct ParseCase {
    const char* what;
    Bytes datagram;
    dns::AnswerStatus status;
    std::string addresses;
};

std::vector<ParseCase> ParseCases() {
    using S = dns::AnswerStatus;
    DnsReplyScript cname = Addresses({"10.0.0.1"});
    cname.cname = "edge.cdn.example.net";
    DnsReplyScript cnameOnly;
    cnameOnly.cname = "edge.cdn.example.net";
    DnsReplyScript truncated = Addresses({"1.2.3.4"});
    truncated.truncated = true;
    DnsReplyScript wrongId = Addresses({"1.2.3.4"});
    wrongId.wrongId = true;
    DnsReplyScript refused = Addresses({"1.2.3.4"});
    refused.rcode = 5;

    Bytes authoritative = Reply(Addresses({"1.2.3.4"}));
    authoritative[2] |= 0x04;
    Bytes notResponse = Reply(Addresses({"1.2.3.4"}));
    notResponse[2] &= 0x7F;
    Bytes otherOpcode = Reply(Addresses({"1.2.3.4"}));
    otherOpcode[2] |= 0x08;
    Bytes longA = Reply(Addresses({"1.2.3.4"}));
    longA[44] = 5;
    longA.push_back(0);
    Bytes selfPointer = Reply(Addresses({"1.2.3.4"}));
    selfPointer[kFirstRecord + 1] = kFirstRecord;
    Bytes outside = Reply(Addresses({"1.2.3.4"}));
    outside[kFirstRecord] = 0xC3;
    Bytes reservedLabel = Reply(Addresses({"1.2.3.4"}));
    reservedLabel[kFirstRecord] = 0x80;
    const Bytes mx = {0xC0, 12, 0, 15, 0, 1, 0, 0, 0, 60, 0, 3, 0, 10, 0};

    return {
        {"two A records", Reply(Addresses({"1.2.3.4", "5.6.7.8"})), S::Answered, "1.2.3.4;5.6.7.8"},
        {"CNAME then A", Reply(cname), S::Answered, "10.0.0.1"},
        {"only a CNAME", Reply(cnameOnly), S::Answered, ""},
        {"other record types skipped", Raw(0x8180, 1, 2, Concat({kQuestion, mx, kRecordA})), S::Answered,
         "9.8.7.6"},
        {"AA and RA bits ignored", authoritative, S::Answered, "1.2.3.4"},
        {"truncation bit", Reply(truncated), S::Ignored, ""},
        {"wrong id", Reply(wrongId), S::Ignored, ""},
        {"error rcode", Reply(refused), S::Ignored, ""},
        {"no answer record", Reply(DnsReplyScript{}), S::Ignored, ""},
        {"a query, not a response", notResponse, S::Ignored, ""},
        {"not a standard query", otherOpcode, S::Ignored, ""},
        {"shorter than a header", Bytes{0x42, 0x42, 0x81, 0x80, 0, 0, 0, 1}, S::Ignored, ""},
        {"A data not 4 bytes", longA, S::Unusable, ""},
        {"pointer to itself", selfPointer, S::Unusable, ""},
        {"pointer past the end", outside, S::Unusable, ""},
        {"reserved label type", reservedLabel, S::Unusable, ""},
        {"pointer back into its own name", Raw(0x8180, 1, 1, Concat({kQuestion, {1, 'a', 0xC0, 21}})), S::Unusable,
         ""},
        {"forward pointer", Raw(0x8180, 1, 1, Concat({kQuestion, {0xC0, 23, 1, 'a', 0}})), S::Unusable, ""},
        {"pointer missing its second byte", Raw(0x8180, 1, 1, Concat({kQuestion, {0xC0}})), S::Unusable, ""},
        {"compressed question name", Raw(0x8180, 1, 1, Concat({{0xC0, 12, 0, 1, 0, 1}, kRecordA})), S::Unusable,
         ""},
        {"more records announced than sent", Raw(0x8180, 1, 2, Concat({kQuestion, kRecordA})), S::Unusable, ""},
        {"CNAME data pointing past the end",
         Raw(0x8180, 1, 1, Concat({kQuestion, {0xC0, 12, 0, 5, 0, 1, 0, 0, 0, 60, 0, 2, 0xC0, 0xF0}})), S::Unusable,
         ""},
    };
}

TEST(DnsAnswer, ReadsUsableAnswersAndRejectsTheRest) {
    for (const ParseCase& c : ParseCases()) {
        std::vector<std::uint32_t> addresses{0xDEADBEEF};
        const dns::AnswerStatus status = dns::ReadAnswer(c.datagram.data(), c.datagram.size(), 0x4242, &addresses);
        EXPECT_EQ(status, c.status) << c.what;
        if (status == dns::AnswerStatus::Answered) {
            EXPECT_EQ(dns::JoinAddresses(addresses), c.addresses) << c.what;
        }
    }
}

TEST(DnsAnswer, EveryCutOfAnAnswerIsRejected) {
    DnsReplyScript script = Addresses({"1.2.3.4", "5.6.7.8"});
    script.cname = "edge.example.net";
    const Bytes full = Reply(script);
    for (std::size_t size = 0; size < full.size(); ++size) {
        const Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(size));
        std::vector<std::uint32_t> addresses;
        const auto expected = size < dns::kHeaderSize ? dns::AnswerStatus::Ignored : dns::AnswerStatus::Unusable;
        EXPECT_EQ(dns::ReadAnswer(cut.data(), cut.size(), 0x4242, &addresses), expected) << size;
    }
}

TEST(DnsAnswer, DecodesNamesUpToTheWireMaximum) {
    // An owner name of 253 characters (255 bytes on the wire) answers a query for it.
    const std::string label(63, 'x');
    const std::string name = label + "." + label + "." + label + "." + std::string(61, 'y');
    const Bytes reply = DnsTestServer::BuildReply(dns::BuildQuery(1, name), Addresses({"4.3.2.1"}));
    std::vector<std::uint32_t> addresses;
    ASSERT_EQ(dns::ReadAnswer(reply.data(), reply.size(), 1, &addresses), dns::AnswerStatus::Answered);
    EXPECT_EQ(dns::JoinAddresses(addresses), "4.3.2.1");
}

TEST(DnsResolvers, AcceptOnlyDottedQuadsWithAnOptionalPort) {
    const std::vector<std::string> saved = [] {
        std::vector<std::string> texts;
        for (const plat::SocketAddress& address : GetDnsResolvers()) {
            texts.push_back(plat::FormatSocketAddress(address));
        }
        return texts;
    }();
    ASSERT_TRUE(SetDnsResolvers({"127.0.0.2", "127.0.0.3:5353", "127.255.255.254:65535"}));
    const std::vector<plat::SocketAddress> expected = {{plat::MakeIpv4(127, 0, 0, 2), 53},
                                                       {plat::MakeIpv4(127, 0, 0, 3), 5353},
                                                       {plat::MakeIpv4(127, 255, 255, 254), 65535}};
    EXPECT_EQ(GetDnsResolvers(), expected);
    for (const char* bad : {"127.0.0", "127.0.0.256", "127.0.0.1:", "127.0.0.1:0", "127.0.0.1:65536", " 127.0.0.1",
                            "127.0.0.1 ", "127.0.0.1:53x", "127.0.0.-1", "127.0.0.1.5", "localhost", "0127.0.0.1"}) {
        EXPECT_FALSE(SetDnsResolvers({"127.0.0.9", bad})) << bad;
        EXPECT_EQ(GetDnsResolvers(), expected) << bad;
    }
    ASSERT_TRUE(SetDnsResolvers(saved));
}

} // namespace
