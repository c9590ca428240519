// Host for Friends: forwarding a game's port to this PC over a router's port-mapping actions, and
// taking it back. What the router answers is untrusted: an outcome holds what the router was seen
// to hold (a lookup after each change), and every text it gave is kept as it may be shown.
#pragma once

#include <string>
#include <vector>

#include "core/targets.h"

enum class Protocol { TCP, UDP };
const char* NameOf(Protocol protocol);

// How a mapping is asked for: PCP and NAT-PMP (one request maps, its answer is what the router
// holds) or UPnP IGD (add, then look up). Preferred in this order when a router speaks several.
enum class MappingProtocol { PCP, NATPMP, UPnP };
const char* NameOf(MappingProtocol protocol);

// Error codes of the router (UPnP), and the router client's own for a failed exchange (below 0).
namespace upnp_error {
constexpr int kActionFailed = 501;
constexpr int kNotAuthorized = 606;
constexpr int kNoSuchEntry = 714;
constexpr int kConflict = 718;             // ConflictInMappingEntry
constexpr int kOnlyPermanentLeases = 725;  // OnlyPermanentLeasesSupported
}  // namespace upnp_error

struct MappingEntry {
    std::string client;  // internal client: the address the port is forwarded to
    std::string internalPort;
    std::string description;
    unsigned lease = 0;  // seconds left, as the router said (0: permanent, or it did not say)
};

// A router's WANIPConnection actions as the router client makes them. Each returns 0 on success,
// else the router's error code (kNoSuchEntry for a mapping that is not there) or a negative code
// when the exchange itself failed. A success says only that the router did not object.
class PortMappingActions {
public:
    virtual ~PortMappingActions() = default;
    virtual int GetEntry(const std::string& port, Protocol protocol, MappingEntry& entry) = 0;
    virtual int Add(const std::string& port, Protocol protocol, const std::string& client,
                    const std::string& description, unsigned leaseSeconds) = 0;
    virtual int Delete(const std::string& port, Protocol protocol) = 0;
};

// The lease asked for, renewed while the program runs (core/lease_schedule.h); a UPnP router that
// takes only permanent mappings gets one of lease 0.
constexpr unsigned kLeaseSeconds = 2 * 60 * 60;

// Text from the router as it may be shown: control characters replaced by blanks, blanks around it
// trimmed, at most kRouterTextMax characters (a longer one is cut and ends in "...").
constexpr size_t kRouterTextMax = 64;
std::string RouterText(const std::string& text);
// The root device's friendly name in a UPnP device description (entities decoded), as RouterText
// gives it; empty when there is none.
std::string FriendlyNameOf(const std::string& description);

struct RouterInfo {
    std::string name;             // its friendly name, as RouterText gives it
    std::string lanAddress;       // this PC's address on the router's network
    std::string externalAddress;  // the router's internet address, as it reported it
    int externalError = 0;        // not 0: asking for its internet address failed with this code
    std::string gateway;          // PCP, NAT-PMP: the router's address, where the requests go
    std::string controlUrl, serviceType;  // UPnP: where its actions go
};

// "MH Toolkit: <game> server": the description of the toolkit's mappings.
std::string MappingDescription(GameTarget target);
// Whether a mapping's description is one the toolkit gives (for any of its games).
bool IsToolkitMapping(const std::string& description);
// "mhtoolkit://join/<code>/EXTERNAL:PORT".
std::string JoinLink(GameTarget target, const std::string& external, const std::string& port);

// --- Outcomes -------------------------------------------------------------------------------------

enum class HostResult {
    Opened,             // both mappings looked up afterwards and seen to point at this PC
    NotHeld,            // the router took the mappings but does not hold them
    Closed,             // neither protocol holds a toolkit mapping of this PC any more
    NotClosed,          // one at least could not be looked at, removed, or is still there
    NoRouter,           // no router answered the search
    NoExternalAddress,  // asking the router for its internet address failed
    NoPublicAddress,    // its internet address is none, not an address, private, shared or reserved
    Conflict,           // the port is forwarded elsewhere already
    Refused,            // the router said no to a mapping, with an error code
};

// What one protocol's lookup found: code 0 with the entry, kNoSuchEntry, or the failure's code.
struct Holding {
    Protocol protocol = Protocol::TCP;
    int code = 0;
    MappingEntry entry;
};

enum class CloseStep {
    None,          // there was no mapping of the port
    Removed,       // ours, removed, and not found afterwards
    LeftAlone,     // another PC's or program's: entry names it
    LookupFailed,  // the router could not tell what it holds (code); nothing was removed
    DeleteFailed,  // ours, and the router refused to remove it (code)
    StillHeld,     // ours, the router said it removed it, and it still holds it
    Unconfirmed,   // ours, removed as the router said, but the lookup afterwards failed (code)
};

struct CloseReport {
    Protocol protocol = Protocol::TCP;
    CloseStep step = CloseStep::None;
    int code = 0;
    MappingEntry entry;
};

struct HostOutcome {
    // Out of line: an outcome is copied in many places, each of which would hold the whole copy.
    HostOutcome();
    HostOutcome(const HostOutcome& other);
    HostOutcome(HostOutcome&& other) noexcept;
    HostOutcome& operator=(const HostOutcome& other);
    HostOutcome& operator=(HostOutcome&& other) noexcept;
    ~HostOutcome();

    HostResult result = HostResult::NoRouter;
    std::string port;
    RouterInfo router;
    bool closing = false;    // it was asked to close, not to open
    bool permanent = false;  // Opened: the router took only a permanent mapping
    bool renewed = false;    // Opened: this PC's mapping was there already and is made anew
    bool wasHeld = false;    // Opened: the router held this PC's toolkit mapping of both protocols before
    MappingProtocol via = MappingProtocol::UPnP;  // the protocol the router was asked with
    unsigned lifetime = 0;   // Opened: seconds the router granted (0 with permanent)
    unsigned epoch = 0;      // Opened by PCP or NAT-PMP: the router's epoch, seconds since it started
    Protocol protocol = Protocol::TCP;  // Conflict, Refused: the mapping it was about
    MappingEntry other;      // Conflict: the mapping in the way (client empty when unknown)
    int errorCode = 0;       // Refused, NoExternalAddress
    std::vector<Holding> held;        // NotHeld: what each lookup afterwards found
    std::vector<Holding> leftBehind;  // Refused, NotHeld, Conflict: a mapping made here that could not
                                      // be taken back (code: the delete's answer)
    std::vector<CloseReport> closed;  // Closed, NotClosed: each protocol
};

// Forwards TCP and UDP port P to router.lanAddress, described as `description`. Nothing is asked
// when the router gave no public address; nothing is mapped when either port is forwarded
// elsewhere; a mapping made here is taken back when the other one fails or is not held. A mapping
// of P to this PC that another program made is left as it is.
HostOutcome OpenPort(PortMappingActions& router, const RouterInfo& info, const std::string& port,
                     const std::string& description);
// Removes the TCP and UDP mappings of P that forward to router.lanAddress with a toolkit
// description, each protocol on its own; any other mapping of P is left alone and named.
HostOutcome ClosePort(PortMappingActions& router, const RouterInfo& info, const std::string& port);
// The outcome of a search that found no router; lanAddress as this PC knows it (may be empty).
HostOutcome NoRouterOutcome(const std::string& port, const std::string& lanAddress, bool closing);
