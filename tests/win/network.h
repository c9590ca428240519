// The network tests' side of tests/net/router.sh: a home network of namespaces with a real UPnP
// router, which scripts/test.sh sets up around these tests (the test process, its wineserver and
// the program run in the PC's namespace).
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "harness.h"

namespace harness {

constexpr char kPcAddress[] = "192.168.77.10";
constexpr char kOtherPcAddress[] = "192.168.77.20";
constexpr char kRouterName[] = "Test Router";

// A Unix program run to its end. Wine starts Unix programs but gives no handle to wait on, so
// tests/net/call.sh leaves the output and the exit status in files of the run's state folder.
struct UnixRun {
    int status = -1;  // -1: it did not finish in time
    std::string output;
};
UnixRun RunUnix(const std::vector<std::string>& argv, DWORD timeoutMs = 60000);
// tests/net/router.sh with these arguments.
UnixRun RunRouterScript(const std::vector<std::string>& args, DWORD timeoutMs = 60000);

// Empty when this process runs as a network test of scripts/test.sh; otherwise why not.
std::string NetworkMissing();

// One line of miniupnpd's lease file: PROTO:EXTPORT:CLIENT:INTPORT:EXPIRY:DESCRIPTION.
struct Lease {
    std::string protocol;
    int externalPort = 0;
    std::string client;
    int internalPort = 0;
    std::string description;
    long long expiry = 0;  // when the lease ends (Unix time), 0 for none; not compared
    bool operator==(const Lease& other) const {
        return protocol == other.protocol && externalPort == other.externalPort && client == other.client &&
               internalPort == other.internalPort && description == other.description;
    }
};
// The time now as the lease file counts it (seconds since 1970, UTC).
long long UnixNow();
std::vector<Lease> ParseLeases(const std::string& text);
// For test messages: the lease as its line reads, without the expiry.
void PrintTo(const Lease& lease, std::ostream* out);

struct RouterSetup {
    std::string wan = "public";  // public, cgnat or private
    bool daemon = true;          // false: the router answers no search
    std::vector<std::string> rules;  // miniupnpd permission rules before the defaults
    // Options of tests/net/standin_router.py (one shell-quoted string): when set, the stand-in is
    // the router instead of miniupnpd (daemon is then ignored).
    std::string standin;
    // When set, a stand-in with these options runs in the second PC too, beside the router.
    std::string decoy;
    bool natpmp = false;  // miniupnpd speaks NAT-PMP and PCP as well
    std::string only;     // "pcp" or "natpmp": the other one's requests are dropped (implies natpmp)
    int minLifetime = 0, maxLifetime = 0;  // not 0: the PCP lifetimes it grants
};

// The router's side of the network (router, second PC, friend), made for one test.
class Router {
public:
    explicit Router(const RouterSetup& setup = {});
    ~Router();
    Router(const Router&) = delete;
    Router& operator=(const Router&) = delete;

    // Whether it came up; the script's report either way.
    bool Ok() const { return ok_; }
    const std::string& Report() const { return report_; }
    // The public address it reports in public mode: random per router.
    std::string ExternalAddress() const;
    std::string LeaseFile() const;
    // Its mappings, sorted by protocol and port.
    std::vector<Lease> Leases() const;
    // The forwarding rules miniupnpd put into nftables, as "forward <tcp|udp> <port> <address>"
    // and "dnat <tcp|udp> <port> <address>:<port>", sorted.
    std::vector<std::string> Rules() const;
    // The lines of miniupnpd's log (or the stand-in router's) that tell of a search or a request
    // from the address: what the router heard from it.
    std::vector<std::string> HeardFrom(const std::string& address) const;
    // The same of the decoy in the second PC.
    std::vector<std::string> DecoyHeardFrom(const std::string& address) const;
    // The stand-in router's port-mapping actions from the address, in the order heard, as
    // "GetExternalIPAddress" or "<action> <TCP|UDP> <port>" (e.g. "AddPortMapping UDP 2350").
    std::vector<std::string> Actions(const std::string& address = kPcAddress) const;
    // Everything of the router's state, for failure messages.
    std::string State() const;
    // A client that is not ours maps TCP and UDP of the port, with this description, to the PC it
    // runs on: the second PC (pc2) or this one (pc).
    bool MapFrom(const std::string& pc, int port, const std::string& description);
    // A friend on the WAN side sends to the router's WAN address: status 0 when a TCP and a UDP
    // echo from the PC came back.
    UnixRun FriendEcho(int port);
    // miniupnpd (or the stand-in) starts again having forgotten every mapping (its epoch starts at 0
    // again); or stops answering anything.
    bool Restart();
    bool Stop();

private:
    bool ok_ = false;
    std::string report_;
};

// The rules that forward TCP and UDP of the port to the address, as Router::Rules lists them.
std::vector<std::string> ForwardRules(int port, const std::string& address);

// The fixture of the tests that start the program against the router: skipped outside the test
// network; the program is started only when the guard finds every Wine process of the prefix in the
// PC's namespace (it sends from its wineserver's). Both families' games are installed.
class ProgramOnTheNetwork : public ::testing::Test {
protected:
    void SetUp() override;

    Sandbox sandbox;
};

constexpr char kLooking[] = "Looking for your router...";
constexpr DWORD kOutcomeMs = 30000;  // an Open or Close ends within 15 s

// Host for Friends against a router made per test: the program, the dialog and its outcomes.
class HostingOnTheNetwork : public ProgramOnTheNetwork {
protected:
    // A router of its own: the program and the router before go first.
    bool StartRouter(const RouterSetup& setup = {});
    // The dialog, opened from the system menu with the game chosen and the port typed into the main
    // window (not saved); the program is started when it does not run.
    HWND OpenDialog(int gameRadio, const std::string& port);
    void CloseDialog(HWND dialog);

    static std::string Result(HWND dialog);
    static bool Enabled(HWND dialog, int id);
    // Clicks Open Port or Close Port; the outcome (a result other than the search's, with the
    // buttons back) and how long it took from the click.
    struct Outcome {
        std::string text;
        ULONGLONG ms = 0;
    };
    static Outcome Act(HWND dialog, int button, DWORD timeoutMs = kOutcomeMs);

    std::unique_ptr<Router> router;
    std::unique_ptr<Toolkit> app;  // ends before the router goes
};

}  // namespace harness
