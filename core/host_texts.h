// Host for Friends: what the player reads of each outcome.
#pragma once

#include <string>

#include "core/port_mapping.h"

constexpr const char* kBadPortMessage = "The port must be a number from 1 to 65535.";
constexpr const char* kLookingForRouter = "Looking for your router...";

// "<code>: <name>" of a router's error code (its standard name), or of a failed exchange (below 0).
std::string ErrorText(int code);
// The outcome in plain words, lines ended by "\r\n" (a multi-line edit's breaks).
std::string OutcomeText(const HostOutcome& outcome);
