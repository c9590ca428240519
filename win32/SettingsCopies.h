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

// Whether the system menu's item says "(differs)": a game of the family is set to run as administrator
// while the per-user copy holds a value that the machine key lacks or holds otherwise (such a game
// reads the machine values, a normal start and this program the copy). Reads only what decides it:
// the copy's key, then each executable's layers values, then the machine's values of the copy's
// names up to the first that differs.
bool SplitMatters(GameFamily family);

// Deletes the family's per-user copy (and only it). True when it is gone.
bool ForgetUserCopy(GameFamily family);
