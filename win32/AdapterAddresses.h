// The machine's own IPv4 addresses, by network adapter.
#pragma once

#include <string>
#include <vector>

struct AdapterAddress {
    std::wstring adapter;  // the adapter's name as the system shows it
    std::string address;   // dotted IPv4
    unsigned long index = 0;  // the adapter's interface index
};

// Every IPv4 address of every adapter that is up, loopback left out, in the system's order.
std::vector<AdapterAddress> UpAdapterAddresses();
// The address of the adapter that carries the default route (the one a router on the internet is
// reached through), asked of the routing table without sending anything; empty when there is none.
std::string DefaultRouteAddress();
// The next hop of the default route, dotted (the router the PC's internet traffic goes to), asked
// of the routing table without sending anything; empty when there is none or it is on-link.
std::string DefaultGateway();
