// The router client: finds the router of this PC's network (a UPnP internet gateway) and asks it to
// forward or release a port. The only code that speaks UPnP. Every call blocks on the network: make
// them all on one worker thread, which also ends the mapper.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "core/port_forwarding.h"

class PortMapper {
public:
    PortMapper();
    ~PortMapper();
    PortMapper(const PortMapper&) = delete;
    PortMapper& operator=(const PortMapper&) = delete;

    // Searches in rounds of about a second until a router answers, `cancel` is set (checked between
    // rounds) or `timeoutMs` has passed; true once a router is found, its description read.
    bool Discover(const std::atomic<bool>& cancel, unsigned timeoutMs, RouterInfo& router);
    // After a successful Discover: forwards TCP and UDP `port` to this PC, or removes this PC's
    // toolkit mappings of it (core/port_forwarding.h says how).
    HostOutcome Open(const std::string& port, const std::string& description);
    HostOutcome Close(const std::string& port);

private:
    struct Gateway;
    std::unique_ptr<Gateway> m_gateway;
    RouterInfo m_router;
    bool m_socketsStarted = false;
};
