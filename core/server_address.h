// Server addresses as players pass them around: "HOST:PORT" with an IPv4 address or a DNS name.
#pragma once

#include <optional>
#include <string>

struct ServerAddress {
    std::string host;
    std::optional<std::string> port;  // decimal digits, 1 to 65535, no leading zero
};

// HOST: a dotted IPv4 address (four numbers 0-255 without leading zeros) or a DNS name (labels of
// letters, digits and '-', 1 to 63 characters, neither starting nor ending with '-', joined by
// '.'; at most 253 characters). A name whose labels are all digits must be an IPv4 address.
bool IsHost(const std::string& text);
// PORT: 1 to 65535 in decimal digits, no sign, no leading zero.
bool IsPort(const std::string& text);

// "HOST" or "HOST:PORT"; with portRequired, only the latter.
std::optional<ServerAddress> ParseServer(const std::string& text, bool portRequired);

// A pasted text that names a server: blanks and line breaks around it dropped, then "HOST:PORT".
std::optional<ServerAddress> SplitPastedServer(const std::string& text);

// "ADDRESS:PORT" for sharing, or the address alone when the port is empty.
std::string ShareText(const std::string& address, const std::string& port);
