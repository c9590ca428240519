// What every window of the program shares: the settings store over the system registry.
#pragma once

#include "core/settings_store.h"

// The settings store over the system registry.
const SettingsStore& SystemSettings();
