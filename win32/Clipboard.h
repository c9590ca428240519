// Text on the clipboard.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

// Replaces the clipboard's content with the text (as CF_UNICODETEXT and CF_TEXT); true on success.
bool PutTextOnClipboard(HWND owner, const std::string& text);

// The clipboard's text when it is plain ASCII of at most maxLength characters; nullopt otherwise.
std::optional<std::string> AsciiClipboardText(HWND owner, size_t maxLength);
