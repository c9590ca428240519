#include "win32/RouterSockets.h"  // winsock2.h before windows.h

#include "win32/PortMapper.h"

#include <cstdlib>
#include <memory>
#include <vector>

#include <miniupnpc/miniupnpc.h>
#include <miniupnpc/miniwget.h>
#include <miniupnpc/upnpcommands.h>

#include "core/address_kinds.h"
#include "core/lease_mapping.h"
#include "win32/AdapterAddresses.h"
#include "win32/LeaseRouters.h"
#include "win32/LocalAddress.h"

namespace {

// What the search asks for: the gateway device and its two kinds of connection service. A router of
// a later version answers for these too.
const char* const kSearchTypes[] = {
    "urn:schemas-upnp-org:device:InternetGatewayDevice:1",
    "urn:schemas-upnp-org:service:WANIPConnection:1",
    "urn:schemas-upnp-org:service:WANPPPConnection:1",
    nullptr,
};
// A round: the search goes out, and answers are taken for this long (the library's shortest, and
// the longest a device may wait before it answers: MX 1).
constexpr int kRoundMs = 1000;
// The multicast's reach: the LAN and one router beyond, as UPnP asks.
constexpr unsigned char kSearchTtl = 2;

unsigned long long Now() { return ::GetTickCount64(); }

// A UPnP router's WANIPConnection service: its control URL and service type.
class Gateway : public PortMappingActions {
public:
    Gateway(std::string control, std::string service) : control_(std::move(control)), service_(std::move(service)) {}

    int GetEntry(const std::string& port, Protocol protocol, MappingEntry& entry) override {
        // The library's sizes: an address, a port, a description of 80 characters.
        char client[40] = {}, internalPort[8] = {}, description[96] = {}, enabled[8] = {}, lease[24] = {};
        const int code = UPNP_GetSpecificPortMappingEntry(control_.c_str(), service_.c_str(), port.c_str(),
                                                          NameOf(protocol), nullptr, client, internalPort,
                                                          description, enabled, lease);
        if (code == UPNPCOMMAND_SUCCESS)
            entry = MappingEntry{client, internalPort, description, static_cast<unsigned>(std::strtoul(lease, nullptr, 10))};
        return code;
    }
    int Add(const std::string& port, Protocol protocol, const std::string& client, const std::string& description,
            unsigned leaseSeconds) override {
        return UPNP_AddPortMapping(control_.c_str(), service_.c_str(), port.c_str(), port.c_str(), client.c_str(),
                                   description.c_str(), NameOf(protocol), nullptr,
                                   std::to_string(leaseSeconds).c_str());
    }
    int Delete(const std::string& port, Protocol protocol) override {
        return UPNP_DeletePortMapping(control_.c_str(), service_.c_str(), port.c_str(), NameOf(protocol), nullptr);
    }
    // Asks for the router's internet address again, into `router`.
    void AskExternal(RouterInfo& router) {
        char external[40] = {};
        const int code = UPNP_GetExternalIPAddress(control_.c_str(), service_.c_str(), external);
        router.externalAddress = code == UPNPCOMMAND_SUCCESS ? external : "";
        router.externalError = code == UPNPCOMMAND_SUCCESS ? 0 : code;
    }

private:
    std::string control_, service_;
};

// Windows Sockets for as long as the object lives.
class Sockets {
public:
    Sockets() {
        WSADATA data;
        started_ = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~Sockets() {
        if (started_) ::WSACleanup();
    }
    bool Started() const { return started_; }

private:
    bool started_ = false;
};

// Searches in rounds until a router answers, `cancel` is set or the search's time is up; the
// router found, with what it says of itself, or null.
std::unique_ptr<Gateway> Discover(const std::atomic<bool>& cancel, RouterInfo& router) {
    const unsigned long long start = Now();
    auto elapsed = [&] { return Now() - start; };
    bool answered = false;  // some device answered: it may be slow to describe itself
    // A round may run past its time while answers keep coming: none starts that could end late.
    while (!cancel && elapsed() + 2 * kRoundMs <= kSearchMs && (answered || elapsed() + kRoundMs <= kQuietSearchMs)) {
        const unsigned long long roundStart = Now();
        int error = 0;
        UPNPDev* devices = upnpDiscoverDevices(kSearchTypes, kRoundMs, nullptr, nullptr, UPNP_LOCAL_PORT_ANY, 0,
                                               kSearchTtl, &error, 1);
        answered = answered || devices;
        if (devices && !cancel) {
            UPNPUrls urls{};
            IGDdatas data{};
            char lanAddress[64] = {};
            // 1: a connected gateway with a public address; 2: a gateway without (still the router
            // to talk to); 3: only devices that are no gateway (a media server, say).
            const int found = UPNP_GetValidIGD(devices, &urls, &data, lanAddress, sizeof lanAddress);
            freeUPNPDevlist(devices);
            if (found == 1 || found == 2) {
                auto gateway = std::make_unique<Gateway>(urls.controlURL, data.first.servicetype);
                router = RouterInfo{};
                router.lanAddress = lanAddress;
                router.controlUrl = urls.controlURL;
                router.serviceType = data.first.servicetype;
                int size = 0, status = 0;
                if (char* description = static_cast<char*>(miniwget(urls.rootdescURL, &size, 0, &status))) {
                    router.name = FriendlyNameOf(std::string(description, static_cast<size_t>(size)));
                    std::free(description);
                }
                FreeUPNPUrls(&urls);
                gateway->AskExternal(router);
                return gateway;
            }
            if (found != 0) FreeUPNPUrls(&urls);
        } else {
            freeUPNPDevlist(devices);
        }
        // A search that failed at once (no network) waits out its round, a little at a time.
        while (!cancel && Now() - roundStart < static_cast<unsigned long long>(kRoundMs)) ::Sleep(50);
    }
    return nullptr;
}

// The UPnP search on a thread of its own, beside the PCP and NAT-PMP requests. Each side holds a
// reference; the search ends soon after `cancel` is set, and nobody waits for it.
struct Search {
    std::atomic<bool> cancel{false};
    HANDLE done = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    unsigned limitMs = kHostActionMs;
    std::unique_ptr<Gateway> gateway;  // read once `done` is set
    RouterInfo router;
    LONG references = 2;

