#include "core/host_texts.h"

#include "core/address_kinds.h"
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

std::string Error(int code) { return "(error " + ErrorText(code) + ")"; }

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
                (left.code != 0 ? "refused to take it back " + Error(left.code)
                                : std::string("still holds it after it was taken back")) +
                ". Close Port removes it.";
    return text;
}

std::string HoldingText(const Holding& holding, const HostOutcome& outcome) {
    const std::string what = PortOf(holding.protocol, outcome.port) + ": ";
    if (holding.code == upnp_error::kNoSuchEntry) return what + "not forwarded.";
    if (holding.code != 0) return what + "the router could not tell whether it forwards it " + Error(holding.code) + ".";
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
        return what + ": the router could not tell whether it forwards it " + Error(report.code) +
               ", so nothing was removed.";
    case CloseStep::DeleteFailed:
        return what + ": the router refused to remove MH Toolkit's forwarding " + Error(report.code) + ".";
    case CloseStep::StillHeld:
        return what + ": the router said it removed MH Toolkit's forwarding, but it still holds it.";
    case CloseStep::Unconfirmed:
        return what + ": the router said it removed MH Toolkit's forwarding, but could not tell afterwards whether "
                      "it still holds it " + Error(report.code) + ".";
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
    "UPnP is turned off on your router, the router does not support it, or a VPN is active (the search goes out "
    "on the VPN's connection only).";

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
               "." + kBreak + "Router: " + RouterName(router) + kBreak + "Internet address: " +
               router.externalAddress + kBreak + "Friends join: " + ShareText(router.externalAddress, p) + kBreak +
               kBreak + "Friends can join once your server runs (Create), and Windows Firewall must let the game in. " +
               "Copy Link or Copy Address and send it to your friends. " +
               (outcome.permanent ? "The router keeps the forwarding until it is closed"
                                  : "The forwarding lasts a day") +
               ": Close Port removes it when you are done hosting.";
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
               ThisPc(router.lanAddress) + ". Or turn UPnP on there, or end the VPN, and try Open Port again.";
    case HostResult::NoExternalAddress:
        return Capitalized(RouterName(router)) + " did not give its internet address " + Error(outcome.errorCode) +
               ", so no port was opened." + kBreak + kBreak + "Try Open Port again, or " + ByHand(p, router) + ".";
    case HostResult::NoPublicAddress:
        return Capitalized(RouterName(router)) + " has no internet address of its own: " + NoPublicReason(router) +
               "." + kBreak + "Friends on the internet cannot reach this PC through it, so no port was opened." +
               kBreak + kBreak +
               "Instead, use a VPN that puts you and your friends on one network (Your Addresses then shows your "
               "address in it), or ask your internet provider for a public IP address.";
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
                      Error(outcome.errorCode) + "."
                : "The router refused to open " + PortOf(outcome.protocol, p) + " " + Error(outcome.errorCode) + ".";
        return opening + LeftBehind(outcome) + kBreak + kBreak +
               "Check that UPnP is allowed for this PC in the router's settings, or " + ByHand(p, router) + ".";
    }
    }
    return std::string();
}
