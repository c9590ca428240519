// The machine's IP address as the main window shows it: the first address of the host's name.
#pragma once

#include "framework/dialog.h"

// Looks the address up now; empty when there is none.
CString LookUpLocalIP();

// Starts the first look-up on a thread of its own, so that it overlaps the main window's creation.
void StartLocalIPLookup();
// The started look-up's result once it is done (a look-up of its own when none was started).
CString TakeLocalIPLookup();
