// Reads where a family's settings really live from the system: the machine key itself, the per-user
// copy registry virtualization keeps, this program's virtualization and the games' compatibility layers.
#pragma once

#include <string>

#include "core/settings_location.h"

// The machine key's path as shown to the user, e.g. "HKEY_LOCAL_MACHINE\Software\...".
std::string MachineKeyDisplayPath(GameFamily family);
// The per-user copy's key below HKEY_CURRENT_USER for this system.
std::string UserCopyPath(GameFamily family);

// Everything at once; the games' executables are looked for in the family's installation path as
// this program reads it.
SettingsLocation ReadSettingsLocation(GameFamily family);

// Deletes the family's per-user copy (and only it). True when it is gone.
bool ForgetUserCopy(GameFamily family);
