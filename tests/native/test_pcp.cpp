// PCP datagrams: the requests' byte layout, the router's answers decoded, and whatever else arrives
// on the port turned away without reading past its end.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <set>

#include "core/pcp.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Hex digits in 32-bit words, as the protocol's figures draw a datagram.
Bytes Hex(const char* text) {
    Bytes out;
    for (const char* p = text; *p; ++p) {
        if (*p == ' ') continue;
        out.push_back(static_cast<uint8_t>(std::stoi(std::string(p, 2), nullptr, 16)));
        ++p;
    }
    return out;
}

// The field at each offset of a request, for naming a difference.
const char* FieldAt(size_t at) {
    static const struct { size_t from; const char* name; } kFields[] = {
        {0, "version"}, {1, "R|opcode"}, {2, "reserved"}, {4, "lifetime"}, {8, "client address"}, {24, "nonce"},
        {36, "protocol"}, {37, "reserved"}, {40, "internal port"}, {42, "suggested port"}, {44, "suggested address"}};
    const char* name = "";
    for (const auto& f : kFields) if (at >= f.from) name = f.name;
    return name;
}

void ExpectBytes(const Bytes& actual, const Bytes& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t at = 0; at < actual.size(); ++at) EXPECT_EQ(actual[at], expected[at]) << FieldAt(at) << " at " << at;
}

pcp::Decoded DecodeExact(const Bytes& data, pcp::Response& response) {  // from a buffer of just that size
    std::unique_ptr<uint8_t[]> copy(new uint8_t[data.size()]);
    std::copy(data.begin(), data.end(), copy.get());
    return pcp::Decode(copy.get(), data.size(), response);
}

const pcp::Nonce kNonce = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};

pcp::MapRequest GameRequest() {
    pcp::MapRequest request;
    request.lifetime = 7200;
    request.clientAddress = "192.168.77.10";
    request.nonce = kNonce;
    request.internalPort = 2346;
    request.suggestedExternalPort = 2346;
    return request;
}

// The answer to GameRequest(): port 8080 on 198.51.100.20 for 7200 s, epoch 1234.
const Bytes kMapSuccess = Hex("02810000 00001c20 000004d2 00000000 00000000 00000000 01020304 05060708 090a0b0c "
                              "06000000 092a1f90 00000000 00000000 0000ffff c6336414");

TEST(Pcp, RequestLayouts) {
    ExpectBytes(pcp::EncodeAnnounce("192.168.77.10"), Hex("02000000 00000000 00000000 00000000 0000ffff c0a84d0a"));
    ExpectBytes(pcp::EncodeMap(GameRequest()),
                Hex("02010000 00001c20 00000000 00000000 0000ffff c0a84d0a 01020304 05060708 090a0b0c "
                    "06000000 092a092a 00000000 00000000 0000ffff 00000000"));
    pcp::MapRequest request = GameRequest();  // deleting a UDP mapping, with an address suggested
    request.lifetime = 0;
    request.protocol = pcp::kProtocolUdp;
    request.internalPort = 65535;
    request.suggestedExternalPort = 0;
    request.suggestedExternalAddress = "203.0.113.7";
    ExpectBytes(pcp::EncodeMap(request), Hex("02010000 00000000 00000000 00000000 0000ffff c0a84d0a 01020304 05060708 "
                                             "090a0b0c 11000000 ffff0000 00000000 00000000 0000ffff cb007107"));
}

TEST(Pcp, RequestsNeedDottedAddresses) {
    for (const char* bad : {"", "192.168.77", "192.168.77.256", "192.168.077.10", "::1", "router", "1.2.3.4 "}) {
        EXPECT_TRUE(pcp::EncodeAnnounce(bad).empty()) << bad;
        pcp::MapRequest request = GameRequest();
        request.clientAddress = bad;
        EXPECT_TRUE(pcp::EncodeMap(request).empty()) << bad;
        request = GameRequest();
        request.suggestedExternalAddress = bad;
        EXPECT_EQ(pcp::EncodeMap(request).empty(), *bad != '\0') << bad;  // empty: no preference
    }
}

TEST(Pcp, DecodesSuccessfulMap) {
    pcp::Response r;
    ASSERT_EQ(DecodeExact(kMapSuccess, r), pcp::Decoded::Ok);
    EXPECT_EQ(std::make_tuple(r.opcode, r.result, r.lifetime, r.epoch, r.hasMap, r.protocol),
              std::make_tuple(pcp::kOpMap, uint8_t{pcp::kSuccess}, 7200u, 1234u, true, pcp::kProtocolTcp));
    EXPECT_EQ(r.nonce, kNonce);
    EXPECT_EQ(r.internalPort, 2346);
    EXPECT_EQ(r.externalPort, 8080);
    EXPECT_EQ(r.externalAddress, "198.51.100.20");
    EXPECT_TRUE(pcp::Answers(r, GameRequest()));
}

