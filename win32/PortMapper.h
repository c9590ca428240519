// The router client: finds the router of this PC's network and asks it to forward or release a
// port, over PCP, NAT-PMP (win32/LeaseRouters.h) or UPnP IGD (the only code that speaks UPnP).
// Its calls block on the network, each exchange within time limits (win32/RouterSockets.h): make
// them on a worker thread.
#pragma once

#include <atomic>
#include <string>

#include "core/port_mapping.h"

enum class HostAction { Open, Close };

// The UPnP search gives up after this long, or after its third round (kQuietSearchMs) when no device
// answered at all; a whole Open or Close, search included, after kHostActionMs.
constexpr unsigned kSearchMs = 7000;
constexpr unsigned kQuietSearchMs = 3500;
constexpr unsigned kHostActionMs = 15000;
// A NAT-PMP answer waits this long for a PCP one from the same router, which is preferred.
constexpr unsigned kPcpGraceMs = 250;

// An Open (TCP and UDP `port` forwarded to this PC, described as `description`) or a Close (this
// PC's toolkit mappings of it removed), as core/port_mapping.h and core/lease_mapping.h say.
//
// Without `held`, PCP and NAT-PMP requests go to the default gateway and the UPnP search goes out
// at the same moment; the first protocol that maps is used, preferring PCP, then NAT-PMP, then
// UPnP. A Close asks each protocol that answered. With `held` (an Opened outcome), the router and
// protocol that made it are asked directly: a renewal, or the Close of what it holds.
//
// Everything ends within `limitMs`; `cancel` ends the search early. Once a router is asked to map,
// its actions run to their end (within the limit), so that nothing is left half done.
HostOutcome RunHostAction(HostAction action, const std::string& port, const std::string& description,
                          const std::atomic<bool>& cancel, const HostOutcome* held = nullptr,
                          unsigned limitMs = kHostActionMs);
