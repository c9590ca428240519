#include "network.h"

#include "host_friends_ids.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "harness.h"

namespace harness {

namespace {

std::string Environment(const char* name) {
    char value[1024] = {};
    const DWORD n = ::GetEnvironmentVariableA(name, value, sizeof value);
    return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// The run's state folder (Unix path) and a file in it as a Windows path.
std::string StateDir() { return Environment("MHT_NET_STATE"); }
std::string StateFile(const std::string& name) { return DosPath(StateDir() + "/" + name); }

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

}  // namespace

UnixRun RunUnix(const std::vector<std::string>& argv, DWORD timeoutMs) {
    static int calls = 0;
    const std::string result =
        StateDir() + "/call-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++calls);
    const std::string status = DosPath(result + ".status"), output = DosPath(result + ".out");
    ::DeleteFileA(status.c_str());
    ::DeleteFileA(output.c_str());
    // Windows quoting, which Wine undoes for the Unix program; our arguments hold no quotes.
    std::string commandLine = "/bin/bash \"" + SourceUnixPath("tests/net/call.sh") + "\" \"" + result + "\"";
    for (const std::string& arg : argv) commandLine += " \"" + arg + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    UnixRun run;
    if (!::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        run.output = "cannot start " + commandLine;
        return run;
    }
    if (pi.hThread) ::CloseHandle(pi.hThread);
    if (pi.hProcess) ::CloseHandle(pi.hProcess);
    std::string code;
    WaitFor([&] {
        code = ReadFile(status);
        return !code.empty() && code.back() == '\n';
    }, timeoutMs);
    run.output = ReadFile(output);
    if (!code.empty() && code.back() == '\n') run.status = std::atoi(code.c_str());
    ::DeleteFileA(status.c_str());
    ::DeleteFileA(output.c_str());
    return run;
}

UnixRun RunRouterScript(const std::vector<std::string>& args, DWORD timeoutMs) {
    std::vector<std::string> argv{"/bin/bash", SourceUnixPath("tests/net/router.sh")};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunUnix(argv, timeoutMs);
}

std::string NetworkMissing() {
    if (Environment("MHT_NET_TAG").empty() || StateDir().empty())
        return "the network tests run only from scripts/test.sh, inside the namespaces it makes";
    return std::string();
}

std::vector<Lease> ParseLeases(const std::string& text) {
    std::vector<Lease> leases;
    for (const std::string& line : Lines(text)) {
        std::vector<std::string> fields;
        size_t start = 0;
        while (fields.size() < 5) {  // the description, last, may hold colons
            const size_t colon = line.find(':', start);
            if (colon == std::string::npos) break;
            fields.push_back(line.substr(start, colon - start));
            start = colon + 1;
        }
        if (fields.size() < 5) continue;
        leases.push_back(Lease{fields[0], std::atoi(fields[1].c_str()), fields[2], std::atoi(fields[3].c_str()),
                               line.substr(start), std::atoll(fields[4].c_str())});
    }
    return leases;
}

long long UnixNow() {
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    const unsigned long long ticks = (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return static_cast<long long>(ticks / 10000000ULL) - 11644473600LL;  // from 1601 to 1970
}

void PrintTo(const Lease& lease, std::ostream* out) {
    *out << lease.protocol << ":" << lease.externalPort << ":" << lease.client << ":" << lease.internalPort << ":"
         << lease.description;
}

Router::Router(const RouterSetup& setup) {
    std::vector<std::string> args{"up", "--wan", setup.wan};
    if (!setup.daemon) args.push_back("--no-daemon");
    for (const std::string& rule : setup.rules) {
        args.push_back("--rule");
        args.push_back(rule);
    }
    if (!setup.standin.empty()) args.insert(args.end(), {"--standin", setup.standin});
    if (!setup.decoy.empty()) args.insert(args.end(), {"--decoy", setup.decoy});
    if (setup.natpmp) args.push_back("--natpmp");
    if (!setup.only.empty()) args.insert(args.end(), {"--only", setup.only});
    if (setup.maxLifetime)
        args.insert(args.end(), {"--lifetime", std::to_string(setup.minLifetime), std::to_string(setup.maxLifetime)});
    const UnixRun up = RunRouterScript(args);
    ok_ = up.status == 0;
    report_ = up.output;
}

Router::~Router() { RunRouterScript({"down"}); }

std::string Router::ExternalAddress() const {
    std::string address = ReadFile(StateFile("ext_ip"));
    while (!address.empty() && (address.back() == '\n' || address.back() == '\r')) address.pop_back();
    return address;
}

std::string Router::LeaseFile() const { return ReadFile(StateFile("upnp.leases")); }

std::vector<Lease> Router::Leases() const {
    std::vector<Lease> leases = ParseLeases(LeaseFile());
    std::sort(leases.begin(), leases.end(), [](const Lease& a, const Lease& b) {
        return a.protocol != b.protocol ? a.protocol < b.protocol : a.externalPort < b.externalPort;
    });
    return leases;
}

std::vector<std::string> Router::Rules() const {
    const UnixRun nft = RunRouterScript({"nft"});
    std::vector<std::string> rules;
    for (const std::string& line : Lines(nft.output)) {
        if (line == "--- nft") break;
        rules.push_back(line);
    }
    if (nft.status != 0) rules.push_back("<router.sh nft failed: " + nft.output + ">");
    std::sort(rules.begin(), rules.end());
    return rules;
}

namespace {

// The lines of a log in the state folder that tell of something heard from the address.
std::vector<std::string> LinesFrom(const std::string& log, const std::string& address) {
    std::vector<std::string> heard;
    for (const std::string& line : Lines(ReadFile(StateFile(log))))
        if (line.find(" from " + address + ":") != std::string::npos) heard.push_back(line);
    return heard;
}

}  // namespace

std::vector<std::string> Router::HeardFrom(const std::string& address) const {
    return LinesFrom("miniupnpd.log", address);
}

std::vector<std::string> Router::DecoyHeardFrom(const std::string& address) const {
    return LinesFrom("decoy.log", address);
}

std::vector<std::string> Router::Actions(const std::string& address) const {
    // standin: ACTION <what> from <address>:<port> reply=<reply>
    const std::string prefix = "standin: ACTION ", from = " from " + address + ":";
    std::vector<std::string> actions;
    for (const std::string& line : HeardFrom(address)) {
        const size_t at = line.find(from);
        if (line.rfind(prefix, 0) == 0 && at != std::string::npos)
            actions.push_back(line.substr(prefix.size(), at - prefix.size()));
    }
    return actions;
}

std::string Router::State() const {
    std::string state = "lease file:\n" + LeaseFile() + "nft:\n" + RunRouterScript({"nft"}).output +
                        "router log (tail):\n" +
                        RunUnix({"/usr/bin/tail", "-n", "20", StateDir() + "/miniupnpd.log"}).output;
    const std::string decoy = ReadFile(StateFile("decoy.log"));
    if (!decoy.empty()) state += "decoy log (tail):\n" + RunUnix({"/usr/bin/tail", "-n", "10", StateDir() + "/decoy.log"}).output;
    return state;
}

bool Router::MapFrom(const std::string& pc, int port, const std::string& description) {
    return RunRouterScript({"map", pc, std::to_string(port), description, "TCP", "UDP"}).status == 0;
}

UnixRun Router::FriendEcho(int port) { return RunRouterScript({"echo", std::to_string(port)}); }

bool Router::Restart() {
    const UnixRun restart = RunRouterScript({"restart"});
    EXPECT_EQ(restart.status, 0) << restart.output;
    return restart.status == 0;
}

bool Router::Stop() {
    const UnixRun stop = RunRouterScript({"stop"});
    EXPECT_EQ(stop.status, 0) << stop.output;
    return stop.status == 0;
}

std::vector<std::string> ForwardRules(int port, const std::string& address) {
    const std::string p = std::to_string(port);
    std::vector<std::string> rules{"dnat tcp " + p + " " + address + ":" + p, "dnat udp " + p + " " + address + ":" + p,
                                   "forward tcp " + p + " " + address, "forward udp " + p + " " + address};
    std::sort(rules.begin(), rules.end());
    return rules;
}

void ProgramOnTheNetwork::SetUp() {
    const std::string missing = NetworkMissing();
    if (!missing.empty()) GTEST_SKIP() << missing;
    const UnixRun guard = RunRouterScript({"guard", "--session"});
    ASSERT_EQ(guard.status, 0) << "the program is not started: " << guard.output;
    sandbox.InstallGame(GameFamily::Orvanta);
    sandbox.InstallGame(GameFamily::Mireholt);
}

bool HostingOnTheNetwork::StartRouter(const RouterSetup& setup) {
    app.reset();
    router.reset();
    router = std::make_unique<Router>(setup);
    EXPECT_TRUE(router->Ok()) << router->Report();
    return router->Ok();
}

HWND HostingOnTheNetwork::OpenDialog(int gameRadio, const std::string& port) {
    if (!app) app = std::make_unique<Toolkit>(sandbox.work);
    return app->Main() ? OpenHostForFriends(*app, gameRadio, port) : nullptr;
}

void HostingOnTheNetwork::CloseDialog(HWND dialog) {
    Click(Item(dialog, IDCANCEL));
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(dialog); }));
}

std::string HostingOnTheNetwork::Result(HWND dialog) { return Text(Item(dialog, IDC_HOST_RESULT)); }

bool HostingOnTheNetwork::Enabled(HWND dialog, int id) { return ::IsWindowEnabled(Item(dialog, id)); }

HostingOnTheNetwork::Outcome HostingOnTheNetwork::Act(HWND dialog, int button, DWORD timeoutMs) {
    SetText(Item(dialog, IDC_HOST_RESULT), "");
    const ULONGLONG start = ::GetTickCount64();
    Click(Item(dialog, button));
    Outcome outcome;
    WaitFor([&] {
        outcome.text = Result(dialog);
        return !outcome.text.empty() && outcome.text != kLooking && Enabled(dialog, IDC_HOST_OPEN);
    }, timeoutMs);
    outcome.ms = ::GetTickCount64() - start;
    return outcome;
}

}  // namespace harness
