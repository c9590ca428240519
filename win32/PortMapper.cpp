#include "win32/RouterSockets.h"  // winsock2.h before windows.h

#include "win32/PortMapper.h"

#include <cstdlib>
#include <memory>

#include <miniupnpc/miniupnpc.h>
#include <miniupnpc/miniwget.h>
#include <miniupnpc/upnpcommands.h>

#include "core/address_kinds.h"
#include "win32/AdapterAddresses.h"
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

class Gateway : public PortMappingActions {
public:
    ~Gateway() override { FreeUPNPUrls(&urls); }

    int GetEntry(const std::string& port, Protocol protocol, MappingEntry& entry) override {
        // The library's sizes: an address, a port, a description of 80 characters.
        char client[40] = {}, internalPort[8] = {}, description[96] = {}, enabled[8] = {}, lease[24] = {};
        const int code = UPNP_GetSpecificPortMappingEntry(urls.controlURL, data.first.servicetype, port.c_str(),
                                                          NameOf(protocol), nullptr, client, internalPort,
                                                          description, enabled, lease);
        if (code == UPNPCOMMAND_SUCCESS) entry = MappingEntry{client, internalPort, description};
        return code;
    }
    int Add(const std::string& port, Protocol protocol, const std::string& client, const std::string& description,
            unsigned leaseSeconds) override {
        return UPNP_AddPortMapping(urls.controlURL, data.first.servicetype, port.c_str(), port.c_str(), client.c_str(),
                                   description.c_str(), NameOf(protocol), nullptr,
                                   std::to_string(leaseSeconds).c_str());
    }
    int Delete(const std::string& port, Protocol protocol) override {
        return UPNP_DeletePortMapping(urls.controlURL, data.first.servicetype, port.c_str(), NameOf(protocol), nullptr);
    }

    UPNPUrls urls{};
    IGDdatas data{};
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
    const ULONGLONG start = ::GetTickCount64();
    auto elapsed = [&] { return ::GetTickCount64() - start; };
    // A round may run past its time while answers keep coming: none starts that could end late.
    while (!cancel && elapsed() + 2 * kRoundMs <= kSearchMs) {
        const ULONGLONG roundStart = ::GetTickCount64();
        int error = 0;
        UPNPDev* devices = upnpDiscoverDevices(kSearchTypes, kRoundMs, nullptr, nullptr, UPNP_LOCAL_PORT_ANY, 0,
                                               kSearchTtl, &error, 1);
        if (devices && !cancel) {
            auto gateway = std::make_unique<Gateway>();
            char lanAddress[64] = {};
            // 1: a connected gateway with a public address; 2: a gateway without (still the router
            // to talk to); 3: only devices that are no gateway (a media server, say).
            const int found = UPNP_GetValidIGD(devices, &gateway->urls, &gateway->data, lanAddress, sizeof lanAddress);
            freeUPNPDevlist(devices);
            if (found == 1 || found == 2) {
                router = RouterInfo{};
                router.lanAddress = lanAddress;
                int size = 0, status = 0;
                if (char* description = static_cast<char*>(miniwget(gateway->urls.rootdescURL, &size, 0, &status))) {
                    router.name = FriendlyNameOf(std::string(description, static_cast<size_t>(size)));
                    std::free(description);
                }
                char external[40] = {};
                const int code =
                    UPNP_GetExternalIPAddress(gateway->urls.controlURL, gateway->data.first.servicetype, external);
                if (code == UPNPCOMMAND_SUCCESS)
                    router.externalAddress = external;
                else
                    router.externalError = code;
                return gateway;
            }
        } else {
            freeUPNPDevlist(devices);
        }
        // A search that failed at once (no network) waits out its round, a little at a time.
        while (!cancel && ::GetTickCount64() - roundStart < static_cast<ULONGLONG>(kRoundMs)) ::Sleep(50);
    }
    return nullptr;
}

}  // namespace

HostOutcome RunHostAction(HostAction action, const std::string& port, const std::string& description,
                          const std::atomic<bool>& cancel) {
    const bool closing = action == HostAction::Close;
    RouterExchange exchange(kHostActionMs);
    Sockets sockets;
    std::unique_ptr<Gateway> gateway;
    RouterInfo router;
    if (sockets.Started()) {
        exchange.Watch(&cancel);
        gateway = Discover(cancel, router);
        exchange.Watch(nullptr);
    }
    if (!gateway) {
        // Forwarding by hand needs this PC's address on the LAN, found without the router; loopback
        // or link-local is none (the text then points to Your Addresses).
        std::string address = DefaultRouteAddress();
        if (address.empty()) address = LookUpLocalIP();
        if (KindOfAddress(address) == AddressKind::Reserved || KindOfAddress(address) == AddressKind::NotAnAddress)
            address.clear();
        return NoRouterOutcome(port, address, closing);
    }
    return closing ? ClosePort(*gateway, router, port) : OpenPort(*gateway, router, port, description);
}
