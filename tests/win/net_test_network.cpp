// The test network itself: what the network tests of the program rely on, checked against a client
// that is not ours (the second PC's upnpc), so that a check of "no mapping" cannot pass by a
// reading that sees nothing.
#include <gtest/gtest.h>

#include <regex>

#include "harness.h"
#include "network.h"

using namespace harness;

namespace {

class TestNetwork : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string missing = NetworkMissing();
        if (!missing.empty()) GTEST_SKIP() << missing;
    }
};

TEST_F(TestNetwork, ThisProcessAndEveryWineProcessOfItsPrefixRunInThePcWhichReachesOnlyTheRouter) {
    const UnixRun guard = RunRouterScript({"guard", "--session"});
    EXPECT_EQ(guard.status, 0) << guard.output;
}

TEST_F(TestNetwork, TheRouterShowsAnotherPcsMappingInItsLeaseFileAndRules) {
    Router router;
    ASSERT_TRUE(router.Ok()) << router.Report();
    EXPECT_TRUE(std::regex_match(router.ExternalAddress(), std::regex(R"(\d+\.\d+\.\d+\.\d+)")))
        << router.ExternalAddress();
    EXPECT_TRUE(router.Leases().empty()) << router.State();
    EXPECT_TRUE(router.Rules().empty()) << router.State();

    ASSERT_TRUE(router.MapFrom("pc2", 2350, "the other PC")) << router.State();
    const std::vector<Lease> expected{{"TCP", 2350, kOtherPcAddress, 2350, "the other PC"},
                                      {"UDP", 2350, kOtherPcAddress, 2350, "the other PC"}};
    EXPECT_EQ(router.Leases(), expected) << router.State();
    EXPECT_EQ(router.Rules(), ForwardRules(2350, kOtherPcAddress)) << router.State();
}

TEST_F(TestNetwork, EachRouterReportsAnExternalAddressOfItsOwn) {
    std::string first;
    {
        Router router;
        ASSERT_TRUE(router.Ok()) << router.Report();
        first = router.ExternalAddress();
    }
    Router router;
    ASSERT_TRUE(router.Ok()) << router.Report();
    EXPECT_NE(router.ExternalAddress(), first);  // 1 in ~10^9 to meet again
    EXPECT_TRUE(router.Leases().empty()) << "a new router starts without mappings\n" << router.State();
}

}  // namespace
