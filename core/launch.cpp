#include "core/launch.h"

namespace {

const char kNoJoinAddress[] = "Please enter an IP address to connect to!";
const char kNoJoinPort[] = "Please enter a port (2346 is default)";
const char kNoAddress[] = "Please enter an IP address first!";
const char kNoTelnetPort[] = "Please enter a port (Default is 2346)";

LaunchPlan Plan(std::string commandLine, const char* message) {
    LaunchPlan plan;
    plan.commandLine = std::move(commandLine);
    plan.message = message;
    return plan;
}

}  // namespace

LaunchPlan PlanJoin(GameTarget target, const std::string& address, const std::string& port) {
    std::string line = InfoOf(target).clientPrefix + address + " " + port;
    if (address.empty()) return Plan(line, kNoJoinAddress);
    if (port.empty()) return Plan(line, kNoJoinPort);
    return Plan(line, nullptr);
}

LaunchPlan PlanCreate(GameTarget target, const std::string& port) {
    return Plan(InfoOf(target).serverPrefix + port, port.empty() ? kNoJoinPort : nullptr);
}

LaunchPlan PlanPing(const std::string& address) {
    return Plan("ping.exe " + address, address.empty() ? kNoAddress : nullptr);
}

LaunchPlan PlanTelnet(const std::string& address, const std::string& port) {
    std::string line = "telnet.exe " + address + " " + port;
    if (address.empty()) return Plan(line, kNoAddress);
    if (port.empty()) return Plan(line, kNoTelnetPort);
    return Plan(line, nullptr);
}

GameTarget ClientTargetOf(GameFamily family) {
    return family == GameFamily::Orvanta ? GameTarget::OV : GameTarget::MH;
}
