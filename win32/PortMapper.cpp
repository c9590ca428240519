// winsock2.h goes before windows.h.
#include <winsock2.h>

#include "win32/PortMapper.h"

#include <cstdlib>

#include <miniupnpc/miniupnpc.h>
#include <miniupnpc/miniwget.h>
#include <miniupnpc/upnpcommands.h>

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

const char* ProtocolName(Protocol protocol) { return NameOf(protocol); }

}  // namespace

struct PortMapper::Gateway : PortMappingActions {
    UPNPUrls urls{};
    IGDdatas data{};

    ~Gateway() override { FreeUPNPUrls(&urls); }

    int GetEntry(const std::string& port, Protocol protocol, MappingEntry& entry) override {
        char client[40] = {}, internalPort[8] = {}, description[96] = {}, enabled[8] = {}, lease[24] = {};
        const int code = UPNP_GetSpecificPortMappingEntry(urls.controlURL, data.first.servicetype, port.c_str(),
                                                          ProtocolName(protocol), nullptr, client, internalPort,
                                                          description, enabled, lease);
        if (code == UPNPCOMMAND_SUCCESS) entry = MappingEntry{client, internalPort, description};
        return code;
    }
    int Add(const std::string& port, Protocol protocol, const std::string& client, const std::string& description,
            unsigned leaseSeconds) override {
        return UPNP_AddPortMapping(urls.controlURL, data.first.servicetype, port.c_str(), port.c_str(), client.c_str(),
                                   description.c_str(), ProtocolName(protocol), nullptr,
                                   std::to_string(leaseSeconds).c_str());
    }
    int Delete(const std::string& port, Protocol protocol) override {
        return UPNP_DeletePortMapping(urls.controlURL, data.first.servicetype, port.c_str(), ProtocolName(protocol),
                                      nullptr);
    }
};

PortMapper::PortMapper() = default;

PortMapper::~PortMapper() {
    m_gateway.reset();
    if (m_socketsStarted) ::WSACleanup();
}

bool PortMapper::Discover(const std::atomic<bool>& cancel, unsigned timeoutMs, RouterInfo& router) {
    if (!m_socketsStarted) {
        WSADATA wsaData;
        if (::WSAStartup(MAKEWORD(2, 2), &wsaData) != 0) return false;
        m_socketsStarted = true;
    }
    m_gateway.reset();
    const ULONGLONG start = ::GetTickCount64();
    auto elapsed = [&] { return ::GetTickCount64() - start; };
    // A round may run past its time while answers keep coming: none starts that could end late.
    while (!cancel && elapsed() + 2 * kRoundMs <= timeoutMs) {
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
                m_router = RouterInfo{};
                m_router.lanAddress = lanAddress;
                int size = 0, status = 0;
                if (char* description = static_cast<char*>(miniwget(gateway->urls.rootdescURL, &size, 0, &status))) {
                    m_router.name = FriendlyNameOf(std::string(description, static_cast<size_t>(size)));
                    std::free(description);
                }
                char external[40] = {};
                if (UPNP_GetExternalIPAddress(gateway->urls.controlURL, gateway->data.first.servicetype, external) ==
                    UPNPCOMMAND_SUCCESS)
                    m_router.externalAddress = external;
                m_gateway = std::move(gateway);
                router = m_router;
                return true;
            }
        } else {
            freeUPNPDevlist(devices);
        }
        // A search that failed at once (no network) waits out its round, a little at a time.
        while (!cancel && ::GetTickCount64() - roundStart < static_cast<ULONGLONG>(kRoundMs)) ::Sleep(50);
    }
    return false;
}

HostOutcome PortMapper::Open(const std::string& port, const std::string& description) {
    if (!m_gateway) return NoRouterOutcome(port, std::string());
    return OpenPort(*m_gateway, m_router, port, description);
}

HostOutcome PortMapper::Close(const std::string& port) {
    if (!m_gateway) return NoRouterOutcome(port, std::string());
    return ClosePort(*m_gateway, m_router, port);
}