    void Release() {
        if (::InterlockedDecrement(&references) == 0) {
            if (done) ::CloseHandle(done);
            delete this;
        }
    }
    bool Finished() const { return !done || ::WaitForSingleObject(done, 0) == WAIT_OBJECT_0; }

    static DWORD WINAPI Run(LPVOID parameter) {
        auto* search = static_cast<Search*>(parameter);
        {
            Sockets sockets;
            RouterExchange exchange(search->limitMs);
            exchange.Watch(&search->cancel);
            if (sockets.Started()) search->gateway = Discover(search->cancel, search->router);
        }
        ::SetEvent(search->done);
        search->Release();
        return 0;
    }
};

// This PC's address to forward to by hand, when no router answered: loopback or link-local is none
// (the text then points to Your Addresses).
std::string AddressForHand() {
    std::string address = DefaultRouteAddress();
    if (address.empty()) address = LookUpLocalIP();
    if (KindOfAddress(address) == AddressKind::Reserved || KindOfAddress(address) == AddressKind::NotAnAddress)
        address.clear();
    return address;
}

RouterInfo LeaseRouterInfo(const LeaseRouter& router, const std::string& gateway) {
    RouterInfo info;
    info.gateway = gateway;
    info.lanAddress = router.LocalAddress();
    info.externalAddress = router.probeAddress;
    return info;
}

HostOutcome Act(HostAction action, LeaseRouter& router, const RouterInfo& info, const std::string& port) {
    if (action == HostAction::Close) return CloseLease(router, info, port);
    if (router.Kind() == MappingProtocol::NATPMP && router.probeCode != 0 && info.externalAddress.empty()) {
        // It speaks NAT-PMP and has no internet address to give (result 3): nothing is asked.
        HostOutcome outcome;
        outcome.result = HostResult::NoPublicAddress;
        outcome.port = port;
        outcome.router = info;
        outcome.via = MappingProtocol::NATPMP;
        return outcome;
    }
    return OpenLease(router, info, port);
}

HostOutcome Act(HostAction action, Gateway& gateway, const RouterInfo& info, const std::string& port,
                const std::string& description) {
    HostOutcome outcome =
        action == HostAction::Close ? ClosePort(gateway, info, port) : OpenPort(gateway, info, port, description);
    outcome.via = MappingProtocol::UPnP;
    return outcome;
}

// Whether an outcome ends the search for a protocol that maps: a port opened or closed, or an
// internet address that no protocol can change.
bool Final(const HostOutcome& outcome) {
    return outcome.result == HostResult::Opened || outcome.result == HostResult::Closed ||
           (outcome.result == HostResult::NoPublicAddress && !outcome.router.externalAddress.empty());
}

// The router and protocol that made `held`, asked again.
HostOutcome RunHeld(HostAction action, const std::string& port, const std::string& description,
                    const HostOutcome& held, unsigned long long deadline, const std::atomic<bool>& cancel) {
    RouterInfo info = held.router;
    if (held.via == MappingProtocol::UPnP) {
        Gateway gateway(info.controlUrl, info.serviceType);
        if (action == HostAction::Open) gateway.AskExternal(info);
        return Act(action, gateway, info, port, description);
    }
    std::unique_ptr<LeaseRouter> router = held.via == MappingProtocol::PCP
                                              ? MakePcpRouter(info.gateway, deadline, cancel)
                                              : MakeNatPmpRouter(info.gateway, deadline, cancel);
    if (!router) return NoRouterOutcome(port, info.lanAddress, action == HostAction::Close);
    return Act(action, *router, info, port);
}

}  // namespace

HostOutcome RunHostAction(HostAction action, const std::string& port, const std::string& description,
                          const std::atomic<bool>& cancel, const HostOutcome* held, unsigned limitMs) {
    const bool closing = action == HostAction::Close;
    const unsigned long long start = Now(), deadline = start + limitMs;
    RouterExchange exchange(limitMs);
    Sockets sockets;
    if (!sockets.Started()) return NoRouterOutcome(port, std::string(), closing);
    if (held) return RunHeld(action, port, description, *held, deadline, cancel);

    // The three protocols' first requests, at the same moment.
    auto* search = new Search;
    search->limitMs = limitMs;
    if (HANDLE thread = ::CreateThread(nullptr, 0, Search::Run, search, 0, nullptr)) {
        ::CloseHandle(thread);
    } else {
        ::SetEvent(search->done);
        search->Release();
    }
    const std::string gateway = DefaultGateway();
    std::unique_ptr<LeaseRouter> leases[2];  // PCP, NAT-PMP
    Speaks speaks[2] = {Speaks::No, Speaks::No};
    unsigned long long natPmpAt = 0;
    if (!gateway.empty()) {
        leases[0] = MakePcpRouter(gateway, deadline, cancel);
        leases[1] = MakeNatPmpRouter(gateway, deadline, cancel);
        for (int i = 0; i < 2; ++i)
            if (leases[i]) {
                leases[i]->SendProbe();
                speaks[i] = Speaks::NotYet;
            }
    }
    // Until PCP answers, or NAT-PMP has and PCP had its grace, or the UPnP search ended.
    for (;;) {
        if (cancel) search->cancel = true;
        for (int i = 0; i < 2; ++i)
            if (speaks[i] == Speaks::NotYet) speaks[i] = leases[i]->PollProbe();
        if (speaks[1] == Speaks::Yes && !natPmpAt) natPmpAt = Now();
        if (speaks[0] == Speaks::Yes) break;
        if (speaks[1] == Speaks::Yes && (speaks[0] == Speaks::No || Now() - natPmpAt >= kPcpGraceMs)) break;
        if (search->Finished() || Now() >= deadline || cancel) break;
        fd_set readable;
        FD_ZERO(&readable);
        for (int i = 0; i < 2; ++i)
            if (speaks[i] == Speaks::NotYet) FD_SET(leases[i]->Socket(), &readable);
        timeval step{0, 20 * 1000};
        if (readable.fd_count)
            ::select(0, &readable, nullptr, nullptr, &step);
        else
            ::Sleep(20);
    }

    // Each protocol that answered, in the order preferred; UPnP once its search has ended.
    std::vector<HostOutcome> outcomes;
    for (int i = 0; i < 2 && !cancel; ++i) {
        if (speaks[i] != Speaks::Yes) continue;
        outcomes.push_back(Act(action, *leases[i], LeaseRouterInfo(*leases[i], gateway), port));
        if (Final(outcomes.back()) && !closing) break;
    }
    const bool done = !outcomes.empty() && Final(outcomes.front()) && !closing;
    if (!done && !cancel) {
        while (!search->Finished() && Now() < deadline) {
            if (cancel) search->cancel = true;
            ::Sleep(20);
        }
        if (search->Finished() && search->gateway)
            outcomes.push_back(Act(action, *search->gateway, search->router, port, description));
    }
    search->cancel = true;
    search->Release();

    if (outcomes.empty()) return NoRouterOutcome(port, AddressForHand(), closing);
    // The first protocol's word, unless a later one did what was asked or told why it cannot.
    for (const HostOutcome& outcome : outcomes)
        if (Final(outcome)) return outcome;
    return outcomes.front();
}
