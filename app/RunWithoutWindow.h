// Requests of the command line that need no window: help, usage, a bad link, link registration and
// the elevated copy's writing of machine values.
#pragma once

#include "core/command_line.h"

// Whether the request is one the main window carries out (Open, Join, Link).
bool NeedsMainWindow(const Request& request);

// Help, usage, a bad link, link registration, machine values: done without a window. Returns the exit
// code.
int RunWithoutWindow(const Request& request);
