#include "core/host_texts.h"

#include "core/address_kinds.h"
#include "core/lease_mapping.h"
#include "core/server_address.h"

namespace {

const char kBreak[] = "\r\n";

std::string RouterName(const RouterInfo& router) { return router.name.empty() ? "your router" : router.name; }

std::string Capitalized(std::string text) {
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

std::string ThisPc(const std::string& lanAddress) {
    return "this PC (" + (lanAddress.empty() ? std::string("Your Addresses shows its address") : lanAddress) + ")";
}

// "(error CODE: NAME)", named as the protocol the router was asked with names it.
std::string Error(const HostOutcome& outcome, int code) {
    return "(error " + (outcome.via == MappingProtocol::UPnP ? ErrorText(code) : LeaseErrorText(outcome.via, code)) + ")";
}

std::string PortOf(Protocol protocol, const std::string& port) { return std::string(NameOf(protocol)) + " port " + port; }

// "CLIENT ("DESCRIPTION")" of a mapping, as the router gave them.
std::string Named(const MappingEntry& entry) {
    const std::string description = RouterText(entry.description);
    return RouterText(entry.client) + (description.empty() ? "" : " (\"" + description + "\")");
}

std::string ByHand(const std::string& port, const RouterInfo& router) {
    return "forward TCP and UDP port " + port + " to " + ThisPc(router.lanAddress) +
           " by hand in your router's settings (its web page)";
}

// A mapping this PC asked for that the router still holds: said, and how to end it.
std::string LeftBehind(const HostOutcome& outcome) {
    std::string text;
    for (const Holding& left : outcome.leftBehind)
        text += std::string(kBreak) + PortOf(left.protocol, outcome.port) + " stays forwarded to " +
                ThisPc(outcome.router.lanAddress) + ": the router " +
                (left.code != 0 ? "refused to take it back " + Error(outcome, left.code)
                                : std::string("still holds it after it was taken back")) +
                ". Close Port removes it.";
    return text;
}

std::string HoldingText(const Holding& holding, const HostOutcome& outcome) {
    const std::string what = PortOf(holding.protocol, outcome.port) + ": ";
    if (holding.code == upnp_error::kNoSuchEntry) return what + "not forwarded.";
    if (holding.code != 0) return what + "the router could not tell whether it forwards it " + Error(outcome, holding.code) + ".";
    return what + "forwarded to " + Named(holding.entry) + ", its port " + RouterText(holding.entry.internalPort) + ".";
}

std::string CloseText(const CloseReport& report, const HostOutcome& outcome) {
    const std::string what = PortOf(report.protocol, outcome.port);
    switch (report.step) {
    case CloseStep::None:
        return what + ": not forwarded.";
    case CloseStep::Removed:
        return what + ": MH Toolkit's forwarding of it to this PC is removed.";
    case CloseStep::LeftAlone:
        return what + " stays forwarded to " + Named(report.entry) +
               ": MH Toolkit did not make that forwarding for this PC, so it leaves it alone.";
    case CloseStep::LookupFailed:
        return what + ": the router could not tell whether it forwards it " + Error(outcome, report.code) +
               ", so nothing was removed.";
    case CloseStep::DeleteFailed:
        return what + ": the router refused to remove MH Toolkit's forwarding " + Error(outcome, report.code) + ".";
    case CloseStep::StillHeld:
        return what + ": the router said it removed MH Toolkit's forwarding, but it still holds it.";
    case CloseStep::Unconfirmed:
        return what + ": the router said it removed MH Toolkit's forwarding, but could not tell afterwards whether "
                      "it still holds it " + Error(outcome, report.code) + ".";
    }
    return std::string();
}

std::string NoPublicReason(const RouterInfo& router) {
    const std::string& external = router.externalAddress;
    switch (KindOfAddress(external)) {
    case AddressKind::Shared:
        return "it reports " + external + ", an address of your provider's shared network (carrier-grade NAT)";
    case AddressKind::Private:
        return "it reports " + external + ", a private address: another router stands between it and the internet";
    case AddressKind::Reserved:
        return "it reports " + external + ", a " + BlockNameOf(external) +
               " address that no one on the internet can reach";
    default:
        break;
    }
    if (!RouterText(external).empty())
        return "it reports \"" + RouterText(external) + "\", which is not an internet address";
    return "it reports none, so it is not connected, or it sits behind your provider's carrier-grade NAT or another "
           "router";
}

const char kNoRouterCauses[] =
    "UPnP, NAT-PMP and PCP are turned off on your router, the router supports none of them, or a VPN is active "
    "(the search goes out on the VPN's connection only).";

// What a player can do about an internet address that is not theirs.
std::string NoPublicAdvice(const RouterInfo& router, const std::string& port) {
    switch (KindOfAddress(router.externalAddress)) {
    case AddressKind::Shared:
        return "Your provider shares one internet address among many customers, so no router of yours can open a "
               "port. Ask your provider for a public IPv4 address, or use a VPN that puts you and your friends on "
               "one network (Your Addresses then shows your address in it).";
    case AddressKind::Private:
        return "Your router is connected to another router (often your provider's modem), which holds the internet "
               "address. Forward TCP and UDP port " + port + " on that first router as well, to this "
               "router's address, or put one of the two in bridge mode so that only one of them routes.";
    default:
        break;
    }
    if (router.externalAddress.empty())
        return "If your router is connected to another router (often your provider's modem), forward TCP and UDP "
               "port " + port + " on that one as well, or put one of the two in bridge mode. If your provider "
               "shares one internet address among many customers (carrier-grade NAT), ask it for a public IPv4 "
               "address, or use a VPN that puts you and your friends on one network.";
    return "Instead, use a VPN that puts you and your friends on one network (Your Addresses then shows your "
           "address in it), or ask your internet provider for a public IP address.";
}

// "The forwarding lasts..." of an open port.
std::string LeaseText(const HostOutcome& outcome) {
    if (outcome.permanent) return "The router keeps the forwarding until it is closed";
    return "MH Toolkit renews the forwarding for as long as it runs, and asks to close it when you quit";
}

}  // namespace

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
               ThisPc(router.lanAddress) + (outcome.renewed ? " (it did already; the forwarding is made anew)" : "") +
               "." + kBreak + "Router: " + RouterName(router) + ", asked with " + NameOf(outcome.via) + kBreak + "Internet address: " +
               router.externalAddress + kBreak + "Friends join: " + ShareText(router.externalAddress, p) + kBreak +
               kBreak + "Friends can join once your server runs (Create), and Windows Firewall must let the game in. " +
               "Copy Link or Copy Address and send it to your friends. " +
               LeaseText(outcome) + ": Close Port removes it when you are done hosting.";
    case HostResult::NotHeld: {
        std::string text = "Port " + p + " is not open: " + RouterName(router) +
                           " answered that it forwards it, but it does not hold the forwarding.";
        for (const Holding& holding : outcome.held) text += kBreak + HoldingText(holding, outcome);
        return text + LeftBehind(outcome) + kBreak + kBreak + "Friends cannot join through it. Try Open Port again, or " +
               ByHand(p, router) + ".";
    }
    case HostResult::Closed: {
        bool removed = false;
        for (const CloseReport& report : outcome.closed) removed = removed || report.step == CloseStep::Removed;
        std::string text = "Port " + p + " is closed: ";
        text += removed ? "MH Toolkit's forwarding of it to this PC is removed from " + RouterName(router) + "."
                        : RouterName(router) + " had no forwarding of it by MH Toolkit to this PC.";
        for (const CloseReport& report : outcome.closed)
            if (report.step == CloseStep::LeftAlone) text += kBreak + CloseText(report, outcome);
        return text;
    }
    case HostResult::NotClosed: {
        std::string text = "Port " + p + " is not closed:";
        for (const CloseReport& report : outcome.closed) text += kBreak + CloseText(report, outcome);
        return text + kBreak + kBreak +
               "Try Close Port again, or remove the forwarding in your router's settings (its web page).";
    }
    case HostResult::NoRouter:
        if (outcome.closing)
            return std::string("No router answered, so nothing could be closed: ") + kNoRouterCauses + kBreak +
                   kBreak + "A forwarding made by hand is removed in your router's settings (its web page).";
        return std::string("No router answered: ") + kNoRouterCauses + kBreak + kBreak +
               "To host, forward the port by hand in your router's settings (its web page): " + both + " to " +
               ThisPc(router.lanAddress) + ". Or turn UPnP or NAT-PMP on there, or end the VPN, and try Open Port again.";
    case HostResult::NoExternalAddress:
        return Capitalized(RouterName(router)) + " did not give its internet address " + Error(outcome, outcome.errorCode) +
               ", so no port was opened." + kBreak + kBreak + "Try Open Port again, or " + ByHand(p, router) + ".";
    case HostResult::NoPublicAddress:
        return Capitalized(RouterName(router)) + " has no internet address of its own: " + NoPublicReason(router) +
               "." + kBreak + "Friends on the internet cannot reach this PC through it, so no port was opened." +
               kBreak + kBreak + NoPublicAdvice(router, p);
    case HostResult::Conflict: {
        const MappingEntry& other = outcome.other;
        std::string where;
        if (other.client.empty())
            where = "another device on your network";
        else if (other.client == router.lanAddress)
            where = other.client + " (this PC, its port " + RouterText(other.internalPort) + ", for another program)";
        else
            where = RouterText(other.client) + ", another device on your network";
        return std::string(NameOf(outcome.protocol)) + " port " + p + " is already forwarded to " + where +
               ". That forwarding is left as it is, and no port was opened." + LeftBehind(outcome) + kBreak + kBreak +
               "Host on another port, or end the hosting there first.";
    }
    case HostResult::Refused: {
        const std::string opening =
            outcome.errorCode < 0
                ? "The router did not answer properly when asked to open " + PortOf(outcome.protocol, p) + " " +
                      Error(outcome, outcome.errorCode) + "."
                : "The router refused to open " + PortOf(outcome.protocol, p) + " " + Error(outcome, outcome.errorCode) +
                      ".";
        return opening + LeftBehind(outcome) + kBreak + kBreak +
               "Check that " + std::string(NameOf(outcome.via)) + " is allowed for this PC in the router's settings, or " + ByHand(p, router) + ".";
    }
    }
    return std::string();
}

