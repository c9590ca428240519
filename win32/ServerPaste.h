// Pasting "HOST:PORT" into a server-address field: HOST goes there, PORT into its port field.
#pragma once

#include <windows.h>

#include <functional>

// Subclasses the address edit for as long as it lives. A paste into it (WM_PASTE, which Ctrl+V and
// the context menu send; Shift+Ins is turned into one here) whose clipboard text, with blanks and
// line breaks around it dropped, is "HOST:PORT" replaces the address edit's text with HOST and the
// port edit's with PORT, then calls afterSplit. Any other paste goes to the edit unchanged.
void SplitServerPastes(HWND addressEdit, HWND portEdit, std::function<void()> afterSplit = nullptr);
