// Forwarding over PCP and NAT-PMP: one request per protocol, its answer taken as what the router
// holds; walls told apart by the address an answer carries; the hosting texts.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "core/host_texts.h"
#include "core/lease_mapping.h"

namespace {

constexpr char kLan[] = "192.168.77.10";
constexpr char kPort[] = "2346";

// A PCP or NAT-PMP router: answers each request from its script, else grants what is asked.
class FakeLeases : public LeaseActions {
public:
    explicit FakeLeases(MappingProtocol kind = MappingProtocol::PCP) : kind_(kind) {}
    MappingProtocol Kind() const override { return kind_; }
    LeaseAnswer Map(Protocol protocol, uint16_t port, uint32_t lifetime) override {
        const std::string key = std::string(NameOf(protocol)) + ":" + std::to_string(port) + ":" + std::to_string(lifetime);
        log.push_back(key);
        if (const auto found = script.find(key); found != script.end()) return found->second;
        LeaseAnswer answer;
        answer.externalPort = port;
        answer.lifetime = lifetime > cap ? cap : lifetime;
        answer.epoch = 1234;
        answer.externalAddress = external;
        return answer;
    }
    std::map<std::string, LeaseAnswer> script;
    std::vector<std::string> log;
    std::string external = "11.22.33.44";
    uint32_t cap = 100000;

private:
    MappingProtocol kind_;
};

LeaseAnswer Refusal(int code, const std::string& external = "") {
    LeaseAnswer answer;
    answer.code = code;
    answer.externalAddress = external;
    return answer;
}

RouterInfo Info(const std::string& external = "") {
    RouterInfo info;
    info.lanAddress = kLan;
    info.gateway = "192.168.77.1";
    info.externalAddress = external;
    return info;
}

const std::string kAsk = std::to_string(kLeaseSeconds);

TEST(LeaseMapping, OpenMapsBothOrTakesBackWhatItGot) {
    struct Case {
        const char* name;
        std::function<void(FakeLeases&)> setup;
        HostResult result;
        std::vector<std::string> log;
        std::function<void(const HostOutcome&)> check = nullptr;
    };
    const std::string tcp = "TCP:2346:" + kAsk, udp = "UDP:2346:" + kAsk;
    const Case cases[] = {
        {"granted", [](FakeLeases&) {}, HostResult::Opened, {tcp, udp},
         [](const HostOutcome& o) {
             EXPECT_EQ(o.router.externalAddress, "11.22.33.44");
             EXPECT_EQ(o.lifetime, kLeaseSeconds);
             EXPECT_EQ(o.epoch, 1234u);
             EXPECT_EQ(o.via, MappingProtocol::PCP);
         }},
        {"short lifetime granted", [](FakeLeases& r) { r.cap = 10; }, HostResult::Opened, {tcp, udp},
         [](const HostOutcome& o) { EXPECT_EQ(o.lifetime, 10u); }},
        {"carrier-grade NAT: the refusal names the shared address",
         [](FakeLeases& r) { r.script[std::string("TCP:2346:") + std::to_string(kLeaseSeconds)] = Refusal(11, "100.64.10.1"); },
         HostResult::NoPublicAddress, {tcp},
         [](const HostOutcome& o) { EXPECT_EQ(o.router.externalAddress, "100.64.10.1"); }},
        {"router behind a router: the refusal names a private address",
         [](FakeLeases& r) { r.script[std::string("TCP:2346:") + std::to_string(kLeaseSeconds)] = Refusal(8, "10.99.0.1"); },
         HostResult::NoPublicAddress, {tcp},
         [](const HostOutcome& o) { EXPECT_EQ(o.router.externalAddress, "10.99.0.1"); }},
        {"a refusal without an address is a refusal",
         [](FakeLeases& r) { r.script[std::string("TCP:2346:") + std::to_string(kLeaseSeconds)] = Refusal(2); },
         HostResult::Refused, {tcp}, [](const HostOutcome& o) { EXPECT_EQ(o.errorCode, 2); }},
        {"UDP refused: TCP is taken back",
         [](FakeLeases& r) { r.script[std::string("UDP:2346:") + std::to_string(kLeaseSeconds)] = Refusal(8); },
         HostResult::Refused, {tcp, udp, "TCP:2346:0"},
         [](const HostOutcome& o) {
             EXPECT_EQ(o.protocol, Protocol::UDP);
             EXPECT_TRUE(o.leftBehind.empty());
         }},
        {"UDP silent and TCP's take-back refused: left behind is told",
         [](FakeLeases& r) {
             r.script[std::string("UDP:2346:") + std::to_string(kLeaseSeconds)] = Refusal(kNoAnswer);
             r.script["TCP:2346:0"] = Refusal(kNoAnswer);
         },
         HostResult::Refused, {tcp, udp, "TCP:2346:0"},
         [](const HostOutcome& o) {
             ASSERT_EQ(o.leftBehind.size(), 1u);
             EXPECT_EQ(o.leftBehind[0].code, kNoAnswer);
         }},
        {"another external port is no forwarding of this one",
         [](FakeLeases& r) {
             LeaseAnswer other;
             other.externalPort = 40000;
             other.lifetime = 7200;
             other.externalAddress = "11.22.33.44";
             r.script[std::string("UDP:2346:") + std::to_string(kLeaseSeconds)] = other;
         },
         HostResult::Conflict, {tcp, udp, "TCP:2346:0", "UDP:2346:0"},
         [](const HostOutcome& o) { EXPECT_EQ(o.protocol, Protocol::UDP); }},
        {"granted at a reserved address: taken back", [](FakeLeases& r) { r.external = "192.0.2.7"; },
         HostResult::NoPublicAddress, {tcp, "TCP:2346:0"}},
        {"granted with no address at all: taken back", [](FakeLeases& r) { r.external = ""; },
         HostResult::NoPublicAddress, {tcp, "TCP:2346:0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeLeases router;
        c.setup(router);
        const HostOutcome outcome = OpenLease(router, Info(), kPort);
        EXPECT_EQ(outcome.result, c.result);
        EXPECT_EQ(router.log, c.log);
        EXPECT_EQ(outcome.port, kPort);
        if (c.check) c.check(outcome);
    }
}

TEST(LeaseMapping, CloseRemovesEachProtocolWithLifetimeZero) {
    FakeLeases router(MappingProtocol::NATPMP);
    HostOutcome closed = CloseLease(router, Info(), kPort);
    EXPECT_EQ(closed.result, HostResult::Closed);
    EXPECT_EQ(router.log, (std::vector<std::string>{"TCP:2346:0", "UDP:2346:0"}));
    ASSERT_EQ(closed.closed.size(), 2u);
    EXPECT_EQ(closed.closed[1].step, CloseStep::Removed);

    router.script["UDP:2346:0"] = Refusal(2);
    closed = CloseLease(router, Info(), kPort);
    EXPECT_EQ(closed.result, HostResult::NotClosed);
    EXPECT_EQ(closed.closed[0].step, CloseStep::Removed);
    EXPECT_EQ(closed.closed[1].step, CloseStep::DeleteFailed);
    EXPECT_NE(OutcomeText(closed).find("UDP port 2346: the router refused to remove MH Toolkit's forwarding (error 2: "
                                       "Not Authorized/Refused)"),
              std::string::npos)
        << OutcomeText(closed);
}

TEST(LeaseMapping, TextsNameTheProtocolItsErrorsAndTheWall) {
    EXPECT_EQ(LeaseErrorText(MappingProtocol::NATPMP, 3), "3: Network Failure");
    EXPECT_EQ(LeaseErrorText(MappingProtocol::PCP, 11), "11: CANNOT_PROVIDE_EXTERNAL");
    EXPECT_EQ(LeaseErrorText(MappingProtocol::PCP, kNoAnswer), "-1: no answer");
    EXPECT_EQ(LeaseErrorText(MappingProtocol::NATPMP, 99), "99: unknown error");

    FakeLeases router;
    HostOutcome opened = OpenLease(router, Info(), kPort);
    const std::string text = OutcomeText(opened);
    for (const char* phrase : {"Port 2346 is open", "asked with PCP", "Friends join: 11.22.33.44:2346", "renews"})
        EXPECT_NE(text.find(phrase), std::string::npos) << phrase << "\n" << text;

    router.script[std::string("TCP:2346:") + std::to_string(kLeaseSeconds)] = Refusal(2);
    const std::string refused = OutcomeText(OpenLease(router, Info(), kPort));
    for (const char* phrase : {"(error 2: NOT_AUTHORIZED)", "Check that PCP is allowed"})
        EXPECT_NE(refused.find(phrase), std::string::npos) << phrase << "\n" << refused;
}

TEST(LeaseMapping, HostingTextAndMenuItemShowWhatIsHeld) {
    EXPECT_EQ(HostMenuText({}, false), "Host for Friends...");
    EXPECT_EQ(HostMenuText({"2346"}, false), "Host for Friends... (port 2346 open)");
    EXPECT_EQ(HostMenuText({"2346"}, true), "Host for Friends... (port 2346: renewal failed)");
    EXPECT_EQ(HostMenuText({"2346", "2347", "80"}, false), "Host for Friends... (ports 2346, 2347 and 80 open)");
    EXPECT_EQ(QuitQuestion({"2346"}), "Port 2346 is open for friends. Close it and quit?");
    EXPECT_EQ(QuitQuestion({"2346", "80"}), "Ports 2346 and 80 are open for friends. Close them and quit?");

    FakeLeases router(MappingProtocol::NATPMP);
    HostingStatus status;
    status.opened = OpenLease(router, Info("11.22.33.44"), kPort);
    status.secondsToRenewal = 3599;
    std::string text = HostingText(status);
    for (const char* phrase : {"Port 2346 is open for friends", "asked with NAT-PMP", "Friends join: 11.22.33.44:2346",
                               "next renewal is due in 1 h 0 min", "2 h 0 min at a time"})
        EXPECT_NE(text.find(phrase), std::string::npos) << phrase << "\n" << text;
    EXPECT_EQ(text.find("lost the forwarding"), std::string::npos);

    status.remade = true;
    status.secondsToRenewal = 42;
    text = HostingText(status);
    EXPECT_NE(text.find("had lost the forwarding"), std::string::npos) << text;
    EXPECT_NE(text.find("due in 42 s"), std::string::npos) << text;

    status.failing = true;
    router.script[std::string("TCP:2346:") + std::to_string(kLeaseSeconds)] = Refusal(kNoAnswer);
    status.failure = OpenLease(router, Info(), kPort);
    text = HostingText(status);
    for (const char* phrase : {"Port 2346 may no longer be open for friends", "The last renewal failed",
                               "(error -1: no answer)", "tries again in 42 s"})
        EXPECT_NE(text.find(phrase), std::string::npos) << phrase << "\n" << text;
    EXPECT_EQ(text.find("is open for friends"), std::string::npos) << text;
}

}  // namespace