namespace {

// "P", "P and Q", "P, Q and R".
std::string Listed(const std::vector<std::string>& ports) {
    std::string text;
    for (size_t i = 0; i < ports.size(); ++i)
        text += (i == 0 ? "" : i + 1 == ports.size() ? " and " : ", ") + ports[i];
    return text;
}

std::string Duration(unsigned long long seconds) {
    if (seconds < 60) return std::to_string(seconds) + " s";
    const unsigned long long minutes = (seconds + 30) / 60;
    if (minutes < 60) return std::to_string(minutes) + " min";
    return std::to_string(minutes / 60) + " h " + std::to_string(minutes % 60) + " min";
}

}  // namespace

std::string HostingText(const HostingStatus& status) {
    const HostOutcome& opened = status.opened;
    const RouterInfo& router = opened.router;
    // While renewals fail, what the router holds is not known: the port is not said to be open.
    const std::string state = status.failing ? " may no longer be open for friends: " : " is open for friends: ";
    std::string text = "Port " + opened.port + state + RouterName(router) + (status.failing ? " forwarded" : " forwards") +
                       " TCP and UDP port " + opened.port + " to " + ThisPc(router.lanAddress) + ", asked with " +
                       NameOf(opened.via) + "." + kBreak + "Friends join: " +
                       ShareText(router.externalAddress, opened.port) + kBreak;
    if (status.failing) {
        text += "The last renewal failed: " + OutcomeText(status.failure) + kBreak + "MH Toolkit tries again in " +
                Duration(status.secondsToRenewal) + "; until then friends may not get through." + kBreak;
    } else if (opened.permanent) {
        text += "The router keeps it until it is closed; MH Toolkit checks it again in " +
                Duration(status.secondsToRenewal) + "." + kBreak;
    } else {
        text += "The router grants it for " + Duration(opened.lifetime) + " at a time; the next renewal is due in " +
                Duration(status.secondsToRenewal) + "." + kBreak;
    }
    if (status.remade && !status.failing)
        text += std::string("At the last renewal the router had lost the forwarding (it restarted, say); MH Toolkit "
                            "made it again.") + kBreak;
    return text + kBreak + "Close Port removes it; quitting MH Toolkit asks to.";
}

std::string HostMenuText(const std::vector<std::string>& heldPorts, bool failing) {
    if (heldPorts.empty()) return "Host for Friends...";
    const std::string ports = (heldPorts.size() == 1 ? "port " : "ports ") + Listed(heldPorts);
    return "Host for Friends... (" + ports + (failing ? ": renewal failed)" : " open)");
}

std::string QuitQuestion(const std::vector<std::string>& ports) {
    if (ports.size() == 1) return "Port " + ports[0] + " is open for friends. Close it and quit?";
    return "Ports " + Listed(ports) + " are open for friends. Close them and quit?";
}
