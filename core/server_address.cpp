#include "core/server_address.h"

#include <vector>

#include "core/text.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool AllDigits(const std::string& text) {
    if (text.empty()) return false;
    for (char c : text)
        if (!IsDigit(c)) return false;
    return true;
}

// A decimal number without leading zero, at most `maxDigits` digits, within [min, max].
bool IsNumberIn(const std::string& text, size_t maxDigits, long min, long max) {
    if (!AllDigits(text) || text.size() > maxDigits) return false;
    if (text.size() > 1 && text[0] == '0') return false;
    const long value = std::stol(text);
    return value >= min && value <= max;
}

bool IsLabel(const std::string& label) {
    if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-') return false;
    for (char c : label)
        if (!IsLetter(c) && !IsDigit(c) && c != '-') return false;
    return true;
}

bool IsBlankOrBreak(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

bool IsHost(const std::string& text) {
    if (text.empty() || text.size() > 253) return false;
    const std::vector<std::string> labels = Split(text, '.');
    bool numeric = true;
    for (const std::string& label : labels) {
        if (!IsLabel(label)) return false;
        numeric = numeric && AllDigits(label);
    }
    if (!numeric) return true;
    if (labels.size() != 4) return false;
    for (const std::string& label : labels)
        if (!IsNumberIn(label, 3, 0, 255)) return false;
    return true;
}

bool IsPort(const std::string& text) { return IsNumberIn(text, 5, 1, 65535); }

std::optional<ServerAddress> ParseServer(const std::string& text, bool portRequired) {
    const size_t colon = text.find(':');
    ServerAddress server;
    server.host = text.substr(0, colon);
    if (colon != std::string::npos) server.port = text.substr(colon + 1);
    if (!IsHost(server.host)) return std::nullopt;
    if (server.port ? !IsPort(*server.port) : portRequired) return std::nullopt;
    return server;
}

std::optional<ServerAddress> SplitPastedServer(const std::string& text) {
    size_t begin = 0, end = text.size();
    while (begin < end && IsBlankOrBreak(text[begin])) ++begin;
    while (end > begin && IsBlankOrBreak(text[end - 1])) --end;
    return ParseServer(text.substr(begin, end - begin), true);
}

std::string ShareText(const std::string& address, const std::string& port) {
    return port.empty() ? address : address + ":" + port;
}
