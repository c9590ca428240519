// Server addresses, the command line, join links and the hand-over to a running copy.
#include <gtest/gtest.h>

#include "core/command_line.h"
#include "core/game_selection.h"
#include "memory_registry.h"

namespace {

// --- HOST and PORT ------------------------------------------------------------------------------

TEST(ServerAddress, HostsAreIPv4AddressesOrDnsNames) {
    const std::string longLabel(63, 'a');
    const std::string longName = longLabel + "." + longLabel + "." + longLabel + "." + std::string(61, 'b');
    ASSERT_EQ(longName.size(), 253u);
    for (const std::string& good : std::vector<std::string>{"203.0.113.7", "0.0.0.0", "255.255.255.255", "localhost", "play.example.org",
                                   "A-1.Example-Games.NET", "x", "host7", "7host", "a.1", longName}) {
        EXPECT_TRUE(IsHost(good)) << good;
    }
    for (const std::string& bad : std::vector<std::string>{
             "", "256.1.1.1", "1.2.3", "1.2.3.4.5", "01.2.3.4", "1.2.3.04", "1..2.3", ".host", "host.", "a..b",
          "-server", "host-", "a.-b", "ho st", "ho_st", "host/x", "host:1", "[::1]", "::1", "fe80::1", "h\xc3\xa9.de",
          "%41", "\"host\"", std::string(64, 'a'), longName + "b", "1234", "1.2.3.4 "}) {
        EXPECT_FALSE(IsHost(bad)) << bad;
    }
}

TEST(ServerAddress, PortsAreOneTo65535WithoutSignOrLeadingZero) {
    for (const std::string good : {"1", "80", "2346", "27015", "65535"}) EXPECT_TRUE(IsPort(good)) << good;
    for (const std::string bad : {"", "0", "65536", "99999", "123456", "02346", "+2346", "-1", "23 46", "2346 ",
                                  "0x10", "１"}) {
        EXPECT_FALSE(IsPort(bad)) << bad;
    }
}

struct PasteCase {
    const char* text;
    const char* host;  // nullptr: pasted unchanged
    const char* port;
};

TEST(ServerAddress, PastedTextSplitsOnlyWhenItIsHostColonPort) {
    const PasteCase cases[] = {
        {"203.0.113.7:2346", "203.0.113.7", "2346"},
        {"  203.0.113.7:2346\r\n", "203.0.113.7", "2346"},
        {"\t\nplay.example.org:27015 \n", "play.example.org", "27015"},
        {"localhost:1", "localhost", "1"},
        {"203.0.113.7", nullptr, nullptr},          // no port
        {"203.0.113.7:", nullptr, nullptr},
        {":2346", nullptr, nullptr},
        {"203.0.113.7:123456", nullptr, nullptr},   // too long a port
        {"203.0.113.7:0", nullptr, nullptr},
        {"203.0.113.7:65536", nullptr, nullptr},
        {"203.0.113.7 : 2346", nullptr, nullptr},   // blanks inside
        {"203.0.113.7:2346 x", nullptr, nullptr},
        {"[2001:db8::1]:2346", nullptr, nullptr},   // IPv6
        {"2001:db8::1", nullptr, nullptr},
        {"203.0.113.7:2346\n198.51.100.1:1", nullptr, nullptr},
        {"connect 203.0.113.7:2346", nullptr, nullptr},
        {"http://203.0.113.7:2346", nullptr, nullptr},
        {"", nullptr, nullptr},
        {" \r\n", nullptr, nullptr},
    };
    for (const PasteCase& c : cases) {
        SCOPED_TRACE(c.text);
        auto split = SplitPastedServer(c.text);
        if (!c.host) {
            EXPECT_FALSE(split);
            continue;
        }
        ASSERT_TRUE(split);
        EXPECT_EQ(split->host, c.host);
        ASSERT_TRUE(split->port);
        EXPECT_EQ(*split->port, c.port);
    }
}

TEST(ServerAddress, ShareTextLeavesOutAnEmptyPort) {
    EXPECT_EQ(ShareText("192.0.2.2", "2346"), "192.0.2.2:2346");
    EXPECT_EQ(ShareText("192.0.2.2", ""), "192.0.2.2");
}

// --- Options ---------------------------------------------------------------------------------------

TEST(CommandLine, OptionsAndTheirMalformedForms) {
    struct Case {
        std::vector<std::string> args;
        RequestKind kind;
    };
    const Case cases[] = {
        {{}, RequestKind::Open},
        {{"--help"}, RequestKind::Help},
        {{"-h"}, RequestKind::Help},
        {{"/?"}, RequestKind::Help},
        {{"--register-links"}, RequestKind::RegisterLinks},
        {{"--unregister-links"}, RequestKind::UnregisterLinks},
        {{"--join", "ov", "203.0.113.7:2346"}, RequestKind::Join},
        {{"--join", "mh", "play.example.org"}, RequestKind::Join},
        {{"--help", "x"}, RequestKind::Malformed},
        {{"--register-links", "--unregister-links"}, RequestKind::Malformed},
        {{"--join"}, RequestKind::Malformed},
        {{"--join", "ov"}, RequestKind::Malformed},
        {{"--join", "ov", "203.0.113.7", "2346"}, RequestKind::Malformed},
        {{"--join", "OV", "203.0.113.7"}, RequestKind::Malformed},
        {{"--join", "xx", "203.0.113.7"}, RequestKind::Malformed},
        {{"--join", "ov", "-server"}, RequestKind::Malformed},
        {{"--join", "ov", "203.0.113.7:0"}, RequestKind::Malformed},
        {{"--join", "ov", "a b"}, RequestKind::Malformed},
        {{"--join", "ov", ""}, RequestKind::Malformed},
        {{"--JOIN", "ov", "203.0.113.7"}, RequestKind::Malformed},
        {{"203.0.113.7:2346"}, RequestKind::Malformed},
        {{""}, RequestKind::Malformed},
        {{"-join", "ov", "203.0.113.7"}, RequestKind::Malformed},
        {{"--write-machine-values", "Orvanta", "41.1.6200"}, RequestKind::WriteMachineValues},
        {{"--write-machine-values"}, RequestKind::WriteMachineValues},  // refused by the request itself
        {{"--write-machine-values", "Orvanta", "mhtoolkit://join/ov/x:1"}, RequestKind::WriteMachineValues},
        {{"--Write-Machine-Values", "Orvanta", "41.1.6200"}, RequestKind::Malformed},
        {{"--help", "--write-machine-values"}, RequestKind::Malformed},
    };
    for (const Case& c : cases) {
        std::string shown;
        for (const std::string& arg : c.args) shown += "[" + arg + "]";
        EXPECT_EQ(ParseArguments(c.args).kind, c.kind) << shown;
    }
}

TEST(CommandLine, JoinCarriesGameHostAndTheOptionalPort) {
    Request request = ParseArguments({"--join", "bm", "203.0.113.7:2346"});
    EXPECT_EQ(request.target, GameTarget::BM);
    EXPECT_EQ(request.server.host, "203.0.113.7");
    EXPECT_EQ(request.server.port, std::optional<std::string>("2346"));

    request = ParseArguments({"--join", "ov", "play.example.org"});
    EXPECT_EQ(request.target, GameTarget::OV);
    EXPECT_EQ(request.server.host, "play.example.org");
    EXPECT_FALSE(request.server.port);

    EXPECT_EQ(ParseArguments({"--join", "mh", "x:1"}).target, GameTarget::MH);
}

TEST(CommandLine, MachineValuesCarryTheFamilyAndTheDecodedPayloadOrNothing) {
    const Request request = ParseArguments({"--write-machine-values", "Mireholt", "41.1.6200-42.4.07000000"});
    EXPECT_EQ(request.kind, RequestKind::WriteMachineValues);
    EXPECT_EQ(request.family, GameFamily::Mireholt);
    EXPECT_EQ(request.values, (StoredValues{{"A", {1, std::string("b\0", 2)}}, {"B", {4, std::string("\7\0\0\0", 4)}}}));

    const std::vector<std::string> refused[] = {
        {"--write-machine-values"},
        {"--write-machine-values", "Orvanta"},
        {"--write-machine-values", "orvanta", "41.1.6200"},
        {"--write-machine-values", "Orvanta", "4e.1.zz"},
        {"--write-machine-values", "Orvanta", "4e.1.00", "extra"},
        {"--write-machine-values", "Haskett", "4e.1.00"},
        {"--write-machine-values", "Orvanta", ""},
    };
    for (const auto& args : refused) {
        const Request r = ParseArguments(args);
        EXPECT_EQ(r.kind, RequestKind::WriteMachineValues) << args.size();
        EXPECT_TRUE(r.values.empty()) << args.back();
    }
}

TEST(CommandLine, GameCodesAndNames) {
    for (const TargetInfo& info : AllTargets()) EXPECT_EQ(TargetOfCode(info.code), info.target);
    EXPECT_STREQ(InfoOf(GameTarget::OV).code, "ov");
    EXPECT_STREQ(InfoOf(GameTarget::BM).name, "Brightmoor");
    EXPECT_STREQ(InfoOf(GameTarget::MH).name, "Mireholt");
    EXPECT_FALSE(TargetOfCode("Ov"));
    EXPECT_FALSE(TargetOfCode(""));
}

TEST(CommandLine, UsageNamesEveryOption) {
    const std::string usage = UsageText("MHToolkit");
    for (const char* part : {"MHToolkit --join GAME HOST[:PORT]", "mhtoolkit://join/GAME/HOST[:PORT]",
                             "--register-links", "--unregister-links", "--help", "ov (Orvanta)", "bm (Brightmoor)",
                             "mh (Mireholt)"}) {
        EXPECT_NE(usage.find(part), std::string::npos) << part;
    }
}

// --- Links -----------------------------------------------------------------------------------------

TEST(Links, ValidLinksJoinWithTheirGameHostAndPort) {
    struct Case {
        const char* link;
        GameTarget target;
        const char* host;
        const char* port;  // nullptr: none
    };
    const Case cases[] = {
        {"mhtoolkit://join/ov/203.0.113.7:2346", GameTarget::OV, "203.0.113.7", "2346"},
        {"mhtoolkit://join/bm/play.example.org:27015", GameTarget::BM, "play.example.org", "27015"},
        {"mhtoolkit://join/mh/203.0.113.7", GameTarget::MH, "203.0.113.7", nullptr},
        {"mhtoolkit://join/mh/203.0.113.7:2346/", GameTarget::MH, "203.0.113.7", "2346"},  // as some shells pass it
        {"MHToolkit://join/ov/x:1", GameTarget::OV, "x", "1"},                             // schemes know no case
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.link);
        const Request request = ParseArguments({c.link});
        ASSERT_EQ(request.kind, RequestKind::Link);
        EXPECT_EQ(request.target, c.target);
        EXPECT_EQ(request.server.host, c.host);
        EXPECT_EQ(request.server.port, c.port ? std::optional<std::string>(c.port) : std::nullopt);
    }
}

