// The address book: five saved servers per game family, kept in the family's key.
#pragma once

#include <string>

#include "core/launch.h"
#include "core/settings_store.h"

constexpr int kAddressBookRows = 5;

// Value names of a row's entries, for rows 1 to 5: "z_ip<row>" and "z_port<row>"; nullptr for any
// other row.
const char* AddressValueOf(int row);
const char* PortValueOf(int row);

// Join on a saved server: the family's client against address and port. When the plan starts, the
// server is first made the family's manual join target (host address, then port). Nothing is
// written when the plan stops with a message.
LaunchPlan JoinSavedServer(const SettingsStore& store, GameFamily family, const std::string& address,
                           const std::string& port);
