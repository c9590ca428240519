// winsock2.h goes before windows.h.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>

#include "win32/AdapterAddresses.h"
#include "win32/SystemLibrary.h"

#include <string>

std::vector<AdapterAddress> UpAdapterAddresses() {
    std::vector<AdapterAddress> found;
    // The IP helper is loaded when the list is asked for: linked, it would load at every start.
    decltype(&::GetAdaptersAddresses) getAdaptersAddresses;
    if (!SystemLibrary("iphlpapi.dll").Find("GetAdaptersAddresses", &getAdaptersAddresses)) return found;
    const ULONG flags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
    ULONG size = 16 * 1024;
    std::vector<unsigned char> buffer;
    ULONG result = ERROR_BUFFER_OVERFLOW;
    // The list may grow between the size query and the read: try a few times.
    for (int attempt = 0; attempt < 4 && result == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer.resize(size);
        result = getAdaptersAddresses(AF_INET, flags, nullptr,
                                      reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
    }
    if (result != NO_ERROR) return found;
    for (auto* adapter = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()); adapter; adapter = adapter->Next) {
        if (adapter->OperStatus != IfOperStatusUp || adapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK) continue;
        for (auto* unicast = adapter->FirstUnicastAddress; unicast; unicast = unicast->Next) {
            const sockaddr* address = unicast->Address.lpSockaddr;
            if (!address || address->sa_family != AF_INET) continue;
            const auto* bytes =
                reinterpret_cast<const unsigned char*>(&reinterpret_cast<const sockaddr_in*>(address)->sin_addr);
            if (bytes[0] == 127) continue;
            // Dotted by hand: the C library's formatter would add 20 KB to the program.
            const std::string dotted = std::to_string(bytes[0]) + '.' + std::to_string(bytes[1]) + '.' +
                                       std::to_string(bytes[2]) + '.' + std::to_string(bytes[3]);
            found.push_back(AdapterAddress{adapter->FriendlyName ? adapter->FriendlyName : L"", dotted, adapter->IfIndex});
        }
    }
    return found;
}

std::string DefaultRouteAddress() {
    decltype(&::GetBestInterface) getBestInterface;
    if (!SystemLibrary("iphlpapi.dll").Find("GetBestInterface", &getBestInterface)) return std::string();
    // Any address on the internet will do (1.1.1.1, the same in either byte order).
    const IPAddr anywhere = 0x01010101;
    DWORD index = 0;
    if (getBestInterface(anywhere, &index) != NO_ERROR) return std::string();
    for (const AdapterAddress& address : UpAdapterAddresses())
        if (address.index == index) return address.address;
    return std::string();
}

std::string DefaultGateway() {
    decltype(&::GetBestRoute) getBestRoute;
    if (!SystemLibrary("iphlpapi.dll").Find("GetBestRoute", &getBestRoute)) return std::string();
    MIB_IPFORWARDROW route = {};
    if (getBestRoute(0x01010101, 0, &route) != NO_ERROR || route.dwForwardNextHop == 0) return std::string();
    const auto* bytes = reinterpret_cast<const unsigned char*>(&route.dwForwardNextHop);
    return std::to_string(bytes[0]) + '.' + std::to_string(bytes[1]) + '.' + std::to_string(bytes[2]) + '.' +
           std::to_string(bytes[3]);
}
