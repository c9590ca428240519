// Host for Friends: what the player reads of each outcome.
#pragma once

#include <string>
#include <vector>

#include "core/port_mapping.h"

constexpr const char* kBadPortMessage = "The port must be a number from 1 to 65535.";
constexpr const char* kLookingForRouter = "Looking for your router...";

// "<code>: <name>" of a router's error code (its standard name), or of a failed exchange (below 0).
std::string ErrorText(int code);
// The outcome in plain words, lines ended by "\r\n" (a multi-line edit's breaks).
std::string OutcomeText(const HostOutcome& outcome);

// What the hosting service holds, as the dialog shows it when opened again.
struct HostingStatus {
    HostOutcome opened;                  // the last Opened outcome of the held port
    unsigned long long secondsToRenewal = 0;
    unsigned renewals = 0;               // renewals that succeeded since Open Port
    bool remade = false;                 // the last renewal found the forwarding gone and made it again
    bool failing = false;                // the last renewal failed; `failure` says how
    HostOutcome failure;
};

// "Host for Friends...", and while ports are held "Host for Friends... (port P open)", "... (ports
// P and Q open)", or "... (port P: renewal failed)" while a renewal fails.
std::string HostMenuText(const std::vector<std::string>& heldPorts, bool failing);
std::string HostingText(const HostingStatus& status);
// Asked at quit while ports are held: "Port P is open for friends. Close it and quit?"
std::string QuitQuestion(const std::vector<std::string>& ports);
