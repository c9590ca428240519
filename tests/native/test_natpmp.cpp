// NAT-PMP datagrams: the requests' layouts byte by byte, and answers decoded only when whole.
#include <gtest/gtest.h>

#include <random>

#include "core/natpmp.h"

namespace {

using Bytes = std::vector<uint8_t>;

TEST(NatPmp, RequestsAreLaidOutAsTheProtocolSays) {
    EXPECT_EQ(natpmp::EncodePublicAddress(), (Bytes{0, 0}));
    // version, opcode, reserved, internal port, suggested external port, lifetime: big-endian.
    EXPECT_EQ(natpmp::EncodeMap(natpmp::kOpMapTcp, 2346, 2347, 7200),
              (Bytes{0, 2, 0, 0, 0x09, 0x2A, 0x09, 0x2B, 0, 0, 0x1C, 0x20}));
    EXPECT_EQ(natpmp::EncodeMap(natpmp::kOpMapUdp, 65535, 1, 0), (Bytes{0, 1, 0, 0, 0xFF, 0xFF, 0, 1, 0, 0, 0, 0}));
}

TEST(NatPmp, AnswersDecodeOnlyWhenWhole) {
    const Bytes address = {0, 128, 0, 0, 0, 0, 0x01, 0x00, 11, 22, 33, 44};
    const Bytes mapping = {0, 130, 0, 0, 0, 0, 0, 7, 0x09, 0x2A, 0x09, 0x2A, 0, 0, 0x1C, 0x20};
    const Bytes refused = {0, 129, 0, 3, 0, 0, 0, 9};
    natpmp::Response response;
    ASSERT_TRUE(natpmp::Decode(address.data(), address.size(), response));
    EXPECT_EQ(response.opcode, natpmp::kOpPublicAddress);
    EXPECT_EQ(response.epoch, 256u);
    EXPECT_EQ(response.publicAddress, "11.22.33.44");
    ASSERT_TRUE(natpmp::Decode(mapping.data(), mapping.size(), response));
    EXPECT_EQ(response.opcode, natpmp::kOpMapTcp);
    EXPECT_EQ(response.internalPort, 2346);
    EXPECT_EQ(response.externalPort, 2346);
    EXPECT_EQ(response.lifetime, 7200u);
    EXPECT_EQ(response.epoch, 7u);
    ASSERT_TRUE(natpmp::Decode(refused.data(), refused.size(), response));
    EXPECT_EQ(response.result, 3);
    EXPECT_STREQ(natpmp::ResultName(response.result), "Network Failure");
    EXPECT_STREQ(natpmp::ResultName(200), "unknown error");

    struct Bad {
        const char* why;
        Bytes bytes;
    };
    const Bad bad[] = {
        {"a request", {0, 2, 0, 0, 0x09, 0x2A, 0x09, 0x2A, 0, 0, 0x1C, 0x20}},
        {"PCP's version", {2, 130, 0, 0, 0, 0, 0, 7, 0x09, 0x2A, 0x09, 0x2A, 0, 0, 0x1C, 0x20}},
        {"an unknown opcode", {0, 131, 0, 0, 0, 0, 0, 7, 0x09, 0x2A, 0x09, 0x2A, 0, 0, 0x1C, 0x20}},
        {"a success cut short", Bytes(mapping.begin(), mapping.begin() + 15)},
        {"an address cut short", Bytes(address.begin(), address.begin() + 11)},
        {"no epoch", Bytes(refused.begin(), refused.begin() + 7)},
    };
    for (const Bad& b : bad) {
        natpmp::Response untouched;
        untouched.epoch = 99;
        EXPECT_FALSE(natpmp::Decode(b.bytes.data(), b.bytes.size(), untouched)) << b.why;
        EXPECT_EQ(untouched.epoch, 99u) << b.why;
    }
    // Every shorter cut of each answer, and random bytes: never a success without its fields.
    for (const Bytes& whole : {address, mapping})
        for (size_t n = 0; n < whole.size(); ++n) EXPECT_FALSE(natpmp::Decode(whole.data(), n, response)) << n;
    std::mt19937 random(7);
    for (int i = 0; i < 20000; ++i) {
        Bytes bytes(random() % 20);
        for (uint8_t& b : bytes) b = static_cast<uint8_t>(random() % 4 == 0 ? 0 : random());
        if (natpmp::Decode(bytes.data(), bytes.size(), response) && response.result == 0) {
            ASSERT_GE(bytes.size(), response.opcode == natpmp::kOpPublicAddress ? 12u : 16u);
        }
    }
}

}  // namespace
