// The machine's own IPv4 addresses, by network adapter.
#pragma once

#include <string>
#include <vector>

struct AdapterAddress {
    std::wstring adapter;  // the adapter's name as the system shows it
    std::string address;   // dotted IPv4
};

// Every IPv4 address of every adapter that is up, loopback left out, in the system's order.
std::vector<AdapterAddress> UpAdapterAddresses();
