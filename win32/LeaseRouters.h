// The PCP and NAT-PMP clients: requests to the router's port-mapping server (UDP 5351 of the
// default gateway), sent again at 250 ms, 500 ms... until answered, each within its time limit and
// the whole action's deadline. Calls block: make them on a worker thread.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <memory>
#include <string>

#include "core/lease_mapping.h"

// The longest one request waits for its answer.
constexpr unsigned kLeaseRequestMs = 2000;

// Whether a router's server speaks a protocol, as its answers (or their absence) show.
enum class Speaks { NotYet, Yes, No };

class LeaseRouter : public LeaseActions {
public:
    ~LeaseRouter() override = default;
    // The first request (PCP: ANNOUNCE; NAT-PMP: the public address), sent and not waited for.
    virtual void SendProbe() = 0;
    // Takes what has arrived, without waiting, and sends again when due.
    virtual Speaks PollProbe() = 0;
    // The socket the answers arrive on, to wait for with select().
    virtual SOCKET Socket() const = 0;
    const std::string& LocalAddress() const { return local_; }
    // NAT-PMP: the public address the probe got (empty, with probeCode set, when it had none).
    std::string probeAddress;
    int probeCode = 0;
    uint32_t probeEpoch = 0;

protected:
    std::string local_;
};

// Clients of `gateway` (dotted); null when no socket could be made. Requests end by the tick
// count `deadline` and at once when `cancel` is set.
std::unique_ptr<LeaseRouter> MakePcpRouter(const std::string& gateway, unsigned long long deadline,
                                           const std::atomic<bool>& cancel);
std::unique_ptr<LeaseRouter> MakeNatPmpRouter(const std::string& gateway, unsigned long long deadline,
                                              const std::atomic<bool>& cancel);
