#include "core/port_mapping.h"

#include "core/address_kinds.h"
#include "core/command_line.h"
#include "core/server_address.h"

namespace {

constexpr Protocol kBoth[] = {Protocol::TCP, Protocol::UDP};

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

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7f; }

// Whether a lookup found this PC's forwarding of the port.
bool ToThisPc(const Holding& holding, const RouterInfo& info, const std::string& port) {
    return holding.code == 0 && holding.entry.client == info.lanAddress && holding.entry.internalPort == port;
}

Holding LookUp(PortMappingActions& router, const std::string& port, Protocol protocol) {
    Holding holding;
    holding.protocol = protocol;
    holding.code = router.GetEntry(port, protocol, holding.entry);
    if (holding.code != 0) holding.entry = MappingEntry{};
    return holding;
}

// Takes back mappings this call made; what the router keeps goes into leftBehind.
void TakeBack(PortMappingActions& router, const RouterInfo& info, const std::string& port, const bool added[2],
              HostOutcome& outcome) {
    for (int i = 0; i < 2; ++i) {
        if (!added[i]) continue;
        const int code = router.Delete(port, kBoth[i]);
        if (code == 0 || code == upnp_error::kNoSuchEntry) {
            const Holding after = LookUp(router, port, kBoth[i]);
            if (!ToThisPc(after, info, port) || !IsToolkitMapping(after.entry.description)) continue;
        }
        Holding left;
        left.protocol = kBoth[i];
        left.code = code;
        outcome.leftBehind.push_back(left);
    }
}

HostOutcome Begin(const RouterInfo& info, const std::string& port, bool closing) {
    HostOutcome outcome;
    outcome.port = port;
    outcome.router = info;
    outcome.closing = closing;
    return outcome;
}

}  // namespace

HostOutcome::HostOutcome() = default;
HostOutcome::HostOutcome(const HostOutcome& other) = default;
HostOutcome::HostOutcome(HostOutcome&& other) noexcept = default;
HostOutcome& HostOutcome::operator=(const HostOutcome& other) = default;
HostOutcome& HostOutcome::operator=(HostOutcome&& other) noexcept = default;
HostOutcome::~HostOutcome() = default;

const char* NameOf(Protocol protocol) { return protocol == Protocol::TCP ? "TCP" : "UDP"; }

const char* NameOf(MappingProtocol protocol) {
    switch (protocol) {
    case MappingProtocol::PCP: return "PCP";
    case MappingProtocol::NATPMP: return "NAT-PMP";
    case MappingProtocol::UPnP: break;
    }
    return "UPnP";
}

std::string RouterText(const std::string& text) {
    std::string shown;
    for (char c : text) shown += IsControl(static_cast<unsigned char>(c)) ? ' ' : c;
    const size_t first = shown.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    shown = shown.substr(first, shown.find_last_not_of(' ') - first + 1);
    if (shown.size() <= kRouterTextMax) return shown;
    size_t cut = kRouterTextMax - 3;
    // A UTF-8 sequence is not cut in two.
    while (cut > 0 && (static_cast<unsigned char>(shown[cut]) & 0xC0) == 0x80) --cut;
    return shown.substr(0, cut) + "...";
}

std::string FriendlyNameOf(const std::string& description) {
    const std::string open = "<friendlyName>", close = "</friendlyName>";
    const size_t start = description.find(open);
    if (start == std::string::npos) return std::string();
    const size_t begin = start + open.size();
    const size_t end = description.find(close, begin);
    if (end == std::string::npos) return std::string();
    return RouterText(Decode(description.substr(begin, end - begin)));
}

std::string MappingDescription(GameTarget target) {
    return std::string("MH Toolkit: ") + InfoOf(target).name + " server";
}

bool IsToolkitMapping(const std::string& description) {
    for (const TargetInfo& target : AllTargets())
        if (description == MappingDescription(target.target)) return true;
    return false;
}

std::string JoinLink(GameTarget target, const std::string& external, const std::string& port) {
    return std::string(kLinkScheme) + "://join/" + InfoOf(target).code + "/" + ShareText(external, port);
}

