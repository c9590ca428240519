// Opening mhtoolkit:// links with this program: a per-user URL scheme under
// HKEY_CURRENT_USER\Software\Classes\mhtoolkit, and nothing else.
#pragma once

// Writes the key tree: its default value "URL:MH Toolkit link", an empty "URL Protocol" value and
// shell\open\command = "<this exe>" "%1". A tree there before is replaced. True on success.
bool RegisterLinks();
// Deletes the key tree; true when it is gone (also when it was never there).
bool UnregisterLinks();
// Whether the open command names this program.
bool LinksRegistered();

constexpr const char* kRegisterLinksFailed = "MH Toolkit could not register itself for mhtoolkit:// links.";
constexpr const char* kUnregisterLinksFailed = "MH Toolkit could not remove its registration for mhtoolkit:// links.";
