// Forwarding over PCP (RFC 6887) or NAT-PMP (RFC 6886): one request per protocol maps a port for a
// lifetime, renews it when sent again, and removes it with lifetime 0. The router's answer states
// what it now holds, so it is the read-back; anything else it says is untrusted all the same.
#pragma once

#include <cstdint>
#include <string>

#include "core/port_mapping.h"

// The router's answer to one request.
struct LeaseAnswer {
    int code = 0;                 // 0 granted; > 0 the router's result code; < 0 no usable answer
    uint16_t externalPort = 0;    // the port it forwards
    uint32_t lifetime = 0;        // seconds it granted
    uint32_t epoch = 0;           // seconds since it started (its mappings' age bound)
    std::string externalAddress;  // its internet address as the answer gave it (PCP: also in an error)
};
constexpr int kNoAnswer = -1;         // nothing arrived in time
constexpr int kNotTheRouters = -2;    // something arrived that does not answer the request

class LeaseActions {
public:
    virtual ~LeaseActions() = default;
    virtual MappingProtocol Kind() const = 0;
    // Forwards `port` of `protocol` to this PC for `lifetime` seconds (0: removes the forwarding).
    virtual LeaseAnswer Map(Protocol protocol, uint16_t port, uint32_t lifetime) = 0;
};

// The result codes' names of each protocol ("11: CANNOT_PROVIDE_EXTERNAL", "3: Network Failure").
std::string LeaseErrorText(MappingProtocol protocol, int code);

// Forwards TCP and UDP `port` to this PC. Opened only when both were granted on that very port, at an
// internet address that is public when the answers name one; a half that was granted is taken back
// otherwise (leftBehind when that fails). A refusal that names a non-public address is NoPublicAddress
// with router.externalAddress set to it.
HostOutcome OpenLease(LeaseActions& router, const RouterInfo& info, const std::string& port);
// Removes this PC's forwarding of `port`, each protocol on its own.
HostOutcome CloseLease(LeaseActions& router, const RouterInfo& info, const std::string& port);