HostOutcome OpenPort(PortMappingActions& router, const RouterInfo& info, const std::string& port,
                     const std::string& description) {
    HostOutcome outcome = Begin(info, port, false);
    if (info.externalError != 0) {
        outcome.result = HostResult::NoExternalAddress;
        outcome.errorCode = info.externalError;
        return outcome;
    }
    if (KindOfAddress(info.externalAddress) != AddressKind::Public) {
        outcome.result = HostResult::NoPublicAddress;
        return outcome;
    }
    // What is there already: a mapping elsewhere stops everything before anything is asked.
    bool existed[2] = {false, false}, ours[2] = {false, false};
    for (int i = 0; i < 2; ++i) {
        const Holding before = LookUp(router, port, kBoth[i]);
        if (before.code != 0) continue;  // none, or the router cannot tell: the add will
        if (!ToThisPc(before, info, port)) {
            outcome.result = HostResult::Conflict;
            outcome.protocol = kBoth[i];
            outcome.other = before.entry;
            return outcome;
        }
        existed[i] = true;
        ours[i] = IsToolkitMapping(before.entry.description);
    }
    bool added[2] = {false, false};
    for (int i = 0; i < 2; ++i) {
        const Protocol protocol = kBoth[i];
        if (existed[i] && !ours[i]) continue;  // another program forwards it to this PC already
        auto add = [&] {
            int code = router.Add(port, protocol, info.lanAddress, description, kLeaseSeconds);
            if (code == upnp_error::kOnlyPermanentLeases) {
                code = router.Add(port, protocol, info.lanAddress, description, 0);
                if (code == 0) outcome.permanent = true;
            }
            return code;
        };
        int code = add();
        if (code == upnp_error::kConflict) {
            // Some routers answer so to a PC that adds its own mapping again: that one is made anew.
            const Holding there = LookUp(router, port, protocol);
            if (ToThisPc(there, info, port) && IsToolkitMapping(there.entry.description)) {
                existed[i] = true;
                outcome.renewed = true;
                const int removed = router.Delete(port, protocol);
                code = removed == 0 || removed == upnp_error::kNoSuchEntry ? add() : removed;
            } else {
                TakeBack(router, info, port, added, outcome);
                outcome.result = HostResult::Conflict;
                outcome.protocol = protocol;
                outcome.other = there.code == 0 ? there.entry : MappingEntry{};
                return outcome;
            }
        }
        if (code == 0) {
            added[i] = !existed[i];
            continue;
        }
        // Half a forwarding is none: what this call made goes again.
        TakeBack(router, info, port, added, outcome);
        outcome.result = HostResult::Refused;
        outcome.protocol = protocol;
        outcome.errorCode = code;
        return outcome;
    }
    // The router's yes means nothing until a lookup shows the mapping.
    bool held = true;
    for (int i = 0; i < 2; ++i) {
        Holding after = LookUp(router, port, kBoth[i]);
        const bool fine = ToThisPc(after, info, port) &&
                          (IsToolkitMapping(after.entry.description) || (existed[i] && !ours[i]));
        held = held && fine;
        outcome.held.push_back(after);
    }
    if (held) {
        outcome.result = HostResult::Opened;
        outcome.wasHeld = ours[0] && ours[1];
        // What the router says is left of the lease, never more than was asked.
        unsigned granted = kLeaseSeconds;
        for (const Holding& after : outcome.held)
            if (after.entry.lease > 0 && after.entry.lease < granted) granted = after.entry.lease;
        outcome.lifetime = outcome.permanent ? 0 : granted;
        return outcome;
    }
    TakeBack(router, info, port, added, outcome);
    outcome.result = HostResult::NotHeld;
    outcome.renewed = false;
    return outcome;
}

HostOutcome ClosePort(PortMappingActions& router, const RouterInfo& info, const std::string& port) {
    HostOutcome outcome = Begin(info, port, true);
    bool all = true;
    for (Protocol protocol : kBoth) {
        CloseReport report;
        report.protocol = protocol;
        const Holding before = LookUp(router, port, protocol);
        if (before.code == upnp_error::kNoSuchEntry) {
            report.step = CloseStep::None;
        } else if (before.code != 0) {
            // A mapping that cannot be looked at may be anyone's: it is not removed.
            report.step = CloseStep::LookupFailed;
            report.code = before.code;
        } else if (!ToThisPc(before, info, port) || !IsToolkitMapping(before.entry.description)) {
            report.step = CloseStep::LeftAlone;
            report.entry = before.entry;
        } else if (const int code = router.Delete(port, protocol); code != 0 && code != upnp_error::kNoSuchEntry) {
            report.step = CloseStep::DeleteFailed;
            report.code = code;
        } else {
            const Holding after = LookUp(router, port, protocol);
            if (after.code == 0 && ToThisPc(after, info, port) && IsToolkitMapping(after.entry.description)) {
                report.step = CloseStep::StillHeld;
            } else if (after.code != 0 && after.code != upnp_error::kNoSuchEntry) {
                report.step = CloseStep::Unconfirmed;
                report.code = after.code;
            } else {
                report.step = CloseStep::Removed;
            }
        }
        all = all && (report.step == CloseStep::None || report.step == CloseStep::Removed ||
                      report.step == CloseStep::LeftAlone);
        outcome.closed.push_back(report);
    }
    outcome.result = all ? HostResult::Closed : HostResult::NotClosed;
    return outcome;
}

HostOutcome NoRouterOutcome(const std::string& port, const std::string& lanAddress, bool closing) {
    HostOutcome outcome;
    outcome.result = HostResult::NoRouter;
    outcome.port = port;
    outcome.router.lanAddress = lanAddress;
    outcome.closing = closing;
    return outcome;
}