TEST(Pcp, DecodesErrorsAndTheirAddresses) {
    const struct {
        uint8_t result;
        const char* addressField;
        const char* address;
        const char* name;
    } cases[] = {
        {pcp::kCannotProvideExternal, "00000000 00000000 0000ffff 64400a01", "100.64.10.1", "CANNOT_PROVIDE_EXTERNAL"},
        {pcp::kNoResources, "00000000 00000000 0000ffff 64400a01", "100.64.10.1", "NO_RESOURCES"},
        {pcp::kNotAuthorized, "00000000 00000000 0000ffff 00000000", "0.0.0.0", "NOT_AUTHORIZED"},
        {pcp::kAddressMismatch, "20010db8 00000000 00000000 00000001", "", "ADDRESS_MISMATCH"},  // IPv6
        {pcp::kNoResources, "00000000 00000001 0000ffff 64400a01", "", "NO_RESOURCES"},
        {pcp::kNoResources, "00000000 00000000 0000feff 64400a01", "", "NO_RESOURCES"},
    };
    for (const auto& c : cases) {
        Bytes data = kMapSuccess;
        data[3] = c.result;
        data[7] = 0x08;
        const Bytes field = Hex(c.addressField);
        std::copy(field.begin(), field.end(), data.begin() + 44);
        pcp::Response r;
        ASSERT_EQ(DecodeExact(data, r), pcp::Decoded::Ok) << c.name;
        EXPECT_STREQ(pcp::ResultName(r.result), c.name);
        EXPECT_EQ(r.lifetime, 0x1c08u) << c.name;
        EXPECT_EQ(r.externalAddress, c.address) << c.name;
        EXPECT_TRUE(pcp::Answers(r, GameRequest())) << c.name;
    }
}

TEST(Pcp, DecodesAnnounceAndMapWithOptions) {
    pcp::Response r;
    ASSERT_EQ(DecodeExact(Hex("02800000 00000000 000004d2 00000000 00000000 00000000"), r), pcp::Decoded::Ok);
    EXPECT_EQ(r.opcode, pcp::kOpAnnounce);
    EXPECT_EQ(r.epoch, 1234u);
    EXPECT_FALSE(r.hasMap || pcp::Answers(r, GameRequest()));
    Bytes withOption = kMapSuccess;
    withOption.insert(withOption.end(), {0x80, 0, 0, 0});  // ignored
    ASSERT_EQ(DecodeExact(withOption, r), pcp::Decoded::Ok);
    EXPECT_EQ(r.externalPort, 8080);
    withOption.resize(pcp::kMaxMessage, 0);
    EXPECT_EQ(DecodeExact(withOption, r), pcp::Decoded::Ok);
}

TEST(Pcp, MalformedDatagramsAreInvalid) {
    std::vector<std::pair<std::string, Bytes>> cases;
    for (size_t size = 0; size < kMapSuccess.size(); ++size)
        cases.emplace_back("cut to " + std::to_string(size), Bytes(kMapSuccess.begin(), kMapSuccess.begin() + size));
    for (const size_t size : {61, 62, 63, 1104, 4096}) {
        cases.emplace_back("length " + std::to_string(size), kMapSuccess);
        cases.back().second.resize(size);
    }
    for (const auto& [at, value] : {std::pair{1, 0x01}, {0, 1}, {0, 3}, {0, 255}}) {  // a request, other versions
        cases.emplace_back("byte " + std::to_string(at) + " = " + std::to_string(value), kMapSuccess);
        cases.back().second[at] = static_cast<uint8_t>(value);
    }
    cases.insert(cases.end(), {{"all ones", Bytes(60, 0xff)},
                               {"all zeros", Bytes(60, 0)},
                               {"NAT-PMP address reply", Hex("00800000 000004d2 c6336414")},
                               {"NAT-PMP version reply cut short", Hex("00800001")},
                               {"NAT-PMP mapping request", Hex("00010001 092a092a 00001c20")},
                               {"NAT-PMP other error", Hex("00810002 000004d2")}});
    for (const auto& [what, data] : cases) {
        pcp::Response r;
        EXPECT_EQ(DecodeExact(data, r), pcp::Decoded::Invalid) << what;
        EXPECT_FALSE(r.hasMap) << what;
    }
    pcp::Response r;
    EXPECT_EQ(pcp::Decode(nullptr, 60, r), pcp::Decoded::Invalid);
}

