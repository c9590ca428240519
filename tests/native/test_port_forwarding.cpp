// Host for Friends: the router's address classes, what friends are given, opening and closing over
// a router that answers as miniupnpd and other routers do, and the texts of each outcome.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "core/command_line.h"
#include "core/port_forwarding.h"

namespace {

// --- A router ------------------------------------------------------------------------------------

constexpr char kLan[] = "192.168.77.10";
constexpr char kOtherPc[] = "192.168.77.20";
constexpr char kPort[] = "2346";
const std::string kOurs = "MH Toolkit: Mireholt server";

struct Mapping {
    MappingEntry entry;
    unsigned lease = 0;
};

// The router's mapping table, with the errors it is set to answer.
class FakeRouter : public PortMappingActions {
public:
    int GetEntry(const std::string& port, Protocol protocol, MappingEntry& entry) override {
        log.push_back("get " + Key(port, protocol));
        if (getError) return getError;
        const auto found = table.find(Key(port, protocol));
        if (found == table.end()) return upnp_error::kNoSuchEntry;
        entry = found->second.entry;
        return 0;
    }
    int Add(const std::string& port, Protocol protocol, const std::string& client, const std::string& description,
            unsigned lease) override {
        log.push_back("add " + Key(port, protocol) + " " + std::to_string(lease));
        if (const auto error = addErrors.find(Key(port, protocol)); error != addErrors.end()) return error->second;
        if (onlyPermanent && lease != 0) return upnp_error::kOnlyPermanentLeases;
        if (const auto found = table.find(Key(port, protocol)); found != table.end() && found->second.entry.client != client)
            return upnp_error::kConflict;
        table[Key(port, protocol)] = Mapping{MappingEntry{client, port, description}, lease};
        return 0;
    }
    int Delete(const std::string& port, Protocol protocol) override {
        log.push_back("delete " + Key(port, protocol));
        if (deleteError) return deleteError;
        table.erase(Key(port, protocol));
        return 0;
    }

    static std::string Key(const std::string& port, Protocol protocol) { return std::string(NameOf(protocol)) + ":" + port; }
    void Put(const char* key, const std::string& client, const std::string& description, const std::string& internalPort = kPort) {
        table[key] = Mapping{MappingEntry{client, internalPort, description}, 0};
    }
    // "client|internal port|description|lease" of every mapping.
    std::map<std::string, std::string> Table() const {
        std::map<std::string, std::string> rows;
        for (const auto& [key, m] : table)
            rows[key] = m.entry.client + "|" + m.entry.internalPort + "|" + m.entry.description + "|" + std::to_string(m.lease);
        return rows;
    }

