// Host for Friends: asking the router (a UPnP internet gateway) to forward a game's port to this PC.
// The steps of opening and closing over the router's port-mapping actions, what its answers mean,
// and the texts the player reads.
#pragma once

#include <string>
#include <vector>

#include "core/targets.h"

// --- The router's internet address ----------------------------------------------------------------

enum class AddressClass {
    None,     // empty, not an IPv4 address, 0.0.0.0 or link-local 169.254/16
    Private,  // 10/8, 172.16/12, 192.168/16: a router in front of this one
    Shared,   // 100.64/10: the provider's shared network (carrier-grade NAT)
    Public,
};
AddressClass ClassOfAddress(const std::string& address);

// --- What friends are given ---------------------------------------------------------------------

// "MH Toolkit: <game> server": the description of the toolkit's mappings.
std::string MappingDescription(GameTarget target);
// Whether a mapping's description is one the toolkit gives (for any of its games).
bool IsToolkitMapping(const std::string& description);
// "EXTERNAL:PORT".
std::string JoinAddress(const std::string& external, const std::string& port);
// "mhtoolkit://join/<code>/EXTERNAL:PORT".
std::string JoinLink(GameTarget target, const std::string& external, const std::string& port);

// --- The router's port-mapping actions ----------------------------------------------------------

enum class Protocol { TCP, UDP };
const char* NameOf(Protocol protocol);

// Error codes of the router (UPnP), and the library's own for a failed exchange (below 0).
namespace upnp_error {
constexpr int kActionFailed = 501;          // also: no public address to map
constexpr int kNotAuthorized = 606;
constexpr int kNoSuchEntry = 714;
constexpr int kConflict = 718;              // ConflictInMappingEntry
constexpr int kOnlyPermanentLeases = 725;   // OnlyPermanentLeasesSupported
}  // namespace upnp_error

struct MappingEntry {
    std::string client;        // internal client: the address the port is forwarded to
    std::string internalPort;
    std::string description;
};

// A router's WANIPConnection actions as the router client makes them. Each returns 0 on success,
// else the router's error code (kNoSuchEntry for a mapping that is not there) or a negative code
// when the exchange itself failed.
class PortMappingActions {
public:
    virtual ~PortMappingActions() = default;
    virtual int GetEntry(const std::string& port, Protocol protocol, MappingEntry& entry) = 0;
    virtual int Add(const std::string& port, Protocol protocol, const std::string& client,
                    const std::string& description, unsigned leaseSeconds) = 0;
    virtual int Delete(const std::string& port, Protocol protocol) = 0;
};

// The lease asked for; a router that takes only permanent mappings gets one of lease 0.
constexpr unsigned kLeaseSeconds = 24 * 60 * 60;

// The root device's friendly name in a UPnP device description (entities decoded, blanks trimmed);
// empty when there is none.
std::string FriendlyNameOf(const std::string& description);

struct RouterInfo {
    std::string name;             // its friendly name, from its device description
    std::string lanAddress;       // this PC's address on the router's network
    std::string externalAddress;  // the router's internet address, as it reports it
};

// --- Outcomes -------------------------------------------------------------------------------------

enum class HostResult {
    Opened,
    Closed,
    NoRouter,         // no router answered the search
    NoPublicAddress,  // the router has no internet address of its own (or says it cannot map)
    Conflict,         // the port is forwarded elsewhere already
    Refused,          // the router said no, with an error code
};

struct HostOutcome {
    HostResult result = HostResult::NoRouter;
    std::string port;
    RouterInfo router;
    bool permanent = false;            // Opened: the router took only a permanent mapping
    bool closing = false;              // Refused: it was asked to close, not to open
    Protocol protocol = Protocol::TCP;  // Conflict, Refused: the mapping it was about
    MappingEntry other;                // Conflict: the mapping in the way (client empty when unknown)
    int errorCode = 0;                 // Refused, and NoPublicAddress when the router answered 501
    int removed = 0;                   // Closed: how many mappings of ours were removed
    std::vector<std::pair<Protocol, MappingEntry>> leftAlone;  // Closed: mappings of P not ours
};

// Forwards TCP and UDP port P to router.lanAddress, described as `description`. Nothing is mapped
// when the router has no public address or either port is forwarded elsewhere; when the second
// mapping fails, the first one made here is taken back. A mapping of P to this PC that another
// program made is left as it is.
HostOutcome OpenPort(PortMappingActions& router, const RouterInfo& info, const std::string& port,
                     const std::string& description);
// Removes the TCP and UDP mappings of P that forward to router.lanAddress with a toolkit
// description; any other mapping of P is left alone and named.
HostOutcome ClosePort(PortMappingActions& router, const RouterInfo& info, const std::string& port);
// The outcome of a search that found no router; lanAddress as this PC knows it (may be empty).
HostOutcome NoRouterOutcome(const std::string& port, const std::string& lanAddress);

// --- Texts ----------------------------------------------------------------------------------------

constexpr const char* kBadPortMessage = "The port must be a number from 1 to 65535.";
constexpr const char* kLookingForRouter = "Looking for your router...";

// "<code>: <name>" of a router's error code (its standard name), or of a failed exchange (below 0).
std::string ErrorText(int code);
// The outcome in plain words, lines ended by "\r\n" (a multi-line edit's breaks).
std::string OutcomeText(const HostOutcome& outcome);
