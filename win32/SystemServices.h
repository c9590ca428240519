// What every window of the program shares: the settings store over the system registry and the
// runner of launch plans.
#pragma once

#include "core/settings_store.h"

class CDialog;
struct LaunchPlan;

// The settings store over the system registry.
const SettingsStore& SystemSettings();

// Shows the plan's message on the dialog, or starts its command line without waiting for it.
void CarryOut(CDialog& dialog, const LaunchPlan& plan);
