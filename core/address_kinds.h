// What kind of IPv4 address a router reports as its internet address: one table, used for the
// address friends are given and for the outcome the player reads.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

enum class AddressKind {
    NotAnAddress,  // empty, or not four dotted numbers 0-255 without leading zeros
    Private,       // 10/8, 172.16/12, 192.168/16: a router in front of this one
    Shared,        // 100.64/10: the provider's shared network (carrier-grade NAT)
    Reserved,      // this network, loopback, link-local, IETF and documentation blocks, multicast, 240/4
    Public,
};

// The address as a number, when it is a dotted IPv4 address.
std::optional<uint32_t> ParseIPv4(const std::string& text);
AddressKind KindOfAddress(const std::string& address);
// The block's plain name for the player ("loopback", "multicast", ...), or empty for a public or
// not-an-address one.
const char* BlockNameOf(const std::string& address);
