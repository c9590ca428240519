#include "core/launch.h"

namespace {

const char kNoJoinAddress[] = "Please enter an IP address to connect to!";
const char kNoJoinPort[] = "Please enter a port (2346 is default)";
const char kNoAddress[] = "Please enter an IP address first!";
const char kNoTelnetPort[] = "Please enter a port (Default is 2346)";

LaunchPlan Plan(std::string commandLine, const char* message, LaunchProgram program = LaunchProgram::Game,
                GameTarget target = GameTarget::MH) {
    LaunchPlan plan;
    plan.commandLine = std::move(commandLine);
    plan.message = message;
    plan.program = program;
    plan.target = target;
    return plan;
}

}  // namespace

LaunchPlan PlanJoin(GameTarget target, const std::string& address, const std::string& port) {
    std::string line = InfoOf(target).clientPrefix + address + " " + port;
    const char* message = address.empty() ? kNoJoinAddress : port.empty() ? kNoJoinPort : nullptr;
    return Plan(line, message, LaunchProgram::Game, target);
}

LaunchPlan PlanCreate(GameTarget target, const std::string& port) {
    return Plan(InfoOf(target).serverPrefix + port, port.empty() ? kNoJoinPort : nullptr, LaunchProgram::Game,
                target);
}

LaunchPlan PlanPing(const std::string& address) {
    return Plan("ping.exe " + address, address.empty() ? kNoAddress : nullptr, LaunchProgram::Ping);
}

LaunchPlan PlanTelnet(const std::string& address, const std::string& port) {
    std::string line = "telnet.exe " + address + " " + port;
    const char* message = address.empty() ? kNoAddress : port.empty() ? kNoTelnetPort : nullptr;
    return Plan(line, message, LaunchProgram::Telnet);
}

GameTarget ClientTargetOf(GameFamily family) {
    return family == GameFamily::Orvanta ? GameTarget::OV : GameTarget::MH;
}