TEST(Pcp, NatPmpUnsupportedVersionIsOlderVersion) {
    for (const char* reply : {"00000001 000004d2", "00800001 000004d2", "00810001 000004d2"}) {
        pcp::Response r;
        EXPECT_EQ(DecodeExact(Hex(reply), r), pcp::Decoded::OlderVersion) << reply;
        EXPECT_EQ(r.result, pcp::kUnsuppVersion);
        EXPECT_EQ(r.epoch, 1234u);
    }
}

TEST(Pcp, AnswersOnlyItsOwnRequest) {
    pcp::Response response;
    ASSERT_EQ(DecodeExact(kMapSuccess, response), pcp::Decoded::Ok);
    const struct {
        const char* what;
        void (*change)(pcp::MapRequest&);
        bool answers;
    } cases[] = {
        {"the same", [](pcp::MapRequest&) {}, true},
        {"another external port", [](pcp::MapRequest& r) { r.suggestedExternalPort = 1; }, true},
        {"another nonce, first byte", [](pcp::MapRequest& r) { r.nonce[0] ^= 1; }, false},
        {"another nonce, last byte", [](pcp::MapRequest& r) { r.nonce[11] ^= 0x80; }, false},
        {"UDP", [](pcp::MapRequest& r) { r.protocol = pcp::kProtocolUdp; }, false},
        {"another internal port", [](pcp::MapRequest& r) { r.internalPort = 2347; }, false},
        {"internal port bytes swapped", [](pcp::MapRequest& r) { r.internalPort = 0x2a09; }, false},
    };
    for (const auto& c : cases) {
        pcp::MapRequest request = GameRequest();
        c.change(request);
        EXPECT_EQ(pcp::Answers(response, request), c.answers) << c.what;
    }
}

TEST(Pcp, ResultNames) {
    const std::pair<uint8_t, const char*> cases[] = {{0, "SUCCESS"}, {1, "UNSUPP_VERSION"}, {7, "NETWORK_FAILURE"},
        {10, "USER_EX_QUOTA"}, {13, "EXCESSIVE_REMOTE_PEERS"}, {14, "unknown"}, {255, "unknown"}};
    for (const auto& [code, name] : cases) EXPECT_STREQ(pcp::ResultName(code), name) << +code;
}

TEST(Pcp, NonceIsStableAndSeedDependent) {
    // Fixed across releases: a mapping made by an earlier one stays reachable.
    EXPECT_EQ(pcp::NonceFor("192.168.77.10|2346|TCP"),
              (pcp::Nonce{0x59, 0x28, 0x73, 0x90, 0x20, 0x88, 0x8d, 0x53, 0x90, 0xc4, 0xea, 0x48}));
    std::set<pcp::Nonce> seen;
    for (const char* seed : {"", "192.168.77.10|2346|TCP", "192.168.77.10|2346|UDP", "192.168.77.10|2347|TCP",
                             "192.168.77.11|2346|TCP", "192.168.77.10|2346|TCP "})
        EXPECT_TRUE(seen.insert(pcp::NonceFor(seed)).second) << '"' << seed << '"';
}

// Random datagrams, half given a response's first bytes: decoding never claims more than they show.
TEST(Pcp, RandomDatagramsNeverPassForResponses) {
    std::mt19937 random(20240521);
    std::uniform_int_distribution<size_t> length(0, 1200);
    int ok = 0, older = 0;
    for (int round = 0; round < 20000; ++round) {
        Bytes data(round % 4 == 3 ? length(random) / 4 * 4 : length(random));
        for (uint8_t& b : data) b = static_cast<uint8_t>(random());
        if (round % 2 && data.size() >= 4) {
            data[0] = round % 6 == 5 ? 0 : 2;
            data[1] = static_cast<uint8_t>(0x80 | (data[1] & 1));
            if (data[0] == 0) {
                data[2] = 0;
                data[3] &= 1;
            }
        }
        pcp::Response r;
        const pcp::Decoded decoded = DecodeExact(data, r);
        if (decoded == pcp::Decoded::Ok) {
            ++ok;
            ASSERT_TRUE(data[0] == 2 && data[1] & 0x80);
            ASSERT_TRUE(data.size() >= 24 && data.size() <= 1100 && data.size() % 4 == 0) << data.size();
            ASSERT_EQ(r.hasMap, (data[1] & 0x7f) == pcp::kOpMap);
            ASSERT_TRUE(!r.hasMap || data.size() >= 60) << data.size();
        } else if (decoded == pcp::Decoded::OlderVersion) {
            ++older;
            ASSERT_TRUE(data[0] == 0 && data.size() >= 8 && data[2] == 0 && data[3] == 1);
        }
    }
    EXPECT_GT(ok, 100);  // the fields' decoding was reached
    EXPECT_GT(older, 100);
}

}  // namespace
