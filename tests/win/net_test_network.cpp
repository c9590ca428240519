// The test network itself: what the network tests of the program rely on, checked against a client
// that is not ours (the second PC's upnpc), so that a check of "no mapping" cannot pass by a
// reading that sees nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
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

// --- The stand-in router (tests/net/standin_router.py), checked with the second PC's upnpc -------

RouterSetup Standin(const std::string& options) {
    RouterSetup setup;
    setup.standin = options;
    return setup;
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// upnpc in a PC, and how long it ran.
struct Timed {
    UnixRun run;
    ULONGLONG ms = 0;
};
Timed Upnpc(const std::string& pc, const std::vector<std::string>& args) {
    std::vector<std::string> argv{"in", pc, "upnpc"};
    argv.insert(argv.end(), args.begin(), args.end());
    const ULONGLONG start = ::GetTickCount64();
    Timed timed{RunRouterScript(argv), 0};
    timed.ms = ::GetTickCount64() - start;
    return timed;
}

TEST_F(TestNetwork, TheStandInIsARouterThatAClientNotOursFindsNamesMapsAndLists) {
    Router router(Standin("--name 'Stand-in Box'"));
    ASSERT_TRUE(router.Ok()) << router.Report();
    const Timed status = Upnpc("pc2", {"-s"});
    EXPECT_EQ(status.run.status, 0) << status.run.output;
    EXPECT_TRUE(Has(status.run.output, "Found valid IGD : http://192.168.77.1:5000/ctl/IPConn")) << status.run.output;
    EXPECT_TRUE(Has(status.run.output, "Status : Connected")) << status.run.output;
    EXPECT_TRUE(Has(status.run.output, "ExternalIPAddress = " + router.ExternalAddress() + "\n")) << status.run.output;
    const UnixRun description = RunRouterScript(
        {"in", "pc2", "python3", "-c",
         "import urllib.request; print(urllib.request.urlopen('http://192.168.77.1:5000/rootDesc.xml', timeout=5).read().decode())"});
    EXPECT_TRUE(Has(description.output, "<friendlyName>Stand-in Box</friendlyName>")) << description.output;
    EXPECT_TRUE(router.Leases().empty()) << router.State();

    ASSERT_TRUE(router.MapFrom("pc2", 2350, "the other PC")) << router.State();
    const std::vector<Lease> expected{{"TCP", 2350, kOtherPcAddress, 2350, "the other PC"},
                                      {"UDP", 2350, kOtherPcAddress, 2350, "the other PC"}};
    EXPECT_EQ(router.Leases(), expected) << router.State();
    const Timed list = Upnpc("pc2", {"-l"});
    EXPECT_TRUE(Has(list.run.output, "TCP  2350->192.168.77.20:2350  'the other PC'")) << list.run.output;
    EXPECT_TRUE(Has(list.run.output, "UDP  2350->192.168.77.20:2350  'the other PC'")) << list.run.output;
    EXPECT_TRUE(Has(list.run.output, "713")) << "the list ends on SpecifiedArrayIndexInvalid\n" << list.run.output;
    const std::vector<std::string> actions = router.Actions(kOtherPcAddress);
    EXPECT_NE(std::find(actions.begin(), actions.end(), "AddPortMapping UDP 2350"), actions.end());
    EXPECT_FALSE(router.HeardFrom(kOtherPcAddress).empty());
    EXPECT_TRUE(router.HeardFrom(kPcAddress).empty()) << "heard from a PC that sent nothing";

    // A lookup of a mapping that is not there is fault 714; a delete takes it away.
    const Timed gone = Upnpc("pc2", {"-d", "2350", "UDP"});
    EXPECT_TRUE(Has(gone.run.output, "UPNP_DeletePortMapping() returned : 0")) << gone.run.output;
    const std::vector<Lease> tcp{expected[0]};
    EXPECT_EQ(router.Leases(), tcp) << router.State();
}

TEST_F(TestNetwork, AStandInThatHangsHoldsAClientNotOursUntilItsOwnTimeOut) {
    Timed answered;
    {
        Router router(Standin("--name 'Test Router'"));
        ASSERT_TRUE(router.Ok()) << router.Report();
        answered = Upnpc("pc2", {"-s"});
        ASSERT_TRUE(Has(answered.run.output, "ExternalIPAddress =")) << answered.run.output;
    }
    for (const char* hang : {"description", "soap"}) {
        SCOPED_TRACE(hang);
        Router router(Standin(std::string("--hang ") + hang));
        ASSERT_TRUE(router.Ok()) << router.Report();
        const Timed held = Upnpc("pc2", {"-s"});
        std::printf("upnpc -s took %llu ms against --hang %s, %llu ms against an answer\n", held.ms, hang,
                    answered.ms);
        EXPECT_GE(held.ms, answered.ms + 2500) << held.run.output;
        EXPECT_FALSE(Has(held.run.output, "ExternalIPAddress =")) << held.run.output;
        bool heldLine = false;
        for (const std::string& line : router.HeardFrom(kOtherPcAddress))
            heldLine = heldLine || Has(line, "HANG description") || Has(line, "reply=hang");
        EXPECT_TRUE(heldLine) << router.State();
    }
}

TEST_F(TestNetwork, ADecoyAnswersTheSearchAndHangsWhileTheRouterBesideItStillServes) {
    RouterSetup setup;
    setup.decoy = "--hang description";
    Router router(setup);
    ASSERT_TRUE(router.Ok()) << router.Report();
    const Timed status = Upnpc("pc", {"-s"});
    EXPECT_TRUE(Has(status.run.output, "desc: http://192.168.77.20:8080/rootDesc.xml")) << status.run.output;
    EXPECT_TRUE(Has(status.run.output, "Found valid IGD : http://192.168.77.1:5000/")) << status.run.output;
    EXPECT_TRUE(Has(status.run.output, "ExternalIPAddress = " + router.ExternalAddress() + "\n")) << status.run.output;
    bool held = false;
    for (const std::string& line : router.DecoyHeardFrom(kPcAddress)) held = held || Has(line, "HANG description");
    EXPECT_TRUE(held) << router.State();
    EXPECT_TRUE(router.Leases().empty()) << router.State();
}

}  // namespace