TEST(Links, MalformedAndHostileLinksAreRefused) {
    const std::string base = "mhtoolkit://join/ov/";
    const std::string longHost = std::string(60, 'a') + "." + std::string(60, 'b') + "." + std::string(60, 'c') +
                                 "." + std::string(50, 'd');
    const std::string atLimit = base + longHost.substr(0, 255 - base.size() - 5) + ":2346";
    ASSERT_EQ(atLimit.size(), kMaxLinkLength);
    EXPECT_EQ(ParseArguments({atLimit}).kind, RequestKind::Link);
    const std::string overLimit = base + longHost.substr(0, 256 - base.size() - 5) + ":2346";

    const std::string hostile[] = {
        overLimit,
        "mhtoolkit://join/ov/203.0.113.7%3A2346",     // percent-escapes
        "mhtoolkit://join/ov/%32%30%33.0.113.7:2346",
        "mhtoolkit://join/ov/203.0.113.7:2346\"",     // quotes
        "mhtoolkit://join/ov/203.0.113.7\" --unregister-links \"",
        "mhtoolkit://join/ov/'203.0.113.7'",
        "mhtoolkit://join/ov/203.0.113.7 2346",       // blanks
        "mhtoolkit://join/ov/203.0.113.7:2346 ",
        " mhtoolkit://join/ov/203.0.113.7:2346",
        "mhtoolkit://join/ov/203.0.113.7:2346\t",
        "mhtoolkit://join/ov/-server:2346",           // an option where the host goes
        "mhtoolkit://join/ov/203.0.113.7:0",          // ports
        "mhtoolkit://join/ov/203.0.113.7:65536",
        "mhtoolkit://join/ov/203.0.113.7:+2346",
        "mhtoolkit://join/ov/203.0.113.7:02346",
        "mhtoolkit://join/ov/203.0.113.7:",
        "mhtoolkit://join/ov/[2001:db8::1]:2346",     // IPv6
        "mhtoolkit://join/ov/2001:db8::1",
        "mhtoolkit://join/ov/h\xc3\xa9.example:2346", // bytes beyond ASCII
        "mhtoolkit://join/ov/203.0.113.7:2346//",     // slashes and segments
        "mhtoolkit://join/ov/203.0.113.7/2346",
        "mhtoolkit://join/ov/203.0.113.7:2346/x",
        "mhtoolkit://join/ov//203.0.113.7",
        "mhtoolkit://join/ov/../203.0.113.7",
        "mhtoolkit://join/ov/",
        "mhtoolkit://join/ov",
        "mhtoolkit://join/xx/203.0.113.7",            // games
        "mhtoolkit://join/OV/203.0.113.7",
        "mhtoolkit://join//203.0.113.7",
        "mhtoolkit://JOIN/ov/203.0.113.7",            // the path is exact
        "mhtoolkit://host/ov/203.0.113.7",
        "mhtoolkit:join/ov/203.0.113.7",
        "mhtoolkit:/join/ov/203.0.113.7",
        "mhtoolkit://",
        "mhtoolkit:",
        "mhtoolkit://join/ov/user@203.0.113.7",       // other URL parts
        "mhtoolkit://join/ov/203.0.113.7?port=2346",
        "mhtoolkit://join/ov/203.0.113.7#2346",
        "mhtoolkit://join/ov/203.0.113.7\\x",
        "mhtoolkit://join/ov/203.0.113.7;calc",
        "mhtoolkit://join/ov/203.0.113.7&calc",
        "mhtoolkit://join/ov/203.0.113.7|calc",
        std::string("mhtoolkit://join/ov/203.0.113.7\0:2346", 37),
        "mhtoolkit://join/ov/203.0.113.7\r\n",
    };
    for (const std::string& link : hostile) {
        EXPECT_EQ(ParseArguments({link}).kind, RequestKind::BadLink) << link;
        EXPECT_FALSE(ParseLink(link)) << link;
    }
}

