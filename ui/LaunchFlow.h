// The dialog flow of a launch action on the dialog at hand: the main window's and the address book's
// Join, Create, Ping and Telnet, and the join requests.
#pragma once

#include "core/launch.h"
#include "core/settings_store.h"
#include "framework/dialog.h"

// Shows the plan's message, or starts its command line; when the program does not start, says why
// on the dialog (and, for a program set to run as administrator, offers to start it so). The store
// gives a game's installation folder. True when the program was started.
bool StartOrExplain(CDialog& dialog, const LaunchPlan& plan, const SettingsStore& store);
