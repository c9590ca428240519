#include "core/port_forwarding.h"

#include <cstdint>

#include "core/command_line.h"
#include "core/server_address.h"

namespace {

constexpr Protocol kBoth[] = {Protocol::TCP, Protocol::UDP};

// The four numbers of a dotted IPv4 address (as IsHost reads one), or false.
bool Octets(const std::string& address, uint32_t& value) {
    if (!IsHost(address)) return false;
    value = 0;
    int parts = 0;
    size_t start = 0;
    for (;;) {
        const size_t end = address.find('.', start);
        const std::string part = address.substr(start, end == std::string::npos ? std::string::npos : end - start);
        for (char c : part)
            if (c < '0' || c > '9') return false;  // a name, not an address
        value = value << 8 | static_cast<uint32_t>(std::stoul(part));
        ++parts;
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return parts == 4;
}

bool InBlock(uint32_t address, uint32_t block, int bits) {
    const uint32_t mask = bits == 0 ? 0 : ~uint32_t{0} << (32 - bits);
    return (address & mask) == block;
}

constexpr uint32_t Block(uint32_t a, uint32_t b) { return a << 24 | b << 16; }

std::string Decode(const std::string& text) {
    struct Entity {
        const char* name;
        char character;
    };
    static constexpr Entity kEntities[] = {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    std::string decoded;
    for (size_t i = 0; i < text.size();) {
        bool replaced = false;
        for (const Entity& entity : kEntities) {
            if (text.compare(i, std::char_traits<char>::length(entity.name), entity.name) == 0) {
                decoded += entity.character;
                i += std::char_traits<char>::length(entity.name);
                replaced = true;
                break;
            }
        }
        if (!replaced) decoded += text[i++];
    }
    return decoded;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

HostOutcome Begin(const RouterInfo& info, const std::string& port) {
    HostOutcome outcome;
    outcome.port = port;
    outcome.router = info;
    return outcome;
}

HostOutcome& Conflict(HostOutcome& outcome, Protocol protocol, const MappingEntry& other) {
    outcome.result = HostResult::Conflict;
    outcome.protocol = protocol;
    outcome.other = other;
    return outcome;
}

HostOutcome& Refused(HostOutcome& outcome, Protocol protocol, int code, bool closing) {
    outcome.result = HostResult::Refused;
    outcome.protocol = protocol;
    outcome.errorCode = code;
    outcome.closing = closing;
    return outcome;
}

std::string RouterName(const RouterInfo& router) { return router.name.empty() ? "your router" : router.name; }

std::string Capitalized(std::string text) {
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

std::string ThisPc(const std::string& lanAddress) {
    return "this PC (" + (lanAddress.empty() ? std::string("Your Addresses shows its address") : lanAddress) + ")";
}

const char kBreak[] = "\r\n";

}  // namespace

AddressClass ClassOfAddress(const std::string& address) {
    uint32_t value = 0;
    if (!Octets(address, value) || value == 0 || InBlock(value, Block(169, 254), 16)) return AddressClass::None;
    if (InBlock(value, Block(10, 0), 8) || InBlock(value, Block(172, 16), 12) || InBlock(value, Block(192, 168), 16))
        return AddressClass::Private;
    if (InBlock(value, Block(100, 64), 10)) return AddressClass::Shared;
    return AddressClass::Public;
}

std::string MappingDescription(GameTarget target) {
    return std::string("MH Toolkit: ") + InfoOf(target).name + " server";
}

bool IsToolkitMapping(const std::string& description) {
    for (GameTarget target : {GameTarget::OV, GameTarget::BM, GameTarget::MH})
        if (description == MappingDescription(target)) return true;
    return false;
}

std::string JoinAddress(const std::string& external, const std::string& port) { return ShareText(external, port); }

std::string JoinLink(GameTarget target, const std::string& external, const std::string& port) {
    return std::string(kLinkScheme) + "://join/" + InfoOf(target).code + "/" + JoinAddress(external, port);
}

const char* NameOf(Protocol protocol) { return protocol == Protocol::TCP ? "TCP" : "UDP"; }

std::string FriendlyNameOf(const std::string& description) {
    const std::string open = "<friendlyName>", close = "</friendlyName>";
    const size_t start = description.find(open);
    if (start == std::string::npos) return std::string();
    const size_t begin = start + open.size();
    const size_t end = description.find(close, begin);
    if (end == std::string::npos) return std::string();
    std::string name;
    for (char c : Decode(description.substr(begin, end - begin)))
        name += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
    size_t first = 0, last = name.size();
    while (first < last && IsBlank(name[first])) ++first;
    while (last > first && IsBlank(name[last - 1])) --last;
    return name.substr(first, last - first);
}

HostOutcome OpenPort(PortMappingActions& router, const RouterInfo& info, const std::string& port,
                     const std::string& description) {
    HostOutcome outcome = Begin(info, port);
    if (ClassOfAddress(info.externalAddress) != AddressClass::Public) {
        outcome.result = HostResult::NoPublicAddress;
        return outcome;
    }
    // What is there already: a mapping elsewhere stops everything before anything is asked.
    bool existed[2] = {false, false}, ours[2] = {false, false};
    for (int i = 0; i < 2; ++i) {
        MappingEntry entry;
        if (router.GetEntry(port, kBoth[i], entry) != 0) continue;  // none, or the router cannot tell: Add will
        if (entry.client != info.lanAddress || entry.internalPort != port) return Conflict(outcome, kBoth[i], entry);
        existed[i] = true;
        ours[i] = IsToolkitMapping(entry.description);
    }
    bool added[2] = {false, false};
    for (int i = 0; i < 2; ++i) {
        const Protocol protocol = kBoth[i];
        if (existed[i] && !ours[i]) continue;  // another program forwards it to this PC already
        int code = router.Add(port, protocol, info.lanAddress, description, kLeaseSeconds);
        if (code == upnp_error::kOnlyPermanentLeases) {
            code = router.Add(port, protocol, info.lanAddress, description, 0);
            if (code == 0) outcome.permanent = true;
        }
        if (code == 0) {
            added[i] = !existed[i];
            continue;
        }
        // Half a forwarding is none: what this call made goes again.
        for (int j = 0; j < i; ++j)
            if (added[j]) router.Delete(port, kBoth[j]);
        if (code == upnp_error::kConflict) {
            MappingEntry other;
            if (router.GetEntry(port, protocol, other) != 0) other = MappingEntry{};
            return Conflict(outcome, protocol, other);
        }
        if (code == upnp_error::kActionFailed) {
            outcome.result = HostResult::NoPublicAddress;
            outcome.errorCode = code;
            return outcome;
        }
        return Refused(outcome, protocol, code, false);
    }
    outcome.result = HostResult::Opened;
    return outcome;
}

HostOutcome ClosePort(PortMappingActions& router, const RouterInfo& info, const std::string& port) {
    HostOutcome outcome = Begin(info, port);
    for (Protocol protocol : kBoth) {
        MappingEntry entry;
        int code = router.GetEntry(port, protocol, entry);
        if (code == upnp_error::kNoSuchEntry) continue;
        // A mapping that cannot be looked at may be anyone's: it is not removed.
        if (code != 0) return Refused(outcome, protocol, code, true);
        if (entry.client != info.lanAddress || !IsToolkitMapping(entry.description)) {
            outcome.leftAlone.emplace_back(protocol, entry);
            continue;
        }
        code = router.Delete(port, protocol);
        if (code != 0 && code != upnp_error::kNoSuchEntry) return Refused(outcome, protocol, code, true);
        ++outcome.removed;
    }
    outcome.result = HostResult::Closed;
    return outcome;
}

HostOutcome NoRouterOutcome(const std::string& port, const std::string& lanAddress) {
    HostOutcome outcome;
    outcome.result = HostResult::NoRouter;
    outcome.port = port;
    outcome.router.lanAddress = lanAddress;
    return outcome;
}

std::string ErrorText(int code) {
    struct Name {
        int code;
        const char* name;
    };
    // The standard names (UPnP Device Architecture and the WANIPConnection service).
    static constexpr Name kNames[] = {
        {401, "Invalid Action"},
        {402, "Invalid Args"},
        {501, "Action Failed"},
        {606, "Action not authorized"},
        {714, "NoSuchEntryInArray"},
        {715, "WildCardNotPermittedInSrcIP"},
        {716, "WildCardNotPermittedInExtPort"},
        {718, "ConflictInMappingEntry"},
        {724, "SamePortValuesRequired"},
        {725, "OnlyPermanentLeasesSupported"},
        {726, "RemoteHostOnlySupportsWildcard"},
        {727, "ExternalPortOnlySupportsWildcard"},
        {728, "NoPortMapsAvailable"},
        {729, "ConflictWithOtherMechanisms"},
        {732, "WildCardNotPermittedInIntPort"},
    };
    const char* name = code < 0 ? "no proper answer" : "unknown error";
    for (const Name& entry : kNames)
        if (entry.code == code) name = entry.name;
    return std::to_string(code) + ": " + name;
}

std::string OutcomeText(const HostOutcome& outcome) {
    const std::string& p = outcome.port;
    const RouterInfo& router = outcome.router;
    const std::string both = "TCP and UDP port " + p;
    switch (outcome.result) {
    case HostResult::Opened:
        return "Port " + p + " is open: " + RouterName(router) + " forwards " + both + " to " +
               ThisPc(router.lanAddress) + "." + kBreak + "Router: " + RouterName(router) + kBreak +
               "Internet address: " + router.externalAddress + kBreak +
               "Friends join: " + JoinAddress(router.externalAddress, p) + kBreak + kBreak +
               "Copy Link or Copy Address and send it to your friends. " +
               (outcome.permanent ? "The router keeps the forwarding until it is closed"
                                  : "The forwarding lasts a day") +
               ": Close Port removes it when you are done hosting.";
    case HostResult::Closed: {
        std::string text = "Port " + p + " is closed: ";
        text += outcome.removed ? "MH Toolkit's forwarding of it to this PC is removed from " + RouterName(router) + "."
                                : RouterName(router) + " had no forwarding of it by MH Toolkit to this PC.";
        for (const auto& [protocol, entry] : outcome.leftAlone)
            text += std::string(kBreak) + NameOf(protocol) + " port " + p + " stays forwarded to " + entry.client +
                    (entry.description.empty() ? "" : " (\"" + entry.description + "\")") +
                    ": MH Toolkit did not make that forwarding for this PC, so it leaves it alone.";
        return text;
    }
    case HostResult::NoRouter:
        return std::string("No router answered: UPnP is turned off on your router, or the router does not support it.") +
               kBreak + kBreak + "To host, forward the port by hand in your router's settings (its web page): " +
               both + " to " + ThisPc(router.lanAddress) + ". Or turn UPnP on there and try Open Port again.";
    case HostResult::NoPublicAddress: {
        std::string why;
        if (outcome.errorCode) {
            why = "it cannot forward ports from the internet (error " + ErrorText(outcome.errorCode) + ")";
        } else {
            switch (ClassOfAddress(router.externalAddress)) {
            case AddressClass::Shared:
                why = "it reports " + router.externalAddress +
                      ", an address of your provider's shared network (carrier-grade NAT)";
                break;
            case AddressClass::Private:
                why = "it reports " + router.externalAddress +
                      ", a private address: another router stands between it and the internet";
                break;
            default:
                why = "it reports none, so it is not connected, or it sits behind your provider's carrier-grade NAT "
                      "or another router";
                break;
            }
        }
        return Capitalized(RouterName(router)) + " has no internet address of its own: " + why + "." + kBreak +
               "Friends on the internet cannot reach this PC through it, so no port was opened." + kBreak + kBreak +
               "Instead, use a VPN that puts you and your friends on one network (Your Addresses then shows your "
               "address in it), or ask your internet provider for a public IP address.";
    }
    case HostResult::Conflict: {
        const MappingEntry& other = outcome.other;
        std::string where;
        if (other.client.empty())
            where = "another device on your network";
        else if (other.client == router.lanAddress)
            where = other.client + " (this PC, its port " + other.internalPort + ", for another program)";
        else
            where = other.client + ", another device on your network";
        return std::string(NameOf(outcome.protocol)) + " port " + p + " is already forwarded to " + where +
               ". That forwarding is left as it is, and no port was opened." + kBreak + kBreak +
               "Host on another port, or end the hosting there first.";
    }
    case HostResult::Refused: {
        const std::string action = outcome.closing ? "close" : "open";
        const std::string error = "(error " + ErrorText(outcome.errorCode) + ")";
        const std::string opening = outcome.errorCode < 0
                                        ? "The router did not answer properly when asked to " + action + " " +
                                              NameOf(outcome.protocol) + " port " + p + " " + error + "."
                                        : "The router refused to " + action + " " + NameOf(outcome.protocol) +
                                              " port " + p + " " + error + ".";
        return opening + kBreak + kBreak +
               "Check that UPnP is allowed for this PC in the router's settings, or forward " + both + " to " +
               ThisPc(router.lanAddress) + " there by hand.";
    }
    }
    return std::string();
}
