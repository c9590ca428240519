#include "core/lease_mapping.h"

#include <algorithm>

#include "core/address_kinds.h"
#include "core/natpmp.h"
#include "core/pcp.h"

namespace {

constexpr Protocol kBoth[] = {Protocol::TCP, Protocol::UDP};

bool NotPublic(const std::string& address) { return KindOfAddress(address) != AddressKind::Public; }

// Removes what this call was granted; what the router keeps goes into leftBehind.
void TakeBack(LeaseActions& router, uint16_t port, const bool granted[2], HostOutcome& outcome) {
    for (int i = 0; i < 2; ++i) {
        if (!granted[i]) continue;
        const LeaseAnswer answer = router.Map(kBoth[i], port, 0);
        if (answer.code == 0) continue;
        Holding left;
        left.protocol = kBoth[i];
        left.code = answer.code;
        outcome.leftBehind.push_back(left);
    }
}

HostOutcome Begin(const LeaseActions& router, const RouterInfo& info, const std::string& port, bool closing) {
    HostOutcome outcome;
    outcome.port = port;
    outcome.router = info;
    outcome.closing = closing;
    outcome.via = router.Kind();
    return outcome;
}

}  // namespace

std::string LeaseErrorText(MappingProtocol protocol, int code) {
    if (code < 0) return std::to_string(code) + (code == kNoAnswer ? ": no answer" : ": no proper answer");
    if (protocol == MappingProtocol::PCP) return std::to_string(code) + ": " + pcp::ResultName(static_cast<uint8_t>(code));
    return std::to_string(code) + ": " + natpmp::ResultName(static_cast<uint16_t>(code > 0xFFFF ? 0xFFFF : code));
}

HostOutcome OpenLease(LeaseActions& router, const RouterInfo& info, const std::string& port) {
    HostOutcome outcome = Begin(router, info, port, false);
    const uint16_t number = static_cast<uint16_t>(std::stoul(port));
    bool granted[2] = {false, false};
    LeaseAnswer answers[2];
    auto fail = [&](HostResult result, Protocol protocol, int code) {
        TakeBack(router, number, granted, outcome);
        outcome.result = result;
        outcome.protocol = protocol;
        outcome.errorCode = code;
        return outcome;
    };
    for (int i = 0; i < 2; ++i) {
        const LeaseAnswer answer = router.Map(kBoth[i], number, kLeaseSeconds);
        if (!answer.externalAddress.empty()) outcome.router.externalAddress = answer.externalAddress;
        const std::string& external = outcome.router.externalAddress;
        if (answer.code != 0) {
            // A refusal that carries the address behind which it stands tells why.
            if (!external.empty() && NotPublic(external)) return fail(HostResult::NoPublicAddress, kBoth[i], 0);
            return fail(HostResult::Refused, kBoth[i], answer.code);
        }
        granted[i] = true;
        if (answer.externalPort != number) {
            // Friends would need another port for each protocol: the port is taken there.
            outcome.other = MappingEntry{};
            return fail(HostResult::Conflict, kBoth[i], 0);
        }
        if (NotPublic(external)) return fail(HostResult::NoPublicAddress, kBoth[i], 0);
        answers[i] = answer;
    }
    outcome.result = HostResult::Opened;
    outcome.lifetime = std::min(answers[0].lifetime, answers[1].lifetime);
    outcome.epoch = answers[1].epoch;
    return outcome;
}

HostOutcome CloseLease(LeaseActions& router, const RouterInfo& info, const std::string& port) {
    HostOutcome outcome = Begin(router, info, port, true);
    const uint16_t number = static_cast<uint16_t>(std::stoul(port));
    bool all = true;
    for (Protocol protocol : kBoth) {
        CloseReport report;
        report.protocol = protocol;
        const LeaseAnswer answer = router.Map(protocol, number, 0);
        report.step = answer.code == 0 ? CloseStep::Removed : CloseStep::DeleteFailed;
        report.code = answer.code;
        all = all && answer.code == 0;
        outcome.closed.push_back(report);
    }
    outcome.result = all ? HostResult::Closed : HostResult::NotClosed;
    return outcome;
}
