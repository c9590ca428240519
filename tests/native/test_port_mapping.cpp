// Host for Friends: the kinds of address a router reports, what friends are given, opening and
// closing over a router that answers as miniupnpd does or lies, and the texts of each outcome.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "core/address_kinds.h"
#include "core/command_line.h"
#include "core/host_texts.h"
#include "core/port_mapping.h"

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

// The router's mapping table, with the errors and lies it is set to answer (by "PROTO:PORT").
class FakeRouter : public PortMappingActions {
public:
    int GetEntry(const std::string& port, Protocol protocol, MappingEntry& entry) override {
        const std::string key = Key(port, protocol);
        log.push_back("get " + key);
        if (getError) return getError;
        if (const auto error = getErrors.find(key); error != getErrors.end()) return error->second;
        const auto found = table.find(key);
        if (found == table.end()) return upnp_error::kNoSuchEntry;
        entry = found->second.entry;
        entry.lease = leaseCap && found->second.lease > leaseCap ? leaseCap : found->second.lease;
        return 0;
    }
    int Add(const std::string& port, Protocol protocol, const std::string& client, const std::string& description,
            unsigned lease) override {
        const std::string key = Key(port, protocol);
        log.push_back("add " + key + " " + std::to_string(lease));
        if (const auto error = addErrors.find(key); error != addErrors.end()) return error->second;
        if (onlyPermanent && lease != 0) return upnp_error::kOnlyPermanentLeases;
        if (const auto found = table.find(key);
            found != table.end() && (conflictOnAny || found->second.entry.client != client))
            return upnp_error::kConflict;
        if (!holdsNothing) table[key] = Mapping{MappingEntry{client, port, description}, lease};
        return 0;
    }
    int Delete(const std::string& port, Protocol protocol) override {
        const std::string key = Key(port, protocol);
        log.push_back("delete " + key);
        if (const auto error = deleteErrors.find(key); error != deleteErrors.end()) return error->second;
        if (deleteError) return deleteError;
        if (!keepsDeleted) table.erase(key);
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
    std::map<std::string, int> addErrors, getErrors, deleteErrors;
    int getError = 0, deleteError = 0;
    bool onlyPermanent = false;
    bool conflictOnAny = false;  // 718 for a port that has a mapping, this PC's own included
    bool holdsNothing = false;   // answers every add with success and keeps nothing
    bool keepsDeleted = false;   // answers every delete with success and keeps the mapping
    unsigned leaseCap = 0;       // lookups tell at most this much lease left
    std::vector<std::string> log;
};

RouterInfo Router(const std::string& external = "11.22.33.44", const std::string& name = "Home Gateway") {
    RouterInfo info;
    info.name = name;
    info.lanAddress = kLan;
    info.externalAddress = external;
    return info;
}

using Rows = std::map<std::string, std::string>;
const std::string kDay = std::to_string(kLeaseSeconds);
const std::string kOurRow = std::string(kLan) + "|2346|" + kOurs + "|";

// --- Addresses, descriptions, links ------------------------------------------------------------

TEST(PortMapping, KindsOfAddressFollowOneTable) {
    const std::pair<const char*, AddressKind> cases[] = {
        {"11.22.33.44", AddressKind::Public},      {"9.255.255.255", AddressKind::Public},
        {"11.0.0.0", AddressKind::Public},         {"223.255.255.255", AddressKind::Public},
        {"10.0.0.1", AddressKind::Private},        {"10.255.255.255", AddressKind::Private},
        {"172.16.0.1", AddressKind::Private},      {"172.31.255.254", AddressKind::Private},
        {"172.15.255.255", AddressKind::Public},   {"172.32.0.0", AddressKind::Public},
        {"192.168.1.1", AddressKind::Private},     {"192.169.0.1", AddressKind::Public},
        {"100.64.0.1", AddressKind::Shared},       {"100.127.255.255", AddressKind::Shared},
        {"100.63.255.255", AddressKind::Public},   {"100.128.0.0", AddressKind::Public},
        {"0.0.0.0", AddressKind::Reserved},        {"0.1.2.3", AddressKind::Reserved},
        {"127.0.0.1", AddressKind::Reserved},      {"127.255.255.255", AddressKind::Reserved},
        {"169.254.3.4", AddressKind::Reserved},    {"169.253.255.255", AddressKind::Public},
        {"192.0.0.8", AddressKind::Reserved},      {"192.0.1.1", AddressKind::Public},
        {"192.0.2.55", AddressKind::Reserved},     {"192.0.3.1", AddressKind::Public},
        {"198.18.0.1", AddressKind::Reserved},     {"198.19.255.255", AddressKind::Reserved},
        {"198.17.255.255", AddressKind::Public},   {"198.20.0.0", AddressKind::Public},
        {"198.51.100.7", AddressKind::Reserved},   {"203.0.113.9", AddressKind::Reserved},
        {"203.0.114.9", AddressKind::Public},      {"224.0.0.1", AddressKind::Reserved},
        {"239.255.255.250", AddressKind::Reserved}, {"240.0.0.1", AddressKind::Reserved},
        {"255.255.255.255", AddressKind::Reserved},
        {"", AddressKind::NotAnAddress},           {"router.example", AddressKind::NotAnAddress},
        {"1.2.3", AddressKind::NotAnAddress},      {"1.2.3.4.5", AddressKind::NotAnAddress},
        {"256.1.1.1", AddressKind::NotAnAddress},  {"011.22.33.44", AddressKind::NotAnAddress},
        {" 11.22.33.44", AddressKind::NotAnAddress}, {"11.22.33.44\n", AddressKind::NotAnAddress},
        {"1.2.3.", AddressKind::NotAnAddress},     {"1..2.3", AddressKind::NotAnAddress},
        {"1234.1.1.1", AddressKind::NotAnAddress}, {"-1.2.3.4", AddressKind::NotAnAddress},
    };
    for (const auto& [address, expected] : cases) EXPECT_EQ(KindOfAddress(address), expected) << address;
    EXPECT_STREQ(BlockNameOf("127.0.0.1"), "loopback");
    EXPECT_STREQ(BlockNameOf("224.1.2.3"), "multicast");
    EXPECT_STREQ(BlockNameOf("11.22.33.44"), "");
}

TEST(PortMapping, TextFromTheRouterIsShownWithoutControlsAndAtMost64Characters) {
    const std::pair<std::string, std::string> cases[] = {
        {"Home Gateway", "Home Gateway"},
        {"  a\r\nFriends join: 6.6.6.6:2350\t", "a  Friends join: 6.6.6.6:2350"},
        {std::string("x\0y\x7f", 4), "x y"},
        {std::string(64, 'A'), std::string(64, 'A')},
        {std::string(200000, 'A'), std::string(61, 'A') + "..."},
        {std::string(60, 'A') + "\xc3\xbc\xc3\xbc", std::string(60, 'A') + "\xc3\xbc\xc3\xbc"},
        {std::string(60, 'A') + "\xc3\xbc\xc3\xbc!", std::string(60, 'A') + "..."},  // no half a character
        {"\r\n", ""},
    };
    for (const auto& [raw, shown] : cases) EXPECT_EQ(RouterText(raw), shown) << raw.substr(0, 80);
}

TEST(PortMapping, DescriptionsAndLinksFollowTheGameTable) {
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
    for (const char* other : {"", "MH Toolkit", "MH Toolkit: Mireholt server ", "mh toolkit: Mireholt server",
                              "MH Toolkit: Quake server", "libminiupnpc"})
        EXPECT_FALSE(IsToolkitMapping(other)) << other;
}

TEST(PortMapping, FriendlyNameOfTheRootDevice) {
    const std::pair<const char*, const char*> cases[] = {
        {"<root><device><friendlyName>Home Gateway</friendlyName><deviceList><device><friendlyName>WAN "
         "Device</friendlyName></device></deviceList></device></root>",
         "Home Gateway"},
        {"<friendlyName>\n  Tom &amp; Jerry&apos;s &lt;Box&gt; &quot;7&quot;\t</friendlyName>", "Tom & Jerry's <Box> \"7\""},
        {"<friendlyName>&amp;lt;</friendlyName>", "&lt;"},  // decoded once
        {"<friendlyName>a\x01" "b</friendlyName>", "a b"},
        {"<friendlyName>Fritz\xc3\xbc</friendlyName>", "Fritz\xc3\xbc"},  // UTF-8 kept as it is
        {"<friendlyName></friendlyName>", ""},
        {"<friendlyName>Evil&#13;\r\nFriends join: 6.6.6.6:1</friendlyName>", "Evil&#13;  Friends join: 6.6.6.6:1"},
        {"<friendlyName>unterminated", ""},
        {"<modelName>Gateway</modelName>", ""},
        {"", ""},
    };
    for (const auto& [xml, name] : cases) EXPECT_EQ(FriendlyNameOf(xml), name) << xml;
}

TEST(PortMapping, ErrorTexts) {
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

TEST(PortMapping, OpenForwardsBothProtocolsOrLeavesNothingBehind) {
    const Rows none;
    const Rows opened{{"TCP:2346", kOurRow + kDay}, {"UDP:2346", kOurRow + kDay}};
    const std::string otherRow = std::string(kOtherPc) + "|2346|Their game|0";
    const OpenCase cases[] = {
        {"empty router", [](FakeRouter&) {}, "11.22.33.44", HostResult::Opened, opened,
         [](const HostOutcome& o) {
             EXPECT_FALSE(o.permanent);
             EXPECT_FALSE(o.wasHeld);
             EXPECT_EQ(o.lifetime, kLeaseSeconds);
         }},
        {"a renewal finds its own mappings",
         [](FakeRouter& r) { r.Put("TCP:2346", kLan, kOurs); r.Put("UDP:2346", kLan, kOurs); }, "11.22.33.44",
         HostResult::Opened, opened, [](const HostOutcome& o) { EXPECT_TRUE(o.wasHeld); }},
        {"a renewal after the router lost one", [](FakeRouter& r) { r.Put("TCP:2346", kLan, kOurs); }, "11.22.33.44",
         HostResult::Opened, opened, [](const HostOutcome& o) { EXPECT_FALSE(o.wasHeld); }},
        {"the router grants less than asked", [](FakeRouter& r) { r.leaseCap = 600; }, "11.22.33.44",
         HostResult::Opened, opened, [](const HostOutcome& o) { EXPECT_EQ(o.lifetime, 600u); }},
        {"only permanent leases", [](FakeRouter& r) { r.onlyPermanent = true; }, "11.22.33.44", HostResult::Opened,
         {{"TCP:2346", kOurRow + "0"}, {"UDP:2346", kOurRow + "0"}}, [](const HostOutcome& o) {
             EXPECT_TRUE(o.permanent);
             EXPECT_EQ(o.lifetime, 0u);
         }},
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
        {"501 is a refusal", [](FakeRouter& r) { r.addErrors["UDP:2346"] = upnp_error::kActionFailed; },
         "11.22.33.44", HostResult::Refused, none, [](const HostOutcome& o) {
             EXPECT_EQ(o.errorCode, 501);
             EXPECT_EQ(o.protocol, Protocol::UDP);
             EXPECT_TRUE(o.leftBehind.empty());
         }},
        {"a rollback the router refuses is told",
         [](FakeRouter& r) { r.addErrors["UDP:2346"] = 606; r.deleteErrors["TCP:2346"] = 501; }, "11.22.33.44",
         HostResult::Refused, {{"TCP:2346", kOurRow + kDay}}, [](const HostOutcome& o) {
             ASSERT_EQ(o.leftBehind.size(), 1u);
             EXPECT_EQ(o.leftBehind[0].protocol, Protocol::TCP);
             EXPECT_EQ(o.leftBehind[0].code, 501);
         }},
        {"a rollback the router says it made and did not is told",
         [](FakeRouter& r) { r.addErrors["UDP:2346"] = 606; r.keepsDeleted = true; }, "11.22.33.44",
         HostResult::Refused, {{"TCP:2346", kOurRow + kDay}}, [](const HostOutcome& o) {
             ASSERT_EQ(o.leftBehind.size(), 1u);
             EXPECT_EQ(o.leftBehind[0].code, 0);
         }},
        {"a yes that keeps nothing is not open", [](FakeRouter& r) { r.holdsNothing = true; }, "11.22.33.44",
         HostResult::NotHeld, none, [](const HostOutcome& o) {
             ASSERT_EQ(o.held.size(), 2u);
             EXPECT_EQ(o.held[0].code, upnp_error::kNoSuchEntry);
             EXPECT_EQ(o.held[1].code, upnp_error::kNoSuchEntry);
         }},
        {"a mapping the router cannot show is not open; the other goes again",
         [](FakeRouter& r) { r.getErrors["UDP:2346"] = 402; }, "11.22.33.44", HostResult::NotHeld, none,
         [](const HostOutcome& o) { EXPECT_EQ(o.held.at(1).code, 402); }},
        {"718 for this PC's own mapping: made anew",
         [](FakeRouter& r) {
             r.conflictOnAny = true;
             r.Put("TCP:2346", kLan, kOurs);
             r.Put("UDP:2346", kLan, "MH Toolkit: Orvanta server");
         },
         "11.22.33.44", HostResult::Opened, opened, [](const HostOutcome& o) { EXPECT_TRUE(o.renewed); }},
        {"718 for another PC's mapping the lookup missed",
         [](FakeRouter& r) {
             r.conflictOnAny = true;
             r.getErrors["UDP:2346"] = 501;
             r.Put("UDP:2346", kOtherPc, "Their game");
         },
         "11.22.33.44", HostResult::Conflict, {{"UDP:2346", otherRow}},
         [](const HostOutcome& o) { EXPECT_EQ(o.protocol, Protocol::UDP); }},
        {"the internet address could not be had", [](FakeRouter&) {}, "", HostResult::NoExternalAddress, none},
        {"a reserved address", [](FakeRouter&) {}, "127.0.0.1", HostResult::NoPublicAddress, none},
        {"not an address", [](FakeRouter&) {}, "1.2.3", HostResult::NoPublicAddress, none},
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
        RouterInfo info = Router(c.external);
        if (c.result == HostResult::NoExternalAddress) info.externalError = -3;
        const HostOutcome outcome = OpenPort(router, info, kPort, kOurs);
        EXPECT_EQ(outcome.result, c.result);
        EXPECT_EQ(outcome.port, kPort);
        EXPECT_EQ(router.Table(), c.after);
        if (c.check) c.check(outcome);
    }
}

TEST(PortMapping, WithoutAPublicAddressTheRouterIsNotAsked) {
    for (const char* external : {"100.64.10.1", "10.99.0.1", "172.20.1.1", "192.168.0.1", "", "0.0.0.0", "127.0.0.1",
                                 "224.0.0.1", "240.0.0.1", "192.0.2.55", "198.18.0.1", "169.254.1.1", "1.2.3",
                                 "11.22.33.44<br>"}) {
        FakeRouter router;
        EXPECT_EQ(OpenPort(router, Router(external), kPort, kOurs).result, HostResult::NoPublicAddress) << external;
        EXPECT_TRUE(router.log.empty()) << external;
    }
    FakeRouter router;
    RouterInfo info = Router();
    info.externalError = 501;
    const HostOutcome outcome = OpenPort(router, info, kPort, kOurs);
    EXPECT_EQ(outcome.result, HostResult::NoExternalAddress);
    EXPECT_EQ(outcome.errorCode, 501);
    EXPECT_TRUE(router.log.empty());
}

TEST(PortMapping, OpenLooksUpBothMappingsAfterAddingThem) {
    FakeRouter router;
    EXPECT_EQ(OpenPort(router, Router(), kPort, kOurs).result, HostResult::Opened);
    const std::vector<std::string> expected = {"get TCP:2346", "get UDP:2346", "add TCP:2346 " + kDay,
                                               "add UDP:2346 " + kDay, "get TCP:2346", "get UDP:2346"};
    EXPECT_EQ(router.log, expected);

    FakeRouter own;
    own.conflictOnAny = true;
    own.Put("TCP:2346", kLan, kOurs);
    EXPECT_EQ(OpenPort(own, Router(), kPort, kOurs).result, HostResult::Opened);
    const std::vector<std::string> renewed = {"get TCP:2346", "get UDP:2346", "add TCP:2346 " + kDay, "get TCP:2346",
                                              "delete TCP:2346", "add TCP:2346 " + kDay, "add UDP:2346 " + kDay,
                                              "get TCP:2346", "get UDP:2346"};
    EXPECT_EQ(own.log, renewed);
}

// --- Closing -------------------------------------------------------------------------------------

TEST(PortMapping, CloseHandlesEachProtocolOnItsOwn) {
    using S = CloseStep;
    struct CloseCase {
        const char* name;
        std::function<void(FakeRouter&)> arrange;
        HostResult result;
        Rows after;
        S tcp, udp;
    };
    const std::string ourRow0 = kOurRow + "0";
    const CloseCase cases[] = {
        {"ours", [](FakeRouter& r) { r.Put("TCP:2346", kLan, kOurs); r.Put("UDP:2346", kLan, kOurs); },
         HostResult::Closed, {}, S::Removed, S::Removed},
        {"nothing there", [](FakeRouter&) {}, HostResult::Closed, {}, S::None, S::None},
        {"another game's toolkit mapping is ours too",
         [](FakeRouter& r) { r.Put("UDP:2346", kLan, "MH Toolkit: Brightmoor server"); }, HostResult::Closed, {},
         S::None, S::Removed},
        {"another PC's, even with our description",
         [](FakeRouter& r) { r.Put("TCP:2346", kOtherPc, kOurs); r.Put("UDP:2346", kLan, kOurs); }, HostResult::Closed,
         {{"TCP:2346", std::string(kOtherPc) + "|2346|" + kOurs + "|0"}}, S::LeftAlone, S::Removed},
        {"another program's on this PC", [](FakeRouter& r) { r.Put("TCP:2346", kLan, "Game's own"); },
         HostResult::Closed, {{"TCP:2346", std::string(kLan) + "|2346|Game's own|0"}}, S::LeftAlone, S::None},
        {"the table cannot be read: both looked at, nothing removed",
         [](FakeRouter& r) { r.Put("TCP:2346", kLan, kOurs); r.getError = 402; }, HostResult::NotClosed,
         {{"TCP:2346", ourRow0}}, S::LookupFailed, S::LookupFailed},
        {"one lookup fails, the other protocol still closes",
         [](FakeRouter& r) { r.Put("TCP:2346", kLan, kOurs); r.Put("UDP:2346", kLan, kOurs); r.getErrors["TCP:2346"] = 402; },
         HostResult::NotClosed, {{"TCP:2346", ourRow0}}, S::LookupFailed, S::Removed},
        {"delete refused", [](FakeRouter& r) { r.Put("TCP:2346", kLan, kOurs); r.deleteError = 606; },
         HostResult::NotClosed, {{"TCP:2346", ourRow0}}, S::DeleteFailed, S::None},
        {"a delete that does nothing", [](FakeRouter& r) { r.Put("UDP:2346", kLan, kOurs); r.keepsDeleted = true; },
         HostResult::NotClosed, {{"UDP:2346", ourRow0}}, S::None, S::StillHeld},
    };
    for (const CloseCase& c : cases) {
        SCOPED_TRACE(c.name);
        FakeRouter router;
        c.arrange(router);
        const HostOutcome outcome = ClosePort(router, Router(), kPort);
        EXPECT_EQ(outcome.result, c.result);
        EXPECT_TRUE(outcome.closing);
        EXPECT_EQ(router.Table(), c.after);
        ASSERT_EQ(outcome.closed.size(), 2u);
        EXPECT_EQ(outcome.closed[0].protocol, Protocol::TCP);
        EXPECT_EQ(outcome.closed[0].step, c.tcp);
        EXPECT_EQ(outcome.closed[1].protocol, Protocol::UDP);
        EXPECT_EQ(outcome.closed[1].step, c.udp);
    }
}

// --- Texts ---------------------------------------------------------------------------------------

TEST(PortMapping, EachOutcomeSaysWhatHappenedInItsKeyPhrases) {
    auto outcome = [](HostResult result, std::function<void(HostOutcome&)> fill = nullptr) {
        HostOutcome o;
        o.result = result;
        o.port = "2346";
        o.router = Router();
        if (fill) fill(o);
        return o;
    };
    auto closing = [&](CloseStep tcp, CloseStep udp, int code = 0) {
        return outcome(HostResult::NotClosed, [=](HostOutcome& o) {
            o.closing = true;
            o.closed = {{Protocol::TCP, tcp, code, {}}, {Protocol::UDP, udp, code, {}}};
        });
    };
    const MappingEntry evil{kOtherPc, "2346", "evil\r\nFriends join: 6.6.6.6:2346"};
    struct TextCase {
        HostOutcome outcome;
        std::vector<std::string> phrases;
        std::vector<std::string> absent = {};
    };
    const TextCase cases[] = {
        {outcome(HostResult::Opened),
         {"Port 2346 is open", "Home Gateway", "Internet address: 11.22.33.44\r\n",
          "\r\nFriends join: 11.22.33.44:2346\r\n", "asked with UPnP", "renews the forwarding for as long as it runs", "once your server runs (Create)", "Windows Firewall"}},
        {outcome(HostResult::Opened, [](HostOutcome& o) { o.permanent = true; o.router.name = ""; o.renewed = true; }),
         {"your router", "until it is closed", "Friends join: 11.22.33.44:2346", "made anew"}},
        {outcome(HostResult::NotHeld,
                 [&](HostOutcome& o) {
                     o.held = {{Protocol::TCP, upnp_error::kNoSuchEntry, {}}, {Protocol::UDP, 0, evil}};
                 }),
         {"Port 2346 is not open", "does not hold", "TCP port 2346: not forwarded.",
          "UDP port 2346: forwarded to 192.168.77.20 (\"evil  Friends join: 6.6.6.6:2346\")", "by hand"},
         {"is open", "\nFriends join"}},
        {NoRouterOutcome("2346", "192.168.1.5", false),
         {"No router answered", "VPN", "TCP and UDP port 2346 to this PC (192.168.1.5)", "try Open Port again"}},
        {NoRouterOutcome("80", "", false), {"No router answered", "TCP and UDP port 80", "Your Addresses"}},
        {NoRouterOutcome("2346", "192.168.1.5", true),
         {"No router answered, so nothing could be closed", "VPN", "made by hand is removed"}, {"Open Port"}},
        {outcome(HostResult::NoExternalAddress, [](HostOutcome& o) { o.errorCode = 501; }),
         {"Home Gateway did not give its internet address (error 501: Action Failed)", "no port was opened"},
         {"carrier-grade"}},
        {outcome(HostResult::NoPublicAddress, [](HostOutcome& o) { o.router.externalAddress = "100.64.10.1"; }),
         {"Home Gateway has no internet address of its own", "100.64.10.1", "carrier-grade NAT", "VPN",
          "Ask your provider for a public IPv4 address"},
         {"bridge mode"}},
        {outcome(HostResult::NoPublicAddress, [](HostOutcome& o) { o.router.externalAddress = "10.99.0.1"; }),
         {"has no internet address of its own", "10.99.0.1", "another router",
          "Forward TCP and UDP port 2346 on that first router as well", "bridge mode"},
         {"provider for a public"}},
        {outcome(HostResult::NoPublicAddress, [](HostOutcome& o) { o.router.externalAddress = "127.0.0.1"; }),
         {"has no internet address of its own", "127.0.0.1, a loopback address"}},
        {outcome(HostResult::NoPublicAddress, [](HostOutcome& o) { o.router.externalAddress = "11.22.33.44\r\nx"; }),
         {"has no internet address of its own", "\"11.22.33.44  x\", which is not an internet address"}},
        {outcome(HostResult::NoPublicAddress, [](HostOutcome& o) { o.router = Router("", ""); }),
         {"Your router has no internet address of its own", "reports none", "carrier-grade NAT", "VPN",
          "forward TCP and UDP port 2346 on that one as well", "bridge mode", "public IPv4 address"}},
        {outcome(HostResult::Conflict, [](HostOutcome& o) { o.protocol = Protocol::UDP; o.other = {kOtherPc, "2346", "x"}; }),
         {"UDP port 2346 is already forwarded to 192.168.77.20", "left as it is"}},
        {outcome(HostResult::Conflict, [](HostOutcome& o) { o.other = {kLan, "2400", "x"}; }),
         {"already forwarded to 192.168.77.10 (this PC, its port 2400"}},
        {outcome(HostResult::Conflict), {"already forwarded to another device"}},
        {outcome(HostResult::Refused, [](HostOutcome& o) { o.errorCode = 606; }),
         {"The router refused to open TCP port 2346", "(error 606: Action not authorized)", "192.168.77.10"},
         {"stays forwarded"}},
        {outcome(HostResult::Refused, [](HostOutcome& o) { o.errorCode = 501; }),
         {"The router refused to open TCP port 2346 (error 501: Action Failed)"}, {"no internet address"}},
        {outcome(HostResult::Refused, [](HostOutcome& o) { o.errorCode = -3; }),
         {"did not answer properly", "(error -3: no proper answer)"}},
        {outcome(HostResult::Refused,
                 [](HostOutcome& o) {
                     o.protocol = Protocol::UDP;
                     o.errorCode = 606;
                     o.leftBehind = {{Protocol::TCP, 501, {}}};
                 }),
         {"The router refused to open UDP port 2346",
          "TCP port 2346 stays forwarded to this PC (192.168.77.10): the router refused to take it back (error 501",
          "Close Port removes it"}},
        {outcome(HostResult::Closed,
                 [](HostOutcome& o) { o.closed = {{Protocol::TCP, CloseStep::Removed, 0, {}}, {Protocol::UDP, CloseStep::None, 0, {}}}; }),
         {"Port 2346 is closed", "is removed from Home Gateway"}},
        {outcome(HostResult::Closed), {"Port 2346 is closed", "had no forwarding of it"}},
        {outcome(HostResult::Closed,
                 [&](HostOutcome& o) { o.closed = {{Protocol::TCP, CloseStep::LeftAlone, 0, evil}}; }),
         {"Port 2346 is closed", "TCP port 2346 stays forwarded to 192.168.77.20 (\"evil  Friends join"},
         {"\nFriends join"}},
        {closing(CloseStep::LookupFailed, CloseStep::LookupFailed, 402),
         {"Port 2346 is not closed", "TCP port 2346: the router could not tell whether it forwards it (error 402",
          "UDP port 2346: the router could not tell", "nothing was removed"}, {"is closed"}},
        {closing(CloseStep::DeleteFailed, CloseStep::Removed, 606),
         {"TCP port 2346: the router refused to remove MH Toolkit's forwarding (error 606",
          "UDP port 2346: MH Toolkit's forwarding of it to this PC is removed"}},
        {closing(CloseStep::StillHeld, CloseStep::Unconfirmed, -3),
         {"TCP port 2346: the router said it removed MH Toolkit's forwarding, but it still holds it",
          "UDP port 2346: the router said it removed", "(error -3"}},
    };
    for (const TextCase& c : cases) {
        const std::string text = OutcomeText(c.outcome);
        for (const std::string& phrase : c.phrases) EXPECT_NE(text.find(phrase), std::string::npos) << phrase << "\n" << text;
        for (const std::string& phrase : c.absent) EXPECT_EQ(text.find(phrase), std::string::npos) << phrase << "\n" << text;
        // A multi-line edit breaks lines at "\r\n" only.
        for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
            EXPECT_TRUE(at > 0 && text[at - 1] == '\r') << text;
    }
    // Only success gives friends an address.
    for (HostResult other : {HostResult::NotHeld, HostResult::Closed, HostResult::NotClosed, HostResult::NoRouter,
                             HostResult::NoExternalAddress, HostResult::NoPublicAddress, HostResult::Conflict,
                             HostResult::Refused})
        EXPECT_EQ(OutcomeText(outcome(other)).find("Friends join"), std::string::npos);
}

}  // namespace
