// The router client: finds the router of this PC's network (a UPnP internet gateway) and asks it to
// forward or release a port. The only code that speaks UPnP. Its calls block on the network, each
// exchange within time limits (win32/RouterSockets.h): make them on a worker thread.
#pragma once

#include <atomic>
#include <string>

#include "core/port_mapping.h"

enum class HostAction { Open, Close };

// The search gives up after this long; a whole Open or Close, search included, after kHostActionMs.
constexpr unsigned kSearchMs = 7000;
constexpr unsigned kHostActionMs = 15000;

// An Open (TCP and UDP `port` forwarded to this PC, described as `description`) or a Close (this
// PC's toolkit mappings of it removed), as core/port_mapping.h says. `cancel` ends the search early;
// once a router is found, its actions run to their end, so that nothing is left half done.
HostOutcome RunHostAction(HostAction action, const std::string& port, const std::string& description,
                          const std::atomic<bool>& cancel);
