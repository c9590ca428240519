// Command lines and field checks of the launch actions: Join, Create, Ping and Telnet.
#pragma once

#include <string>

#include "core/targets.h"

// What a launch action starts.
enum class LaunchProgram { Game, Ping, Telnet };

// A launch either stops with a message or starts its command line.
struct LaunchPlan {
    const char* message = nullptr;  // shown instead of starting, when set
    std::string commandLine;
    LaunchProgram program = LaunchProgram::Game;
    GameTarget target = GameTarget::MH;  // the game started, for Join and Create
};

// Field texts go in as they are; only the empty string counts as empty.
LaunchPlan PlanJoin(GameTarget target, const std::string& address, const std::string& port);
LaunchPlan PlanCreate(GameTarget target, const std::string& port);
LaunchPlan PlanPing(const std::string& address);
LaunchPlan PlanTelnet(const std::string& address, const std::string& port);

// The client of a family, as the address book starts it.
GameTarget ClientTargetOf(GameFamily family);

constexpr const char* kHostAddressValue = "MultiplayerManualHostAddress";
constexpr const char* kJoinPortValue = "MultiplayerManualJoinPort";
constexpr const char* kInstallationPathValue = "InstallationPath";