TEST(Links, ALinkMustBeTheOnlyArgument) {
    const std::string link = "mhtoolkit://join/ov/203.0.113.7:2346";
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {link, "--unregister-links"}, {"--register-links", link}, {"--join", "ov", link}, {link, ""},
             {"--help", " " + link}, {"x" + link}}) {
        EXPECT_EQ(ParseArguments(args).kind, RequestKind::BadLink);
    }
}

TEST(Links, TheQuestionNamesServerPortAndGame) {
    Request request = ParseArguments({"mhtoolkit://join/bm/203.0.113.7:2346"});
    EXPECT_EQ(LinkQuestion(request, "1111"), "Join 203.0.113.7:2346 with Brightmoor?");
    request = ParseArguments({"mhtoolkit://join/ov/play.example.org"});
    EXPECT_EQ(LinkQuestion(request, "1111"), "Join play.example.org:1111 with Orvanta?");
    EXPECT_EQ(LinkQuestion(request, ""), "Join play.example.org with Orvanta?");
    request = ParseArguments({"mhtoolkit://join/mh/x:7"});
    EXPECT_EQ(LinkQuestion(request, ""), "Join x:7 with Mireholt?");
}

// --- Hand-over -------------------------------------------------------------------------------------

TEST(HandOver, ArgumentsSurvivePackingAndBrokenPacketsAreRefused) {
    const std::vector<std::string> args = {"--join", "ov", "203.0.113.7:2346"};
    const std::string packed = PackArguments(args);
    EXPECT_EQ(packed, std::string("--join") + '\0' + "ov" + '\0' + "203.0.113.7:2346" + '\0');
    EXPECT_EQ(UnpackArguments(packed), args);
    EXPECT_EQ(UnpackArguments(PackArguments({"mhtoolkit://join/mh/x", ""})),
              (std::vector<std::string>{"mhtoolkit://join/mh/x", ""}));
    EXPECT_EQ(UnpackArguments(""), std::vector<std::string>{});

    EXPECT_FALSE(UnpackArguments(std::string("--join\0ov", 9)));  // the last argument unended
    EXPECT_FALSE(UnpackArguments(std::string(kMaxPackedBytes + 1, '\0')));
    EXPECT_TRUE(UnpackArguments(std::string(kMaxPackedBytes, '\0')));
}

