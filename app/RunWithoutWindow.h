// Requests of the command line that need no window: help, usage, a bad link, link registration.
#pragma once

#include "core/command_line.h"

// Whether the request is one the main window carries out (Open, Join, Link).
bool NeedsMainWindow(const Request& request);

// Help, usage, a bad link, link registration: done without a window. Returns the exit code.
int RunWithoutWindow(const Request& request);