    std::map<std::string, Mapping> table;
    std::map<std::string, int> addErrors;  // by key
    int getError = 0, deleteError = 0;
    bool onlyPermanent = false;
    std::vector<std::string> log;
};

RouterInfo Router(const std::string& external = "11.22.33.44") { return RouterInfo{"Home Gateway", kLan, external}; }

using Rows = std::map<std::string, std::string>;
const std::string kDay = std::to_string(kLeaseSeconds);
const std::string kOurRow = std::string(kLan) + "|2346|" + kOurs + "|";

// --- Addresses, descriptions, links ------------------------------------------------------------

TEST(PortForwarding, AddressClasses) {
    const std::pair<const char*, AddressClass> cases[] = {
        {"11.22.33.44", AddressClass::Public},     {"203.0.113.9", AddressClass::Public},
        {"9.255.255.255", AddressClass::Public},   {"11.0.0.0", AddressClass::Public},
        {"10.0.0.1", AddressClass::Private},       {"10.255.255.255", AddressClass::Private},
        {"172.16.0.1", AddressClass::Private},     {"172.31.255.254", AddressClass::Private},
        {"172.15.255.255", AddressClass::Public},  {"172.32.0.0", AddressClass::Public},
        {"192.168.1.1", AddressClass::Private},    {"192.169.0.1", AddressClass::Public},
        {"100.64.0.1", AddressClass::Shared},      {"100.127.255.255", AddressClass::Shared},
        {"100.63.255.255", AddressClass::Public},  {"100.128.0.0", AddressClass::Public},
        {"", AddressClass::None},                  {"0.0.0.0", AddressClass::None},
        {"169.254.3.4", AddressClass::None},       {"router.example", AddressClass::None},
        {"1.2.3", AddressClass::None},             {"256.1.1.1", AddressClass::None},
        {"011.22.33.44", AddressClass::None},      {" 11.22.33.44", AddressClass::None},
    };
    for (const auto& [address, expected] : cases) EXPECT_EQ(ClassOfAddress(address), expected) << address;
}

TEST(PortForwarding, DescriptionsLinksAndAddressesFollowTheGameTable) {
    for (GameTarget target : {GameTarget::OV, GameTarget::BM, GameTarget::MH}) {
        const std::string description = MappingDescription(target);
        EXPECT_EQ(description, std::string("MH Toolkit: ") + InfoOf(target).name + " server");
        EXPECT_TRUE(IsToolkitMapping(description));
        // The link is one the program itself takes: same game, host and port.
        const std::string link = JoinLink(target, "11.22.33.44", "2346");
        EXPECT_EQ(link, std::string("mhtoolkit://join/") + InfoOf(target).code + "/11.22.33.44:2346");
        const auto request = ParseLink(link);
        ASSERT_TRUE(request) << link;
        EXPECT_EQ(request->target, target);
        EXPECT_EQ(request->server.host, "11.22.33.44");
        EXPECT_EQ(request->server.port, std::optional<std::string>("2346"));
    }
    EXPECT_EQ(JoinAddress("11.22.33.44", "65535"), "11.22.33.44:65535");
    for (const char* other : {"", "MH Toolkit", "MH Toolkit: Mireholt server ", "mh toolkit: Mireholt server",
                              "MH Toolkit: Quake server", "libminiupnpc"})
        EXPECT_FALSE(IsToolkitMapping(other)) << other;
}

TEST(PortForwarding, FriendlyNameOfTheRootDevice) {
    const std::pair<const char*, const char*> cases[] = {
        {"<root><device><friendlyName>Home Gateway</friendlyName><deviceList><device><friendlyName>WAN "
         "Device</friendlyName></device></deviceList></device></root>",
         "Home Gateway"},
        {"<friendlyName>\n  Tom &amp; Jerry&apos;s &lt;Box&gt; &quot;7&quot;\t</friendlyName>", "Tom & Jerry's <Box> \"7\""},
        {"<friendlyName>&amp;lt;</friendlyName>", "&lt;"},  // decoded once
        {"<friendlyName>a\x01" "b</friendlyName>", "a b"},
        {"<friendlyName>Fritz\xc3\xbc</friendlyName>", "Fritz\xc3\xbc"},  // UTF-8 kept as it is
        {"<friendlyName></friendlyName>", ""},
        {"<friendlyName>unterminated", ""},
        {"<modelName>Gateway</modelName>", ""},
        {"", ""},
    };
    for (const auto& [xml, name] : cases) EXPECT_EQ(FriendlyNameOf(xml), name) << xml;
}

TEST(PortForwarding, ErrorTexts) {
    const std::pair<int, const char*> cases[] = {
        {606, "606: Action not authorized"},      {718, "718: ConflictInMappingEntry"},
        {725, "725: OnlyPermanentLeasesSupported"}, {501, "501: Action Failed"},
        {728, "728: NoPortMapsAvailable"},        {729, "729: ConflictWithOtherMechanisms"},
        {402, "402: Invalid Args"},               {799, "799: unknown error"},
        {-3, "-3: no proper answer"},
    };
    for (const auto& [code, text] : cases) EXPECT_EQ(ErrorText(code), text) << code;
}

// --- Opening -------------------------------------------------------------------------------------

struct OpenCase {
    const char* name;
    std::function<void(FakeRouter&)> arrange;
    std::string external;
    HostResult result;
    Rows after;  // the router's table afterwards
    std::function<void(const HostOutcome&)> check = nullptr;
};

TEST(PortForwarding, OpenForwardsBothProtocolsOrLeavesNothingBehind) {
    const Rows none;
    const Rows opened{{"TCP:2346", kOurRow + kDay}, {"UDP:2346", kOurRow + kDay}};
    const std::string otherRow = std::string(kOtherPc) + "|2346|Their game|0";
    const OpenCase cases[] = {
        {"empty router", [](FakeRouter&) {}, "11.22.33.44", HostResult::Opened, opened,
         [](const HostOutcome& o) { EXPECT_FALSE(o.permanent); }},
        {"only permanent leases", [](FakeRouter& r) { r.onlyPermanent = true; }, "11.22.33.44", HostResult::Opened,
         {{"TCP:2346", kOurRow + "0"}, {"UDP:2346", kOurRow + "0"}}, [](const HostOutcome& o) { EXPECT_TRUE(o.permanent); }},
        {"shared address", [](FakeRouter&) {}, "100.64.10.1", HostResult::NoPublicAddress, none},
        {"private address", [](FakeRouter&) {}, "10.99.0.1", HostResult::NoPublicAddress, none},
        {"no address", [](FakeRouter&) {}, "", HostResult::NoPublicAddress, none},
        {"TCP at another PC", [](FakeRouter& r) { r.Put("TCP:2346", kOtherPc, "Their game"); }, "11.22.33.44",
         HostResult::Conflict, {{"TCP:2346", otherRow}},
         [](const HostOutcome& o) { EXPECT_EQ(o.protocol, Protocol::TCP); EXPECT_EQ(o.other.client, kOtherPc); }},
        {"UDP at another PC", [](FakeRouter& r) { r.Put("UDP:2346", kOtherPc, "Their game"); }, "11.22.33.44",
         HostResult::Conflict, {{"UDP:2346", otherRow}},
         [](const HostOutcome& o) { EXPECT_EQ(o.protocol, Protocol::UDP); EXPECT_EQ(o.other.client, kOtherPc); }},
        {"a router that hides its table answers 718",
         [](FakeRouter& r) { r.getError = 401; r.addErrors["UDP:2346"] = upnp_error::kConflict; }, "11.22.33.44",
         HostResult::Conflict, none, [](const HostOutcome& o) { EXPECT_EQ(o.other.client, ""); }},
        {"not authorized", [](FakeRouter& r) { r.addErrors["TCP:2346"] = upnp_error::kNotAuthorized; }, "11.22.33.44",
         HostResult::Refused, none, [](const HostOutcome& o) { EXPECT_EQ(o.errorCode, 606); EXPECT_FALSE(o.closing); }},
        {"UDP refused after TCP", [](FakeRouter& r) { r.addErrors["UDP:2346"] = upnp_error::kNotAuthorized; },
         "11.22.33.44", HostResult::Refused, none, [](const HostOutcome& o) { EXPECT_EQ(o.protocol, Protocol::UDP); }},
        {"no public address to map", [](FakeRouter& r) { r.addErrors["UDP:2346"] = upnp_error::kActionFailed; },
         "11.22.33.44", HostResult::NoPublicAddress, none, [](const HostOutcome& o) { EXPECT_EQ(o.errorCode, 501); }},
        {"no answer", [](FakeRouter& r) { r.addErrors["TCP:2346"] = -3; }, "11.22.33.44", HostResult::Refused, none,
         [](const HostOutcome& o) { EXPECT_EQ(o.errorCode, -3); }},
        {"ours already: renewed", [](FakeRouter& r) { r.Put("TCP:2346", kLan, "MH Toolkit: Orvanta server"); },
         "11.22.33.44", HostResult::Opened, opened},
        {"another program's, to this PC: kept",
         [](FakeRouter& r) { r.Put("UDP:2346", kLan, "Game's own"); }, "11.22.33.44", HostResult::Opened,
         {{"TCP:2346", kOurRow + kDay}, {"UDP:2346", std::string(kLan) + "|2346|Game's own|0"}}},
        {"to this PC's other port", [](FakeRouter& r) { r.Put("TCP:2346", kLan, "Game's own", "2400"); }, "11.22.33.44",
         HostResult::Conflict, {{"TCP:2346", std::string(kLan) + "|2400|Game's own|0"}},
         [](const HostOutcome& o) { EXPECT_EQ(o.other.internalPort, "2400"); }},
        {"ours refused halfway keeps the older one",
         [](FakeRouter& r) { r.Put("TCP:2346", kLan, kOurs); r.addErrors["UDP:2346"] = 606; }, "11.22.33.44",
         HostResult::Refused, {{"TCP:2346", kOurRow + kDay}}},
    };
    for (const OpenCase& c : cases) {
        SCOPED_TRACE(c.name);
        FakeRouter router;
        c.arrange(router);
        const HostOutcome outcome = OpenPort(router, Router(c.external), kPort, kOurs);
        EXPECT_EQ(outcome.result, c.result);
        EXPECT_EQ(outcome.port, kPort);
        EXPECT_EQ(router.Table(), c.after);
        if (c.check) c.check(outcome);
    }
}

TEST(PortForwarding, WithoutAPublicAddressTheRouterIsNotAsked) {
    for (const char* external : {"100.64.10.1", "10.99.0.1", "172.20.1.1", "192.168.0.1", "", "0.0.0.0"}) {
        FakeRouter router;
        EXPECT_EQ(OpenPort(router, Router(external), kPort, kOurs).result, HostResult::NoPublicAddress) << external;
        EXPECT_TRUE(router.log.empty()) << external;
    }
}

// --- Closing -------------------------------------------------------------------------------------

TEST(PortForwarding, CloseRemovesOnlyThisPCsToolkitMappings) {
    struct CloseCase {
        const char* name;
        std::function<void(FakeRouter&)> arrange;
        HostResult result;
        Rows after;
        int removed;
        size_t leftAlone;
    };
    const CloseCase cases[] = {
        {"ours", [](FakeRouter& r) { r.Put("TCP:2346", kLan, kOurs); r.Put("UDP:2346", kLan, kOurs); },
         HostResult::Closed, {}, 2, 0},
        {"nothing there", [](FakeRouter&) {}, HostResult::Closed, {}, 0, 0},
        {"another game's toolkit mapping is ours too",
         [](FakeRouter& r) { r.Put("UDP:2346", kLan, "MH Toolkit: Brightmoor server"); }, HostResult::Closed, {}, 1, 0},
        {"another PC's, even with our description",
         [](FakeRouter& r) { r.Put("TCP:2346", kOtherPc, kOurs); r.Put("UDP:2346", kLan, kOurs); }, HostResult::Closed,
         {{"TCP:2346", std::string(kOtherPc) + "|2346|" + kOurs + "|0"}}, 1, 1},
        {"another program's on this PC", [](FakeRouter& r) { r.Put("TCP:2346", kLan, "Game's own"); },
         HostResult::Closed, {{"TCP:2346", std::string(kLan) + "|2346|Game's own|0"}}, 0, 1},
        {"the table cannot be read",
         [](FakeRouter& r) { r.Put("TCP:2346", kLan, kOurs); r.getError = upnp_error::kNotAuthorized; },
         HostResult::Refused, {{"TCP:2346", kOurRow + "0"}}, 0, 0},
        {"delete refused", [](FakeRouter& r) { r.Put("TCP:2346", kLan, kOurs); r.deleteError = 606; },
         HostResult::Refused, {{"TCP:2346", kOurRow + "0"}}, 0, 0},
    };
    for (const CloseCase& c : cases) {
        SCOPED_TRACE(c.name);
        FakeRouter router;
        c.arrange(router);
        const HostOutcome outcome = ClosePort(router, Router(), kPort);
        EXPECT_EQ(outcome.result, c.result);
        EXPECT_EQ(router.Table(), c.after);
        EXPECT_EQ(outcome.removed, c.removed);
        EXPECT_EQ(outcome.leftAlone.size(), c.leftAlone);
        if (c.result == HostResult::Refused) { EXPECT_TRUE(outcome.closing); }
    }
}

// --- Texts ---------------------------------------------------------------------------------------

TEST(PortForwarding, EachOutcomeSaysWhatHappenedInItsKeyPhrases) {
    auto outcome = [](HostResult result, std::function<void(HostOutcome&)> fill = nullptr) {
        HostOutcome o;
        o.result = result;
        o.port = "2346";
        o.router = Router();
        if (fill) fill(o);
        return o;
    };
    struct TextCase {
        HostOutcome outcome;
        std::vector<std::string> phrases;
    };
    const TextCase cases[] = {
        {outcome(HostResult::Opened),
         {"Home Gateway", "Internet address: 11.22.33.44\r\n", "\r\nFriends join: 11.22.33.44:2346\r\n", "lasts a day"}},
        {outcome(HostResult::Opened, [](HostOutcome& o) { o.permanent = true; o.router.name = ""; }),
         {"your router", "until it is closed", "Friends join: 11.22.33.44:2346"}},
        {NoRouterOutcome("2346", "192.168.1.5"),
         {"No router answered", "TCP and UDP port 2346 to this PC (192.168.1.5)"}},
        {NoRouterOutcome("80", ""), {"No router answered", "TCP and UDP port 80", "Your Addresses"}},
        {outcome(HostResult::NoPublicAddress, [](HostOutcome& o) { o.router.externalAddress = "100.64.10.1"; }),
         {"Home Gateway has no internet address of its own", "100.64.10.1", "carrier-grade NAT", "VPN",
          "public IP address"}},
        {outcome(HostResult::NoPublicAddress, [](HostOutcome& o) { o.router.externalAddress = "10.99.0.1"; }),
         {"has no internet address of its own", "10.99.0.1", "another router", "VPN"}},
        {outcome(HostResult::NoPublicAddress, [](HostOutcome& o) { o.router = RouterInfo{"", kLan, ""}; }),
         {"Your router has no internet address of its own", "reports none", "carrier-grade NAT", "VPN"}},
        {outcome(HostResult::NoPublicAddress, [](HostOutcome& o) { o.errorCode = 501; }),
         {"has no internet address of its own", "(error 501: Action Failed)", "VPN"}},
        {outcome(HostResult::Conflict, [](HostOutcome& o) { o.protocol = Protocol::UDP; o.other = {kOtherPc, "2346", "x"}; }),
         {"UDP port 2346 is already forwarded to 192.168.77.20", "left as it is"}},
        {outcome(HostResult::Conflict, [](HostOutcome& o) { o.other = {kLan, "2400", "x"}; }),
         {"already forwarded to 192.168.77.10 (this PC, its port 2400"}},
        {outcome(HostResult::Conflict), {"already forwarded to another device"}},
        {outcome(HostResult::Refused, [](HostOutcome& o) { o.errorCode = 606; }),
         {"The router refused to open TCP port 2346", "(error 606: Action not authorized)", "192.168.77.10"}},
        {outcome(HostResult::Refused, [](HostOutcome& o) { o.errorCode = 606; o.closing = true; }),
         {"The router refused to close TCP port 2346", "(error 606: Action not authorized)"}},
        {outcome(HostResult::Refused, [](HostOutcome& o) { o.errorCode = -3; }),
         {"did not answer properly", "(error -3: no proper answer)"}},
        {outcome(HostResult::Closed, [](HostOutcome& o) { o.removed = 2; }), {"Port 2346 is closed", "removed"}},
        {outcome(HostResult::Closed), {"Port 2346 is closed", "had no forwarding of it"}},
        {outcome(HostResult::Closed,
                 [](HostOutcome& o) { o.leftAlone = {{Protocol::TCP, MappingEntry{kOtherPc, "2346", "Their game"}}}; }),
         {"Port 2346 is closed", "TCP port 2346 stays forwarded to 192.168.77.20 (\"Their game\")"}},
    };
    for (const TextCase& c : cases) {
        const std::string text = OutcomeText(c.outcome);
        for (const std::string& phrase : c.phrases) EXPECT_NE(text.find(phrase), std::string::npos) << phrase << "\n" << text;
        // A multi-line edit breaks lines at "\r\n" only.
        for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
            EXPECT_TRUE(at > 0 && text[at - 1] == '\r') << text;
    }
    // Only success gives friends an address.
    for (HostResult other : {HostResult::Closed, HostResult::NoRouter, HostResult::NoPublicAddress,
                             HostResult::Conflict, HostResult::Refused})
        EXPECT_EQ(OutcomeText(outcome(other)).find("Friends join"), std::string::npos);
}

}  // namespace