// --- Selecting a target as its radio does ------------------------------------------------------------

TEST(Selection, SelectTargetLeavesTheIndicesOfThatRadio) {
    MemoryRegistry registry;
    SettingsStore store(registry);
    GameSelection selection(store);
    for (GameTarget target : {GameTarget::BM, GameTarget::OV, GameTarget::MH, GameTarget::BM}) {
        selection.SelectTarget(target);
        EXPECT_EQ(selection.LaunchTarget(), target);
        EXPECT_EQ(selection.Family(), InfoOf(target).family);
        EXPECT_EQ(selection.EditorGateFailure(), std::nullopt);
    }
    selection.SelectTarget(GameTarget::OV);
    EXPECT_EQ(selection.m_nBMRadio, -1);
    EXPECT_EQ(selection.m_nOVRadio, 0);
    EXPECT_EQ(selection.m_nMHRadio, -1);
    selection.SelectTarget(GameTarget::BM);
    EXPECT_EQ(selection.m_nBMRadio, 0);
    EXPECT_EQ(selection.m_nOVRadio, 1);
    EXPECT_EQ(selection.m_nMHRadio, -1);
    selection.SelectTarget(GameTarget::MH);
    EXPECT_EQ(selection.m_nBMRadio, 1);
    EXPECT_EQ(selection.m_nOVRadio, 2);
    EXPECT_EQ(selection.m_nMHRadio, 0);
}

}  // namespace
